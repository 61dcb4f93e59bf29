// The protocol journal: every save registered in the same unit of work as
// its file, the next number offered, a number or a file another protocol
// holds asked about, the queue of a journal out of reach sent.
#include "composer/documentcontroller.h"

#include "base/userdialogs.h"
#include "composer/fusionwidget.h"
#include "composer/journalwindow.h"
#include "items/linevalidator.h"
#include "storage/journal.h"
#include "storage/referencelists.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {
const QString g_sJournalTitle = QStringLiteral("Журнал протоколов");
const QString g_sWaiting = QStringLiteral("Журнал недоступен: запись будет добавлена позже");

QString operatingSystemUser() {
    for (const char* pVariable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString sUser = qEnvironmentVariable(pVariable);
        if (!sUser.isEmpty())
            return sUser;
    }
#ifdef Q_OS_UNIX
    // a program started by a service manager may have no such variables
    if (const passwd* pEntry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(pEntry->pw_name);
#endif
    return QString();
}

// The value of the first record of a kind with the caption; empty without.
template <typename T> QString valueOf(const ProtocolDocument& doc, const QString& sCaption) {
    for (const SectionRecord& record : doc.lstRecords) {
        const T* p = std::get_if<T>(&record);
        if (p && p->sName == sCaption)
            return p->sValue;
    }
    return QString();
}
} // namespace

CJournal* CDocumentController::journal() {
    const QString sFile = CJournal::fileIn(referenceDir());
    if (!pJournal || pJournal->journalFile() != sFile) {
        delete pJournalWindow.data(); // it reads the journal it was opened on
        // each workstation queues its rows in its own folder
        pJournal = std::make_unique<CJournal>(
            sFile, QDir(sOwnDir).filePath(CJournal::sQueueFileName), SJournalPlace::load());
    }
    return pJournal.get();
}

void CDocumentController::setOwnDir(const QString& sDir) {
    // the lists keep their queue and last good copy there, whatever the
    // journal's queue did before
    pLists->setOwnDir(sDir);
    if (QDir(sDir) == QDir(sOwnDir))
        return;
    sOwnDir = sDir;
    if (pJournal)
        reopenJournal(); // its queue is elsewhere now
}

void CDocumentController::reopenJournal() {
    waitForJournalFlush();
    delete pJournalWindow.data();
    pJournal.reset();
}

SJournalEntry CDocumentController::journalEntry(const QString& sFileName) const {
    // the protocol's own records say what it is; a document may bring
    // control characters the fields would not take
    const ProtocolDocument doc = form.document();
    SJournalEntry entry;
    entry.sNumber =
        CLineValidator::oneLine(valueOf<StdItemRecord>(doc, Caption::sNumber)).trimmed();
    if (const DateRecord* pDate = doc.first<DateRecord>())
        entry.dtDate = pDate->dtDate;
    entry.sCustomer = CLineValidator::oneLine(valueOf<ComboItemRecord>(doc, Caption::sCustomer));
    entry.sObject = CLineValidator::oneLine(valueOf<StdItemRecord>(doc, Caption::sObjectName));
    if (const MethodsRecord* pMethods = doc.first<MethodsRecord>())
        entry.sMethods = pMethods->lstTexts.join(QStringLiteral(", "));
    entry.sPath = QFileInfo(sFileName).absoluteFilePath();
    entry.dtSaved = QDateTime::currentDateTime();
    entry.sUser = operatingSystemUser();
    entry.sHost = QSysInfo::machineHostName();
    return entry;
}

bool CDocumentController::mayReuseNumber(const SJournalEntry& entry, const QString& sRegistered) {
    const QString sFree = journal()->nextNumber(entry.year());
    const QString sHint =
        sFree.isEmpty() ? QString() : QStringLiteral(" Следующий свободный номер: %1.").arg(sFree);
    return CUserDialogs::question(
               &form, sSaveTitle,
               QStringLiteral("Протокол №%1 уже зарегистрирован: %2.%3 "
                              "Сохранить с этим номером?")
                   .arg(entry.sNumber, QDir::toNativeSeparators(sRegistered), sHint),
               CUserDialogs::Yes | CUserDialogs::No, CUserDialogs::No) == CUserDialogs::Yes;
}

