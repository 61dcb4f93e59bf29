// Issued protocols: the issue with its PDF in the archive and its
// fingerprints in the journal, the issued file kept as issued, and the
// next revision that replaces it.
#include "composer/documentcontroller.h"

#include "base/settings.h"
#include "base/userdialogs.h"
#include "composer/fusionwidget.h"
#include "composer/journallink.h"
#include "document/validity.h"
#include "storage/journalservice.h"
#include "storage/settingskeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

namespace {
const QString g_sIssueTitle = QStringLiteral("Выдать протокол");
const QString g_sRevisionTitle = QStringLiteral("Новая редакция");
const QString g_sDateFormat = QStringLiteral("dd.MM.yyyy");

// The protocol a revision replaces, as its item of the user's own names it:
// "№ 118/26 от 07.12.2026".
struct SReplaced {
    QString sNumber;
    QDate dtDate;
};

std::optional<SReplaced> replacedProtocol(const ProtocolDocument& doc) {
    const UserItemsRecord* pItems = doc.first<UserItemsRecord>();
    if (!pItems)
        return std::nullopt;
    static const QRegularExpression reValue(
        QStringLiteral("^\\s*№\\s*(.+?)\\s+от\\s+(\\d{2}\\.\\d{2}\\.\\d{4})\\s*$"));
    for (const StdItemRecord& item : pItems->lstItems) {
        if (item.sName.trimmed() != CDocumentController::sReplacesCaption)
            continue;
        const QRegularExpressionMatch match = reValue.match(item.sValue);
        if (match.hasMatch())
            return SReplaced{match.captured(1),
                             QDate::fromString(match.captured(2), g_sDateFormat)};
    }
    return std::nullopt;
}
} // namespace

QString CDocumentController::archiveDir() const {
    const QString sChosen = openSettings()->value(SettingsKey::sArchiveFolder).toString();
    return sChosen.isEmpty() ? QFileInfo(sCurrentFile).absolutePath() : sChosen;
}

QStringList CDocumentController::issueRefusals() const {
    const ProtocolDocument doc = form.document();
    QStringList lst;
    if (form.protocolNumber().trimmed().isEmpty())
        lst << QStringLiteral("у протокола нет номера");
    lst << validityProblems(doc);
    return lst;
}

bool CDocumentController::issueReport() {
    form.commitEdits();
    awaitIssue();
    if (issued) {
        CUserDialogs::information(&form, g_sIssueTitle, issuedLine());
        return false;
    }
    // a draft may be printed with these, never issued
    const QStringList lstRefusals = issueRefusals();
    if (!lstRefusals.isEmpty()) {
        CUserDialogs::warning(&form, g_sIssueTitle,
                              QStringLiteral("Протокол не может быть выдан:\n%1")
                                  .arg(CUserDialogs::linesText(lstRefusals)));
        return false;
    }
    if (!form.confirmReady(g_sIssueTitle, QStringLiteral("Выдать протокол все равно?")))
        return false;
    const QString sNumber = form.protocolNumber().trimmed();
    if (CUserDialogs::question(&form, g_sIssueTitle,
                               QStringLiteral("Протокол №%1 будет выдан: изменить его после "
                                              "выдачи можно только новой редакцией. Выдать?")
                                   .arg(sNumber),
                               CUserDialogs::Yes | CUserDialogs::No,
                               CUserDialogs::No) != CUserDialogs::Yes)
        return false;
    if (!saveReport())
        return false;
    return recordIssue();
}

