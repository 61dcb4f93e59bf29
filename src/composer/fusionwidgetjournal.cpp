// The protocol journal: every save registered, the next number offered,
// a number registered for another file asked about.
#include "composer/fusionwidget.h"

#include "base/linevalidator.h"
#include "base/userdialogs.h"
#include "commands/createreport.h"
#include "composer/journalwindow.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "storage/journal.h"

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
const QString g_sObjectCaption = QStringLiteral("Наименование объекта:");

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
} // namespace

CJournal* CFusionWidget::journal() {
    const QString sFile = CJournal::fileIn(referenceDir());
    if (!pJournal || pJournal->journalFile() != sFile) {
        delete pJournalWindow.data(); // it reads the journal it was opened on
        // each workstation queues its rows in its own data folder
        pJournal = std::make_unique<CJournal>(
            sFile, QDir(sDataDir).filePath(CJournal::sQueueFileName), SJournalPlace::load());
    }
    return pJournal.get();
}

void CFusionWidget::reopenJournal() {
    waitForJournalFlush();
    delete pJournalWindow.data();
    pJournal.reset();
}

CStdItem* CFusionWidget::numberItem() const {
    return qobject_cast<CStdItem*>(lstSections.value(iProtocolNumberIndex));
}

SJournalEntry CFusionWidget::journalEntry(const QString& sFileName) const {
    // a document may bring control characters the fields would not take
    SJournalEntry entry;
    if (CStdItem* pNumber = numberItem())
        entry.sNumber = CLineValidator::oneLine(pNumber->valueText()).trimmed();
    entry.dtDate = pDateItem ? pDateItem->date() : QDate();
    entry.sCustomer =
        CLineValidator::oneLine(pCustomerItem ? pCustomerItem->valueText() : QString());
    for (QWidget* pSection : lstSections) {
        auto pItem = qobject_cast<CStdItem*>(pSection);
        if (pItem && pItem->name() == g_sObjectCaption)
            entry.sObject = CLineValidator::oneLine(pItem->valueText());
    }
    QStringList lstMethods;
    for (int iMethod : chosenMethods())
        lstMethods << lstMethodsNominative.value(iMethod);
    entry.sMethods = lstMethods.join(QStringLiteral(", "));
    entry.sPath = QFileInfo(sFileName).absoluteFilePath();
    entry.dtSaved = QDateTime::currentDateTime();
    entry.sUser = operatingSystemUser();
    entry.sHost = QSysInfo::machineHostName();
    return entry;
}

bool CFusionWidget::mayReuseNumber(const QString& sNumber, const QString& sRegistered) {
    return CUserDialogs::question(this, QStringLiteral("Сохранить документ"),
                                  QStringLiteral("Протокол №%1 уже зарегистрирован: %2. "
                                                 "Сохранить с этим номером?")
                                      .arg(sNumber, QDir::toNativeSeparators(sRegistered)),
                                  QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::No) == QMessageBox::Yes;
}

bool CFusionWidget::mayTakeNumber(const SJournalEntry& entry, bool* pTakeOver) {
    const QString sRegistered =
        journal()->registeredElsewhere(entry.sNumber, entry.year(), entry.sPath);
    *pTakeOver = !sRegistered.isEmpty();
    return sRegistered.isEmpty() || mayReuseNumber(entry.sNumber, sRegistered);
}

