// The protocol journal: every save registered, the next number offered,
// a number registered for another file asked about.
#include "composer/fusionwidget.h"

#include "base/userdialogs.h"
#include "commands/createreport.h"
#include "composer/journal.h"
#include "composer/journalwindow.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"

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
const QString g_sJournalFile = QStringLiteral("journal.sqlite");
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
    const QString sFile = QDir(referenceDir()).filePath(g_sJournalFile);
    if (!pJournal || pJournal->localFile() != sFile) {
        delete pJournalWindow.data(); // it reads the journal it was opened on
        pJournal = std::make_unique<CJournal>(sFile, SJournalPlace::load());
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
    SJournalEntry entry;
    if (CStdItem* pNumber = numberItem())
        entry.sNumber = pNumber->valueText().trimmed();
    entry.dtDate = pDateItem ? pDateItem->date() : QDate();
    entry.sCustomer = pCustomerItem ? pCustomerItem->valueText() : QString();
    for (QWidget* pSection : lstSections) {
        auto pItem = qobject_cast<CStdItem*>(pSection);
        if (pItem && pItem->name() == g_sObjectCaption)
            entry.sObject = pItem->valueText();
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

bool CFusionWidget::registerInJournal(const SJournalEntry& entry, bool bTakeOver) {
    QString sRegistered;
    CJournal::EResult eResult = journal()->registerProtocol(entry, bTakeOver, &sRegistered);
    // another workstation took the number between the question and the save
    if (eResult == CJournal::EResult::Duplicate) {
        if (!mayReuseNumber(entry.sNumber, sRegistered))
            return false;
        eResult = journal()->registerProtocol(entry, true);
    }
    if (eResult == CJournal::EResult::Queued) {
        showStatus(QStringLiteral("Журнал недоступен: запись будет добавлена позже"));
        pJournalTimer->start();
    } else if (pJournalTimer->isActive()) {
        slot_flushJournal(); // the queue went with this save
    } else {
        showStatus(QString());
    }
    if (pJournalWindow)
        pJournalWindow->refresh();
    return true;
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
            pJournalWindow, QStringLiteral("Журнал протоколов"),
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
    const QString sFile = journal()->localFile();
    const SJournalPlace place = journal()->where();
    pFlushThread = QThread::create([this, sFile, place] {
        CJournal journal(sFile, place);
        QStringList lstRefused;
        const int iLeft = journal.flushQueue(&lstRefused);
        QMetaObject::invokeMethod(this,
                                  [this, iLeft, lstRefused] { journalFlushed(iLeft, lstRefused); });
    });
    connect(pFlushThread, &QThread::finished, pFlushThread, &QObject::deleteLater);
    pFlushThread->start();
}

void CFusionWidget::journalFlushed(int iLeft, const QStringList& lstRefused) {
    pFlushThread = nullptr;
    if (iLeft == 0) {
        pJournalTimer->stop();
        showStatus(QString());
    }
    if (!lstRefused.isEmpty())
        showStatus(QStringLiteral("Не внесены в журнал, номера уже зарегистрированы: %1. "
                                  "Сохраните эти протоколы под другими номерами.")
                       .arg(lstRefused.join(QStringLiteral(", "))));
    if (pJournalWindow)
        pJournalWindow->refresh();
}

void CFusionWidget::waitForJournalFlush() {
    if (pFlushThread)
        pFlushThread->wait();
    pFlushThread = nullptr;
}
