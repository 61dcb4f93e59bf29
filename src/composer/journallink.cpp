// The protocol journal: every save registered in the same unit of work as
// its file, the next number offered, a number or a file another protocol
// holds asked about, the queue of a journal out of reach sent.
#include "composer/journallink.h"

#include "base/userdialogs.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/journalwindow.h"
#include "document/protocolmodel.h"
#include "items/linevalidator.h"
#include "storage/journalqueue.h"
#include "storage/journalservice.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {
const QString g_sJournalTitle = QStringLiteral("Журнал протоколов");
// Said on the status line while rows wait in the queue, with why.
QString waitingText(const QString& sWhy) {
    return QStringLiteral("Журнал недоступен (%1): запись будет добавлена позже")
        .arg(sWhy.isEmpty() ? CJournalService::sNoAnswer : sWhy);
}

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

// The worker's work that finds the number to offer in iYear.
std::function<SNextNumber(CJournal&)> nextNumberOf(int iYear) {
    return [iYear](CJournal& journal) { return journal.nextNumber(iYear); };
}

} // namespace

CJournalLink::CJournalLink(CDocumentController& session, CFusionWidget& form)
    : QObject(&session), session(session), form(form) {
    pJournalTimer = new QTimer(this);
    pJournalTimer->setInterval(iJournalRetryMs);
    connect(pJournalTimer, &QTimer::timeout, this, &CJournalLink::retryJournal);
    connect(&session.model(), &CProtocolModel::edited, this, &CJournalLink::forgetNumberNote);
    connect(&session, &CDocumentController::documentStateChanged, this,
            &CJournalLink::forgetNumberNote);
}

// The journal's worker ends with its member, after what it was handed.
CJournalLink::~CJournalLink() = default;

void CJournalLink::setQueueDir(const QString& sDir) {
    if (!sQueueDir.isEmpty() && QDir(sDir) == QDir(sQueueDir))
        return;
    sQueueDir = sDir;
    reopenJournal(); // its queue is elsewhere now
}

bool CJournalLink::mayRegister(const SJournalEntry& entry, bool bOwnFile, bool* pTakeOver) {
    journal()->beginAction();
    *pTakeOver = false;
    // a journal that does not answer in time asks nothing: the row is
    // registered when it answers, or refused and told then
    const std::optional<SJournalCheck> check = checkJournal(entry);
    if (entry.sNumber.isEmpty() && !mayLeaveNumberEmpty())
        return false;
    return !check || ((bOwnFile || mayReplaceRegistered(entry.sPath, *check)) &&
                      mayTakeNumber(entry, *check, pTakeOver));
}

CJournalService* CJournalLink::journal() {
    const QString sFile = CJournal::fileIn(journalDir());
    if (!pJournal || pJournal->journalFile() != sFile) {
        reopenJournal();
        // each workstation queues its rows in its own folder
        pJournal = std::make_unique<CJournalService>(
            sFile, QDir(sQueueDir).filePath(CJournal::sQueueFileName), SJournalPlace::load());
        connect(pJournal.get(), &CJournalService::waitingForFound, this,
                [this, pService = pJournal.get()](const QString& sWhy) {
                    // "not answering" said of waiting rows a moment ago may
                    // have a name now; a cause already named stays, and a
                    // wait that is over by now has nothing to say
                    if (pService == pJournal.get() &&
                        form.status(CCreateReport::EStatus::JournalRows) ==
                            waitingText(QString()) &&
                        pService->waitingFor() == sWhy)
                        form.showStatus(CCreateReport::EStatus::JournalRows, waitingText(sWhy));
                });
    }
    return pJournal.get();
}

QString CJournalLink::journalDir() const {
    return sJournalDir.isEmpty() ? session.referenceDir() : sJournalDir;
}

void CJournalLink::setJournalDir(const QString& sDir) {
    sJournalDir = sDir;
}

void CJournalLink::reopenJournal() {
    delete pJournalWindow.data(); // it reads the journal it was opened on
    if (!pJournal)
        return;
    // what it was handed is done in its own time: the window goes on
    CJournalService* pOld = pJournal.release();
    pOld->setParent(this);
    pOld->retire();
    bFlushing = false;
}

SJournalEntry CJournalLink::journalEntry(const QString& sFileName) const {
    // the protocol's own records say what it is; a document may bring
    // control characters the fields would not take
    const ProtocolDocument doc = form.document();
    SJournalEntry entry;
    entry.sNumber = CLineValidator::oneLine(doc.valueOf<StdItemRecord>(Caption::sNumber)).trimmed();
    if (const DateRecord* pDate = doc.first<DateRecord>())
        entry.dtDate = pDate->dtDate;
    entry.sCustomer = CLineValidator::oneLine(doc.valueOf<ComboItemRecord>(Caption::sCustomer));
    entry.sObject = CLineValidator::oneLine(doc.valueOf<StdItemRecord>(Caption::sObjectName));
    if (const MethodsRecord* pMethods = doc.first<MethodsRecord>())
        entry.sMethods = pMethods->lstTexts.join(QStringLiteral(", "));
    entry.sPath = QFileInfo(sFileName).absoluteFilePath();
    entry.dtSaved = QDateTime::currentDateTime();
    entry.sUser = operatingSystemUser();
    entry.sHost = QSysInfo::machineHostName();
    return entry;
}