bool CDocumentController::mayTakeNumber(const SJournalEntry& entry, bool* pTakeOver) {
    const QString sRegistered =
        journal()->registeredElsewhere(entry.sNumber, entry.year(), entry.sPath);
    *pTakeOver = !sRegistered.isEmpty();
    return sRegistered.isEmpty() || mayReuseNumber(entry, sRegistered);
}

bool CDocumentController::mayReplaceRegistered(const QString& sPath) {
    SJournalEntry held;
    if (!QFileInfo::exists(sPath) || setOwnFiles.contains(sPath) ||
        !journal()->entryOf(sPath, &held))
        return true;
    return CUserDialogs::question(
               &form, sSaveTitle,
               QStringLiteral("Файл «%1» — протокол №%2 от %3, зарегистрированный в журнале. "
                              "Заменить его этим протоколом?")
                   .arg(QDir::toNativeSeparators(sPath), held.sNumber,
                        held.dtDate.toString(QStringLiteral("dd.MM.yyyy"))),
               CUserDialogs::Yes | CUserDialogs::No, CUserDialogs::No) == CUserDialogs::Yes;
}

bool CDocumentController::beginRegistration(const SJournalEntry& entry, bool bTakeOver) {
    QString sRegistered;
    CJournal::EResult eResult = journal()->beginRegistration(entry, bTakeOver, &sRegistered);
    // another workstation took the number between the question and the save
    if (eResult == CJournal::EResult::Duplicate) {
        if (!mayReuseNumber(entry, sRegistered))
            return false;
        eResult = journal()->beginRegistration(entry, true);
    }
    return eResult != CJournal::EResult::Duplicate;
}

void CDocumentController::finishRegistration(const SJournalEntry& entry) {
    const CJournal::EResult eResult = journal()->commitRegistration();
    if (eResult == CJournal::EResult::Registered) {
        if (pJournalTimer->isActive())
            flushJournal(); // the queue went with this save
        else
            form.showStatus(QString());
    } else {
        form.showStatus(g_sWaiting);
        pJournalTimer->start();
    }
    if (eResult == CJournal::EResult::Failed)
        CUserDialogs::warning(
            &form, g_sJournalTitle,
            QStringLiteral("Протокол «%1» сохранен, но не внесен в журнал: %2")
                .arg(QDir::toNativeSeparators(entry.sPath), journal()->problem()));
    announceRefused(journal()->takeRefused());
    if (pJournalWindow)
        pJournalWindow->refresh();
}

void CDocumentController::announceRefused(const QList<SQueuedEntry>& lstRefused) {
    for (const SQueuedEntry& refused : lstRefused)
        CUserDialogs::warning(
            &form, g_sJournalTitle,
            QStringLiteral("Протокол «%1» не внесен в журнал: номер %2 уже зарегистрирован (%3).")
                .arg(QDir::toNativeSeparators(refused.entry.sPath), refused.entry.sNumber,
                     QDir::toNativeSeparators(refused.sRefusedFor)));
}

void CDocumentController::startJournal() {
    if (journal()->waitingCount() > 0) {
        form.showStatus(g_sWaiting);
        pJournalTimer->start();
        flushJournal();
    }
    if (currentFile().isEmpty() && !isChanged())
        offerNextNumber();
}

void CDocumentController::offerNextNumber() {
    if (!form.protocolNumber().trimmed().isEmpty())
        return;
    const QString sNext = journal()->nextNumber(QDate::currentDate().year());
    if (sNext.isEmpty()) {
        // an empty number is no surprise when the reason is in sight
        if (!journal()->database().isValid())
            form.showStatus(QStringLiteral("Номер протокола не предложен: журнал недоступен (%1)")
                                .arg(journal()->problem()));
        return;
    }
    form.setProtocolNumber(sNext);
    takeSnapshot(); // an offered number alone is nothing to save
}