bool CDocumentController::recordIssue() {
    const QString sPdf = QDir(archiveDir()).filePath(proposedFileName(QStringLiteral(".pdf")));
    QString sProblem;
    if (!QDir().mkpath(archiveDir()) || !exportPdf(sPdf, nullptr, &sProblem)) {
        CUserDialogs::warning(&form, g_sIssueTitle,
                              QStringLiteral("Протокол не выдан: %1")
                                  .arg(sProblem.isEmpty()
                                           ? QStringLiteral("папка «%1» недоступна для записи")
                                                 .arg(QDir::toNativeSeparators(archiveDir()))
                                           : sProblem));
        return false;
    }
    const ProtocolDocument doc = form.document();
    const SJournalEntry entry = pJournalLink->journalEntry(sCurrentFile);
    SIssueRecord issue;
    issue.sNumber = entry.sNumber;
    issue.dtDate = entry.dtDate;
    issue.sHost = entry.sHost;
    issue.sPath = entry.sPath;
    issue.dtIssued = QDateTime::currentDateTime();
    issue.sUser = entry.sUser;
    issue.sWorkstation = entry.sHost;
    issue.sPdfPath = QFileInfo(sPdf).absoluteFilePath();
    issue.sPdfSha256 = CJournal::sha256OfFile(sPdf, &sProblem);
    issue.sRptSha256 = CJournal::sha256OfFile(sCurrentFile, &sProblem);
    if (const auto replaced = replacedProtocol(doc)) {
        issue.sReplacesNumber = replaced->sNumber;
        issue.dtReplacesDate = replaced->dtDate;
    }
    pJournalLink->journal()->beginAction();
    // the issue is the journal's, or none: it never waits in a queue; an
    // answer that comes after the window stopped waiting ends it then
    const auto finish = [this, issue](const SIssueResult& result) { finishIssue(issue, result); };
    const std::optional<SIssueResult> result = pJournalLink->journal()->ask<SIssueResult>(
        [issue, entry](CJournal& journal) { return journal.recordIssue(issue, entry); }, finish);
    if (!result) {
        form.showStatus(
            CCreateReport::EStatus::JournalAnswer,
            QStringLiteral("Выдача протокола №%1 ждет ответа журнала").arg(issue.sNumber));
        return false;
    }
    return finishIssue(issue, *result);
}

bool CDocumentController::finishIssue(const SIssueRecord& issue, const SIssueResult& result) {
    form.showStatus(CCreateReport::EStatus::JournalAnswer, QString()); // it has answered
    if (!result.isRecorded()) {
        QFile::remove(issue.sPdfPath); // what is not issued is not in the archive
        CUserDialogs::warning(&form, g_sIssueTitle,
                              QStringLiteral("Протокол не выдан: %1").arg(result.sProblem));
        return false;
    }
    if (issue.sPath == sCurrentFile)
        showIssued(issue, false);
    CUserDialogs::information(&form, g_sIssueTitle,
                              QStringLiteral("Протокол №%1 выдан: %2")
                                  .arg(issue.sNumber, QDir::toNativeSeparators(issue.sPdfPath)));
    return true;
}

QString CDocumentController::issuedLine() const {
    if (!issued)
        return QString();
    QString sLine = QStringLiteral("Выдан %1 (%2, %3).")
                        .arg(issued->dtIssued.toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                             issued->sUser, issued->sWorkstation);
    if (issued->isReplaced())
        sLine += QStringLiteral(" Заменен протоколом № %1.").arg(issued->sReplacedBy);
    if (bIssuedFileChanged)
        sLine += QStringLiteral(" Файл изменен после выдачи.");
    return sLine + QStringLiteral(" Изменить можно только новой редакцией.");
}

void CDocumentController::showIssued(const std::optional<SIssueRecord>& record, bool bChanged) {
    issued = record;
    bIssuedFileChanged = bChanged;
    form.setIssuedLine(issuedLine());
}

CDocumentController::SIssueLookUp CDocumentController::issueOfFile(CJournal& journal,
                                                                   const SProtocolPlace& place) {
    QString sProblem;
    SIssueLookUp found{journal.issueOf(place), CJournal::sha256OfFile(place.sPath, &sProblem)};
    // issued here, or the issued document itself, from wherever it was issued
    if (!found.state.bIssued && found.state.isKnown() && !found.sSha.isEmpty())
        found.state = journal.issueOfRpt(found.sSha);
    return found;
}