bool CJournalLink::mayLeaveNumberEmpty() {
    return CUserDialogs::question(&form, CDocumentController::sSaveTitle,
                                  QStringLiteral("У протокола нет номера. Сохранить его без "
                                                 "номера?"),
                                  CUserDialogs::Yes | CUserDialogs::No,
                                  CUserDialogs::Yes) == CUserDialogs::Yes;
}

bool CJournalLink::mayReuseNumber(const SJournalEntry& entry, const SProtocolPlace& holder,
                                  const QString& sNextFree) {
    const QString sHint = sNextFree.isEmpty()
                              ? QString()
                              : QStringLiteral("\nСледующий свободный номер: %1.").arg(sNextFree);
    // the free number after the question: "this number" is the one registered
    return CUserDialogs::question(&form, CDocumentController::sSaveTitle,
                                  QStringLiteral("Протокол №%1 уже зарегистрирован: %2. "
                                                 "Сохранить с этим номером?%3")
                                      .arg(entry.sNumber, holder.describe(), sHint),
                                  CUserDialogs::Yes | CUserDialogs::No,
                                  CUserDialogs::No) == CUserDialogs::Yes;
}

bool CJournalLink::mayTakeNumber(const SJournalEntry& entry, const SJournalCheck& check,
                                 bool* pTakeOver) {
    *pTakeOver = !check.holder.isEmpty();
    return check.holder.isEmpty() || mayReuseNumber(entry, check.holder, check.sNextFree);
}

bool CJournalLink::mayReplaceRegistered(const QString& sPath, const SJournalCheck& check) {
    if (!check.bPlaceRegistered || !QFileInfo::exists(sPath))
        return true;
    return CUserDialogs::question(
               &form, CDocumentController::sSaveTitle,
               QStringLiteral("Файл «%1» — протокол №%2 от %3, зарегистрированный в журнале. "
                              "Заменить его этим протоколом?")
                   .arg(QDir::toNativeSeparators(sPath), check.placeRow.sNumber,
                        check.placeRow.dtDate.toString(QStringLiteral("dd.MM.yyyy"))),
               CUserDialogs::Yes | CUserDialogs::No, CUserDialogs::No) == CUserDialogs::Yes;
}

std::optional<CJournalLink::SJournalCheck> CJournalLink::checkJournal(const SJournalEntry& entry) {
    return journal()->ask<SJournalCheck>([entry](CJournal& journal) {
        SJournalCheck check;
        check.holder = journal.holderOf(entry.sNumber, entry.year(), entry.place());
        check.bPlaceRegistered = journal.entryOf(entry.place(), &check.placeRow);
        if (!check.holder.isEmpty())
            check.sNextFree = journal.nextNumber(entry.year()).sNumber;
        return check;
    });
}

bool CJournalLink::beginRegistration(const SJournalEntry& entry, bool bTakeOver) {
    bHeldTakeOver = bTakeOver;
    using EResult = CJournal::EResult;
    const auto begin = [this, &entry](bool bTakeOver) {
        return journal()->ask<std::pair<EResult, SProtocolPlace>>(
            [entry, bTakeOver](CJournal& journal) {
                SProtocolPlace holder;
                const EResult eResult = journal.beginRegistration(entry, bTakeOver, &holder);
                return std::pair(eResult, holder);
            });
    };
    const auto begun = begin(bTakeOver);
    // another workstation took the number between the question and the
    // save; a journal that does not answer in time registers the row, or
    // queues it, when the file is written
    if (!begun || begun->first != EResult::Duplicate)
        return true;
    const auto next = journal()->ask<SNextNumber>(nextNumberOf(entry.year()));
    if (!mayReuseNumber(entry, begun->second, next ? next->sNumber : QString())) {
        cancelRegistration();
        return false;
    }
    bHeldTakeOver = true;
    begin(true);
    return true;
}

void CJournalLink::cancelRegistration() {
    journal()->post<bool>(
        [](CJournal& journal) {
            journal.cancelRegistration();
            return true;
        },
        [](bool) {});
}