bool CFusionWidget::mayReplaceRegistered(const QString& sPath) {
    SJournalEntry held;
    if (!QFileInfo::exists(sPath) || setOwnFiles.contains(sPath) ||
        !journal()->entryOf(sPath, &held))
        return true;
    return CUserDialogs::question(
               this, QStringLiteral("Сохранить документ"),
               QStringLiteral("Файл «%1» — протокол №%2 от %3, зарегистрированный в журнале. "
                              "Заменить его этим протоколом?")
                   .arg(QDir::toNativeSeparators(sPath), held.sNumber,
                        held.dtDate.toString(QStringLiteral("dd.MM.yyyy"))),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool CFusionWidget::beginRegistration(const SJournalEntry& entry, bool bTakeOver) {
    QString sRegistered;
    CJournal::EResult eResult = journal()->beginRegistration(entry, bTakeOver, &sRegistered);
    // another workstation took the number between the question and the save
    if (eResult == CJournal::EResult::Duplicate) {
        if (!mayReuseNumber(entry.sNumber, sRegistered))
            return false;
        eResult = journal()->beginRegistration(entry, true);
    }
    return eResult != CJournal::EResult::Duplicate;
}

void CFusionWidget::finishRegistration(const SJournalEntry& entry) {
    const CJournal::EResult eResult = journal()->commitRegistration();
    if (eResult == CJournal::EResult::Registered) {
        if (pJournalTimer->isActive())
            slot_flushJournal(); // the queue went with this save
        else
            showStatus(QString());
    } else {
        showStatus(QStringLiteral("Журнал недоступен: запись будет добавлена позже"));
        pJournalTimer->start();
    }
    if (eResult == CJournal::EResult::Failed)
        CUserDialogs::warning(
            this, g_sJournalTitle,
            QStringLiteral("Протокол «%1» сохранен, но не внесен в журнал: %2")
                .arg(QDir::toNativeSeparators(entry.sPath), journal()->problem()));
    announceRefused(journal()->takeRefused());
    if (pJournalWindow)
        pJournalWindow->refresh();
}

void CFusionWidget::announceRefused(const QList<SQueuedEntry>& lstRefused) {
    for (const SQueuedEntry& refused : lstRefused)
        CUserDialogs::warning(
            this, g_sJournalTitle,
            QStringLiteral("Протокол «%1» не внесен в журнал: номер %2 уже зарегистрирован (%3).")
                .arg(QDir::toNativeSeparators(refused.entry.sPath), refused.entry.sNumber,
                     QDir::toNativeSeparators(refused.sRefusedFor)));
}

void CFusionWidget::offerNextNumber() {
    CStdItem* pNumber = numberItem();
    if (!pNumber || !pNumber->valueText().trimmed().isEmpty())
        return;
    const QString sNext = journal()->nextNumber(QDate::currentDate().year());
    if (sNext.isEmpty())
        return;
    pNumber->setValue(sNext);
    takeSnapshot(); // an offered number alone is nothing to save
}

void CFusionWidget::startJournal() {
    if (journal()->hasWaitingRows()) {
        showStatus(QStringLiteral("Журнал недоступен: запись будет добавлена позже"));
        pJournalTimer->start();
        slot_flushJournal();
    }
    if (currentFile().isEmpty() && !hasUnsavedChanges())
        offerNextNumber();
}

void CFusionWidget::slot_showJournal() {
    if (!pJournalWindow) {
        pJournalWindow = new CJournalWindow(*journal(), this);
        pJournalWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(pJournalWindow, &CJournalWindow::openRequested, this,
                &CFusionWidget::slot_openFromJournal);
    } else {
        pJournalWindow->refresh();
    }
    pJournalWindow->show();
    pJournalWindow->raise();
    pJournalWindow->activateWindow();
}

void CFusionWidget::slot_openFromJournal(const QString& sPath) {
    if (!QFileInfo::exists(sPath)) {
        CUserDialogs::warning(
            pJournalWindow, g_sJournalTitle,
            QStringLiteral("Файл «%1» не найден.").arg(QDir::toNativeSeparators(sPath)));
        return;
    }
    window()->raise();
    window()->activateWindow();
    openWithQuestion(sPath);
}

void CFusionWidget::showStatus(const QString& sText) {
    if (auto pBar = qobject_cast<CCreateReport*>(lstSections.value(0)))
        pBar->showStatus(sText);
}

void CFusionWidget::slot_flushJournal() {
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

void CFusionWidget::journalFlushed(int iLeft, const QList<SQueuedEntry>& lstRefused) {
    pFlushThread = nullptr;
    if (iLeft == 0) {
        pJournalTimer->stop();
        showStatus(QString());
    }
    if (pJournalWindow)
        pJournalWindow->refresh();
    announceRefused(lstRefused);
}

void CFusionWidget::waitForJournalFlush() {
    if (pFlushThread)
        pFlushThread->wait();
    pFlushThread = nullptr;
}