void CDocumentController::takeIssue(const QString& sPath, const SIssueLookUp& found) {
    if (sPath != sCurrentFile)
        return; // of a document shown before
    bIssueAsked = false;
    if (found.state.bIssued)
        showIssued(found.state.record, found.sSha != found.state.record.sRptSha256);
}

void CDocumentController::lookUpIssue() {
    const QString sPath = sCurrentFile;
    showIssued(std::nullopt, false);
    bIssueAsked = !sPath.isEmpty();
    if (!bIssueAsked)
        return;
    // the document opens at once; the answer makes it read-only a moment
    // later, and a save in place before it waits for it
    const SProtocolPlace place{QSysInfo::machineHostName(), sPath};
    pJournalLink->journal()->post<SIssueLookUp>(
        [place](CJournal& journal) { return issueOfFile(journal, place); },
        [this, sPath](const SIssueLookUp& found) { takeIssue(sPath, found); });
}

void CDocumentController::awaitIssue() {
    if (!bIssueAsked)
        return;
    // as long as the journal answers any save
    const SProtocolPlace place{QSysInfo::machineHostName(), sCurrentFile};
    const auto found = pJournalLink->journal()->ask<SIssueLookUp>(
        [place](CJournal& journal) { return issueOfFile(journal, place); });
    if (found)
        takeIssue(sCurrentFile, *found);
}

bool CDocumentController::refuseIssuedSave(const QString& sFileName) {
    if (QFileInfo(sFileName).absoluteFilePath() != sCurrentFile)
        return false;
    awaitIssue();
    if (!issued)
        return false;
    CUserDialogs::warning(&form, sSaveTitle,
                          QStringLiteral("Протокол №%1 выдан и не сохраняется на место "
                                         "выданного. %2")
                              .arg(issued->sNumber, issuedLine()));
    return true;
}

bool CDocumentController::newRevision() {
    awaitIssue();
    if (!issued) {
        CUserDialogs::information(&form, g_sRevisionTitle,
                                  QStringLiteral("Новая редакция делается из выданного протокола: "
                                                 "откройте его."));
        return false;
    }
    const SIssueRecord original = *issued;
    // the revision of a replaced protocol is the next one of its replacement
    if (original.isReplaced()) {
        CUserDialogs::information(&form, g_sRevisionTitle,
                                  QStringLiteral("Протокол №%1 уже заменен протоколом №%2: новая "
                                                 "редакция делается из него.")
                                      .arg(original.sNumber, original.sReplacedBy));
        return false;
    }
    // the window waits no longer than for any journal answer: a late number
    // makes the revision of the protocol still shown
    const auto make = [this, original](const SNextNumber& next) { makeRevision(original, next); };
    const auto next = pJournalLink->journal()->ask<SNextNumber>(
        [sNumber = original.sNumber](CJournal& journal) {
            return journal.nextAmendmentNumber(sNumber);
        },
        make);
    if (!next) {
        form.showStatus(CCreateReport::EStatus::JournalAnswer,
                        QStringLiteral("Номер новой редакции ждет ответа журнала"));
        return false;
    }
    return makeRevision(original, *next);
}

bool CDocumentController::makeRevision(const SIssueRecord& original, const SNextNumber& next) {
    form.showStatus(CCreateReport::EStatus::JournalAnswer, QString()); // it has answered
    if (!issued || issued->place() != original.place())
        return false; // another protocol is shown by now
    if (next.sNumber.isEmpty()) {
        CUserDialogs::warning(
            &form, g_sRevisionTitle,
            QStringLiteral("Номер новой редакции не получен: %1").arg(next.sWhyNone));
        return false;
    }
    if (!offerToSaveChanges())
        return false;
    // the same protocol, unsaved, under its next number, naming the one it replaces
    startNew(form.document());
    form.setProtocolNumber(next.sNumber);
    form.setReplacedProtocol(sReplacesCaption,
                             QStringLiteral("№ %1 от %2")
                                 .arg(original.sNumber, original.dtDate.toString(g_sDateFormat)));
    return true;
}