void CJournalLink::finishRegistration(const SJournalEntry& entry) {
    form.showStatus(CCreateReport::EStatus::Number, QString()); // saved, with its number or not
    const auto report = journal()->ask<SJournalReport>(
        [](CJournal& journal) { return SJournalReport::of(journal, journal.commitRegistration()); },
        [this, sPath = entry.sPath](const SJournalReport& report) {
            showJournalReport(report, sPath);
        });
    if (report) {
        showJournalReport(*report, entry.sPath);
        return;
    }
    // the row must outlive a worker that hangs on a silent server and a
    // program killed meanwhile: it waits in the queue from now on
    CJournalQueue queue(journal()->queueFile());
    if (!journal()->queueFile().isEmpty() && !queue.add(entry, bHeldTakeOver))
        announceNotEntered(entry.sPath, queue.problem());
    showRowsWaiting(journal()->waitingFor());
}

void CJournalLink::showRowsWaiting(const QString& sWhy) {
    form.showStatus(CCreateReport::EStatus::JournalRows, waitingText(sWhy));
    if (!pJournalTimer->isActive())
        pJournalTimer->start();
}

void CJournalLink::showJournalReport(const SJournalReport& report, const QString& sPath) {
    iWaitingRows = report.iWaiting;
    if (report.iWaiting > 0) {
        showRowsWaiting(report.sProblem);
    } else {
        if (!bNumberAwaitsJournal)
            pJournalTimer->stop();
        form.showStatus(CCreateReport::EStatus::JournalRows, QString());
    }
    if (report.eResult == CJournal::EResult::Failed)
        announceNotEntered(sPath, report.sProblem);
    announceRefused(report.lstRefused);
    if (pJournalWindow)
        pJournalWindow->refresh();
}

void CJournalLink::announceNotEntered(const QString& sPath, const QString& sWhy) {
    CUserDialogs::warning(&form, g_sJournalTitle,
                          QStringLiteral("Протокол «%1» сохранен, но не внесен в журнал: %2")
                              .arg(QDir::toNativeSeparators(sPath), sWhy));
}

void CJournalLink::announceRefused(const QList<SQueuedEntry>& lstRefused) {
    for (const SQueuedEntry& refused : lstRefused)
        CUserDialogs::warning(
            &form, g_sJournalTitle,
            QStringLiteral("Протокол «%1» не внесен в журнал: номер %2 уже зарегистрирован (%3).")
                .arg(QDir::toNativeSeparators(refused.entry.sPath), refused.entry.sNumber,
                     refused.refusedFor.describe()));
}

void CJournalLink::startJournal() {
    flushJournal();
    if (session.currentFile().isEmpty() && !session.isChanged())
        offerNextNumber();
}

void CJournalLink::offerNextNumber() {
    if (!form.protocolNumber().trimmed().isEmpty())
        return;
    const auto next =
        journal()->ask<SNextNumber>(nextNumberOf(QDate::currentDate().year()),
                                    [this](const SNextNumber& next) { takeOfferedNumber(next); });
    if (next)
        takeOfferedNumber(*next);
    else
        takeOfferedNumber({QString(),
                           QStringLiteral("журнал недоступен (%1)").arg(journal()->waitingFor()),
                           true});
}

void CJournalLink::takeOfferedNumber(const SNextNumber& next) {
    // a number that comes late is for the new protocol it was asked for
    bNumberAwaitsJournal = false;
    if (!session.currentFile().isEmpty() || session.isChanged() ||
        !form.protocolNumber().trimmed().isEmpty()) {
        form.showStatus(CCreateReport::EStatus::Number, QString()); // of a protocol gone by
        return;
    }
    if (next.sNumber.isEmpty()) {
        // an empty number is no surprise when the reason is in sight; a
        // journal out of reach is asked again with the queue
        form.showStatus(CCreateReport::EStatus::Number,
                        QStringLiteral("Номер протокола не предложен: %1").arg(next.sWhyNone));
        bNumberAwaitsJournal = next.bUnreachable;
        if (bNumberAwaitsJournal && !pJournalTimer->isActive())
            pJournalTimer->start();
        return;
    }
    form.setProtocolNumber(next.sNumber);
    session.takeSnapshot(); // an offered number alone is nothing to save
    form.showStatus(CCreateReport::EStatus::Number, QString());
}

void CJournalLink::forgetNumberNote() {
    // why no number was offered is of no interest once the protocol has
    // one, or is a file: the note is of a new protocol
    if (!form.status(CCreateReport::EStatus::Number).isEmpty() &&
        (!form.protocolNumber().trimmed().isEmpty() || !session.currentFile().isEmpty()))
        form.showStatus(CCreateReport::EStatus::Number, QString());
}