void CDocumentController::showJournal() {
    if (!pJournalWindow) {
        pJournalWindow = new CJournalWindow(*journal(), &form);
        pJournalWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(pJournalWindow, &CJournalWindow::openRequested, this,
                &CDocumentController::openFromJournal);
        connect(this, &CDocumentController::documentStateChanged, pJournalWindow,
                [this] { pJournalWindow->setExportDir(documentDir()); });
    } else {
        pJournalWindow->refresh();
    }
    pJournalWindow->setExportDir(documentDir());
    pJournalWindow->show();
    pJournalWindow->raise();
    pJournalWindow->activateWindow();
}

void CDocumentController::openFromJournal(const QString& sPath) {
    if (!QFileInfo::exists(sPath)) {
        CUserDialogs::warning(
            pJournalWindow, g_sJournalTitle,
            QStringLiteral("Файл «%1» не найден.").arg(QDir::toNativeSeparators(sPath)));
        return;
    }
    form.window()->raise();
    form.window()->activateWindow();
    openWithQuestion(sPath);
}

void CDocumentController::flushJournal() {
    if (pFlushThread)
        return;
    // a server that does not answer must not hold the form: the queue is
    // sent from a thread of its own, through connections of its own
    const QString sFile = journal()->journalFile();
    const QString sQueue = journal()->queueFile();
    const SJournalPlace place = journal()->where();
    pFlushThread = QThread::create([this, sFile, sQueue, place] {
        CJournal journal(sFile, sQueue, place);
        QList<SQueuedEntry> lstRefused;
        const int iLeft = journal.flushQueue(&lstRefused);
        QMetaObject::invokeMethod(this,
                                  [this, iLeft, lstRefused] { journalFlushed(iLeft, lstRefused); });
    });
    connect(pFlushThread, &QThread::finished, pFlushThread, &QObject::deleteLater);
    pFlushThread->start();
}

// The thread is forgotten when it is deleted (a guarded pointer), never by a
// result that may come after a newer send began.
void CDocumentController::journalFlushed(int iLeft, const QList<SQueuedEntry>& lstRefused) {
    if (iLeft == 0) {
        pJournalTimer->stop();
        form.showStatus(QString());
    }
    if (pJournalWindow)
        pJournalWindow->refresh();
    announceRefused(lstRefused);
}

void CDocumentController::waitForJournalFlush() {
    if (pFlushThread)
        pFlushThread->wait();
}

void CDocumentController::announceWaitingRows() {
    waitForJournalFlush();
    if (!pJournal)
        return; // nothing was saved nor sent by this program
    const int iWaiting = pJournal->waitingCount();
    if (iWaiting > 0)
        CUserDialogs::information(
            &form, g_sJournalTitle,
            QStringLiteral("Записей журнала ждут отправки на сервер: %1. Они будут отправлены "
                           "при следующем запуске программы, когда сервер будет доступен.")
                .arg(iWaiting));
}

void CDocumentController::offerToCarryJournal(CJournal& before) {
    const int iRows = journal()->copyRowsFrom(before, nullptr, true);
    if (iRows <= 0)
        return;
    if (CUserDialogs::question(&form, g_sJournalTitle,
                               QStringLiteral("Журнал протоколов теперь: %1 (был: %2).\n"
                                              "Перенести записей журнала: %3?")
                                   .arg(journal()->describe(), before.describe())
                                   .arg(iRows),
                               CUserDialogs::Yes | CUserDialogs::No,
                               CUserDialogs::Yes) != CUserDialogs::Yes)
        return;
    QStringList lstSkipped;
    const int iCopied = journal()->copyRowsFrom(before, &lstSkipped);
    if (iCopied < 0) {
        CUserDialogs::warning(
            &form, g_sJournalTitle,
            QStringLiteral("Записи журнала не перенесены: %1.")
                .arg(journal()->problem().isEmpty() ? before.problem() : journal()->problem()));
        return;
    }
    if (!lstSkipped.isEmpty())
        CUserDialogs::warning(&form, g_sJournalTitle,
                              QStringLiteral("Перенесено записей: %1. Не перенесены, эти номера в "
                                             "новом журнале уже зарегистрированы за другими "
                                             "файлами:\n%2")
                                  .arg(iCopied)
                                  .arg(lstSkipped.join(QLatin1Char('\n'))));
    if (pJournalWindow)
        pJournalWindow->refresh();
}