void CJournalLink::showJournal() {
    if (!pJournalWindow) {
        pJournalWindow = new CJournalWindow(*journal(), &form);
        pJournalWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(pJournalWindow, &CJournalWindow::openRequested, this,
                &CJournalLink::openFromJournal);
        connect(&session, &CDocumentController::documentStateChanged, pJournalWindow,
                [this] { pJournalWindow->setExportDir(session.documentDir()); });
    } else {
        pJournalWindow->refresh();
    }
    pJournalWindow->setExportDir(session.documentDir());
    pJournalWindow->show();
    pJournalWindow->raise();
    pJournalWindow->activateWindow();
}

void CJournalLink::openFromJournal(const QString& sPath) {
    if (!QFileInfo::exists(sPath)) {
        CUserDialogs::warning(
            pJournalWindow, g_sJournalTitle,
            QStringLiteral("Файл «%1» не найден.").arg(QDir::toNativeSeparators(sPath)));
        return;
    }
    form.window()->raise();
    form.window()->activateWindow();
    session.openWithQuestion(sPath);
}

void CJournalLink::retryJournal() {
    flushJournal();
    // never waited for: the number comes when the journal answers
    if (bNumberAwaitsJournal)
        journal()->post<SNextNumber>(nextNumberOf(QDate::currentDate().year()),
                                     [this](const SNextNumber& next) { takeOfferedNumber(next); });
}

void CJournalLink::flushJournal() {
    // one send at a time; the retry timer finds the next
    if (std::exchange(bFlushing, true))
        return;
    journal()->post<SJournalReport>(
        [](CJournal& journal) {
            QList<SQueuedEntry> lstRefused;
            journal.flushQueue(&lstRefused);
            SJournalReport report = SJournalReport::of(journal, CJournal::EResult::Registered);
            report.lstRefused = lstRefused + report.lstRefused;
            return report;
        },
        [this](const SJournalReport& report) {
            bFlushing = false;
            showJournalReport(report);
        });
}

void CJournalLink::announceWaitingRows() {
    if (!pJournal)
        return; // nothing was saved nor sent by this program
    const auto iWaiting =
        pJournal->ask<int>([](CJournal& journal) { return journal.waitingCount(); });
    if (iWaiting.value_or(iWaitingRows) > 0)
        CUserDialogs::information(
            &form, g_sJournalTitle,
            QStringLiteral("Записей журнала ждут отправки: %1. Они будут отправлены при "
                           "следующем запуске программы, когда журнал будет доступен.")
                .arg(iWaiting.value_or(iWaitingRows)));
}

void CJournalLink::offerToCarryJournal(const QString& sBeforeFile, const SJournalPlace& before) {
    // a journal file not there has no rows, and is not to be made by reading it
    if (!before.bServer && !QFileInfo::exists(sBeforeFile))
        return;
    const QString sBefore = CJournal::describe(before, sBeforeFile);
    // both journals are the worker's to read: the window asks when it knows
    journal()->post<int>(
        [sBeforeFile, before](CJournal& journal) {
            CJournal source(sBeforeFile, QString(), before);
            return journal.copyRowsFrom(source, nullptr, true);
        },
        [this, sBeforeFile, before, sBefore](int iRows) {
            if (iRows <= 0 ||
                CUserDialogs::question(&form, g_sJournalTitle,
                                       QStringLiteral("Журнал протоколов теперь: %1 (был: %2).\n"
                                                      "Перенести записей журнала: %3?")
                                           .arg(journal()->describe(), sBefore)
                                           .arg(iRows),
                                       CUserDialogs::Yes | CUserDialogs::No,
                                       CUserDialogs::Yes) != CUserDialogs::Yes)
                return;
            carryJournal(sBeforeFile, before);
        });
}

void CJournalLink::carryJournal(const QString& sBeforeFile, const SJournalPlace& before) {
    struct SCarried {
        int iCopied = 0;
        QStringList lstSkipped;
        QString sProblem;
    };
    journal()->post<SCarried>(
        [sBeforeFile, before](CJournal& journal) {
            CJournal source(sBeforeFile, QString(), before);
            SCarried carried;
            carried.iCopied = journal.copyRowsFrom(source, &carried.lstSkipped);
            carried.sProblem = journal.problem().isEmpty() ? source.problem() : journal.problem();
            return carried;
        },
        [this](const SCarried& carried) {
            if (carried.iCopied < 0)
                CUserDialogs::warning(
                    &form, g_sJournalTitle,
                    QStringLiteral("Записи журнала не перенесены: %1.").arg(carried.sProblem));
            else if (!carried.lstSkipped.isEmpty())
                CUserDialogs::warning(
                    &form, g_sJournalTitle,
                    QStringLiteral("Перенесено записей: %1. Не перенесены, эти номера в "
                                   "новом журнале уже зарегистрированы за другими "
                                   "файлами:\n%2")
                        .arg(carried.iCopied)
                        .arg(carried.lstSkipped.join(QLatin1Char('\n'))));
            if (pJournalWindow)
                pJournalWindow->refresh();
        });
}
