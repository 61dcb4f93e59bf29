// The issues of protocols in the journal: recorded with the fingerprints of
// the PDF and the document, an amendment marking the protocol it replaces,
// and looked up by a document's place or by a PDF's fingerprint.
#include "storage/journal.h"

#include "storage/journalqueue.h"
#include "storage/journalrows.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

using namespace JournalRows;

namespace {
// The columns of an issue, in the order issueRecordOf reads them and
// issueValues fills them (with the year after them).
const QString g_sIssueColumns = QStringLiteral(
    "number, protocol_date, host, path, issued, user_name, workstation, pdf_sha256, rpt_sha256, "
    "pdf_path, replaces_number, replaces_date, replaced_by");
constexpr int g_iIssueValues = 14;
// How many amendments of one protocol are looked through for a free number.
constexpr int g_iMaxAmendments = 1000;

const QString g_sShownDate = QStringLiteral("dd.MM.yyyy");
const QString g_sShownTime = QStringLiteral("dd.MM.yyyy HH:mm");

// A date as the journal keeps it; "" for none.
QVariant dateValue(const QDate& dt) {
    return text(dt.toString(sDateFormat));
}

SIssueRecord issueRecordOf(const QSqlQuery& query) {
    SIssueRecord r;
    r.sNumber = query.value(0).toString();
    r.dtDate = QDate::fromString(query.value(1).toString(), sDateFormat);
    r.sHost = query.value(2).toString();
    r.sPath = query.value(3).toString();
    r.dtIssued = savedTime(query.value(4).toString());
    r.sUser = query.value(5).toString();
    r.sWorkstation = query.value(6).toString();
    r.sPdfSha256 = query.value(7).toString();
    r.sRptSha256 = query.value(8).toString();
    r.sPdfPath = query.value(9).toString();
    r.sReplacesNumber = query.value(10).toString();
    r.dtReplacesDate = QDate::fromString(query.value(11).toString(), sDateFormat);
    r.sReplacedBy = query.value(12).toString();
    return r;
}

QVariantList issueValues(const SIssueRecord& r) {
    return {text(r.sNumber),
            dateValue(r.dtDate),
            text(r.sHost),
            text(r.sPath),
            text(r.dtIssued.toString(sTimeFormat)),
            text(r.sUser),
            text(r.sWorkstation),
            text(r.sPdfSha256.toLower()),
            text(r.sRptSha256.toLower()),
            text(r.sPdfPath),
            text(r.sReplacesNumber),
            r.isAmendment() ? dateValue(r.dtReplacesDate) : text(QString()),
            text(QString()), // replaced by none yet
            r.year()};
}

// "№ 118/26 от 07.12.2026", as the refusals name a protocol.
QString protocolName(const QString& sNumber, const QDate& dtDate) {
    return QStringLiteral("№ %1 от %2").arg(sNumber, dtDate.toString(g_sShownDate));
}
} // namespace

QString SIssueRecord::describe() const {
    QString s = QStringLiteral("протокол %1, выдан %2 (%3, %4)")
                    .arg(protocolName(sNumber, dtDate), dtIssued.toString(g_sShownTime), sUser,
                         sWorkstation);
    if (isReplaced())
        s += QStringLiteral(", заменен протоколом № %1").arg(sReplacedBy);
    return s;
}

QString CJournal::sha256OfFile(const QString& sPath, QString* pProblem) {
    const QFileInfo info(sPath);
    // a folder, a pipe or a device is no PDF, and a pipe would never end
    if (!info.exists())
        *pProblem = QStringLiteral("файл не найден");
    else if (info.isDir())
        *pProblem = QStringLiteral("это папка, а не файл");
    else if (!info.isFile())
        *pProblem = QStringLiteral("это не обычный файл");
    if (!pProblem->isEmpty())
        return QString();
    QFile file(sPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *pProblem = file.error() == QFileDevice::PermissionsError
                        ? QStringLiteral("нет прав на чтение файла")
                        : QStringLiteral("файл не читается: %1").arg(file.errorString());
        return QString();
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError) {
        *pProblem = QStringLiteral("файл не читается: %1").arg(file.errorString());
        return QString();
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString CJournal::amendedNumber(const QString& sNumber) {
    static const QRegularExpression reAmendment(QStringLiteral("^(.+)-([1-9]\\d*)$"));
    const QRegularExpressionMatch match = reAmendment.match(sNumber);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool CJournal::isNumberUsed(QSqlQuery& query, const QString& sNumber, bool* pFailed) {
    const QString sIssued = QStringLiteral(" UNION SELECT id FROM issues WHERE number = ?");
    if (!run(query,
             QStringLiteral("SELECT id FROM protocols WHERE number = ?%1")
                 .arg(bIssueTable ? sIssued : QString()),
             bIssueTable ? QVariantList{sNumber, sNumber} : QVariantList{sNumber})) {
        failed(query);
        *pFailed = true;
        return false;
    }
    return query.next();
}

bool CJournal::isAmendment(QSqlQuery& query, const QString& sNumber, bool* pFailed) {
    const QString sOriginal = amendedNumber(sNumber);
    return !sOriginal.isEmpty() && isNumberUsed(query, sOriginal, pFailed);
}

SNextNumber CJournal::nextAmendmentNumber(const QString& sOriginal) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return {QString(), QStringLiteral("журнал недоступен (%1)").arg(sProblem), true};
    QSqlQuery query(db);
    bool bFailed = false;
    // an amendment of an amendment counts on from the same original
    const QString sRoot =
        isAmendment(query, sOriginal, &bFailed) ? amendedNumber(sOriginal) : sOriginal;
    QStringList lstQueued;
    if (QFileInfo::exists(sQueueFile)) {
        for (const SQueuedEntry& queued : CJournalQueue(sQueueFile).rows())
            lstQueued << queued.entry.sNumber;
    }
    for (int n = 1; n <= g_iMaxAmendments && !bFailed; ++n) {
        const QString sNumber = QStringLiteral("%1-%2").arg(sRoot).arg(n);
        if (!isNumberUsed(query, sNumber, &bFailed) && !bFailed && !lstQueued.contains(sNumber))
            return {sNumber, QString()};
    }
    if (bFailed)
        return {QString(), QStringLiteral("журнал недоступен (%1)").arg(sProblem), true};
    return {QString(),
            QStringLiteral("свободный номер редакции протокола № %1 не найден").arg(sRoot)};
}

SIssueResult CJournal::recordIssue(const SIssueRecord& issue, const SJournalEntry& entry) {
    using EKind = SIssueResult::EKind;
    if (issue.sNumber.isEmpty())
        return {EKind::Refused, QStringLiteral("у протокола нет номера")};
    if (!issue.dtDate.isValid())
        return {EKind::Refused, QStringLiteral("у протокола нет даты")};
    if (entry.sNumber != issue.sNumber || entry.dtDate != issue.dtDate ||
        entry.place() != issue.place())
        return {EKind::Refused, QStringLiteral("запись журнала о протоколе %1 не совпадает с "
                                               "выдаваемым протоколом")
                                    .arg(protocolName(issue.sNumber, issue.dtDate))};
    // the rows saved before go first: the protocol's own among them
    flushQueue(&lstRefused);
    QSqlDatabase db = database();
    if (!db.isValid())
        return {EKind::Failed, sProblem};
    if (!bIssueTable)
        return {EKind::Failed,
                QStringLiteral("журнал не обновлен до этой версии программы и не принимает "
                               "выдачи: %1")
                    .arg(describe())};
    QSqlQuery query(db);
    const bool bSqlite = db.driverName() == QStringLiteral("QSQLITE");
    if (!run(query, bSqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"))) {
        failed(query);
        return {EKind::Failed, sProblem};
    }
    bool bFailed = false;
    const QString sRefused = writeIssue(query, issue, entry, &bFailed);
    if (sRefused.isEmpty() && run(query, QStringLiteral("COMMIT"))) {
        sProblem.clear();
        return {EKind::Recorded, QString()};
    }
    if (sRefused.isEmpty()) {
        bFailed = true;
        failed(query);
    }
    const QString sFailure = sProblem;
    run(query, QStringLiteral("ROLLBACK"));
    if (!bFailed)
        return {EKind::Refused, sRefused};
    // another workstation issued the number meanwhile: the unique index said no
    const SIssueState now =
        issueWhere(QStringLiteral("number = ? AND year = ?"), {issue.sNumber, issue.year()});
    if (now.bIssued)
        return {EKind::Refused, QStringLiteral("протокол %1 уже выдан %2 (%3, %4)")
                                    .arg(protocolName(issue.sNumber, issue.dtDate),
                                         now.record.dtIssued.toString(g_sShownTime),
                                         now.record.sUser, now.record.sWorkstation)};
    sProblem = sFailure;
    return {EKind::Failed, sFailure};
}

QString CJournal::writeIssue(QSqlQuery& query, const SIssueRecord& issue,
                             const SJournalEntry& entry, bool* pFailed) {
    const QString sName = protocolName(issue.sNumber, issue.dtDate);
    const auto failedHere = [&] {
        *pFailed = true;
        failed(query);
        return sProblem;
    };
    // the protocol is registered for its place: by the save before, or now
    if (!run(query,
             QStringLiteral("SELECT number, year FROM protocols WHERE host = ? AND path = ?"),
             {text(issue.sHost), text(issue.sPath)}))
        return failedHere();
    const bool bRegistered = query.next() && query.value(0).toString() == issue.sNumber &&
                             query.value(1).toInt() == issue.year();
    if (!bRegistered) {
        SProtocolPlace holder;
        switch (writeRow(query, entry, false, &holder)) {
        case ERow::Written:
            break;
        case ERow::Duplicate:
            return QStringLiteral("№%1 уже зарегистрирован: %2")
                .arg(issue.sNumber, holder.describe());
        case ERow::Newer:
            return QStringLiteral("документ %1 сохранен позже под другим номером")
                .arg(issue.place().describe());
        case ERow::Failed:
            return failedHere();
        }
    }
    if (!run(query,
             QStringLiteral("SELECT issued, user_name, workstation FROM issues WHERE number = ? "
                            "AND year = ?"),
             {issue.sNumber, issue.year()}))
        return failedHere();
    if (query.next())
        return QStringLiteral("протокол %1 уже выдан %2 (%3, %4)")
            .arg(sName, savedTime(query.value(0).toString()).toString(g_sShownTime),
                 query.value(1).toString(), query.value(2).toString());
    QVariant idReplaced;
    if (issue.isAmendment()) {
        const QString sReplaced = protocolName(issue.sReplacesNumber, issue.dtReplacesDate);
        if (!run(query,
                 QStringLiteral("SELECT id, replaced_by FROM issues WHERE number = ? AND "
                                "protocol_date = ?"),
                 {issue.sReplacesNumber, dateValue(issue.dtReplacesDate)}))
            return failedHere();
        if (!query.next())
            return QStringLiteral("протокол %1, который заменяет эта редакция, не выдан")
                .arg(sReplaced);
        if (!query.value(1).toString().isEmpty())
            return QStringLiteral("протокол %1 уже заменен протоколом № %2")
                .arg(sReplaced, query.value(1).toString());
        idReplaced = query.value(0);
    }
    if (!run(query,
             QStringLiteral("INSERT INTO issues (%1, year) VALUES (%2)")
                 .arg(g_sIssueColumns, placeholders(g_iIssueValues)),
             issueValues(issue)))
        return failedHere();
    if (!idReplaced.isValid())
        return QString();
    // another amendment of the same protocol issued meanwhile changes no row
    if (!run(query,
             QStringLiteral("UPDATE issues SET replaced_by = ? WHERE id = ? AND replaced_by = ''"),
             {issue.sNumber, idReplaced}))
        return failedHere();
    if (query.numRowsAffected() != 1)
        return QStringLiteral("протокол %1 заменен другой редакцией")
            .arg(protocolName(issue.sReplacesNumber, issue.dtReplacesDate));
    return QString();
}

SIssueState CJournal::issueWhere(const QString& sWhere, const QVariantList& lstValues) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return {false, {}, sProblem.isEmpty() ? QStringLiteral("журнал недоступен") : sProblem};
    // a journal left of an earlier version has issued nothing
    if (!bIssueTable)
        return {};
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("SELECT %1 FROM issues WHERE %2 ORDER BY issued DESC, id DESC LIMIT 1")
                 .arg(g_sIssueColumns, sWhere),
             lstValues)) {
        failed(query);
        return {false, {}, sProblem};
    }
    if (!query.next())
        return {};
    return {true, issueRecordOf(query), QString()};
}

SIssueState CJournal::issueOf(const SProtocolPlace& at) {
    return issueWhere(QStringLiteral("host = ? AND path = ?"), {text(at.sHost), text(at.sPath)});
}

SIssueState CJournal::issueOfPdf(const QString& sPdfSha256) {
    return issueWhere(QStringLiteral("pdf_sha256 = ?"), {sPdfSha256.toLower()});
}

SIssueState CJournal::issueOfRpt(const QString& sRptSha256) {
    return issueWhere(QStringLiteral("rpt_sha256 = ?"), {sRptSha256.toLower()});
}

SPdfCheck CJournal::checkPdf(const QString& sPath) {
    using EVerdict = SPdfCheck::EVerdict;
    QString sWhy;
    const QString sHash = sha256OfFile(sPath, &sWhy);
    if (sHash.isEmpty())
        return {EVerdict::Unreadable, {}, sWhy};
    const SIssueState state = issueOfPdf(sHash);
    if (!state.isKnown())
        return {EVerdict::Unreachable,
                {},
                QStringLiteral("журнал недоступен (%1)").arg(state.sProblem)};
    if (!state.bIssued)
        return {EVerdict::NotIssued, {}, QStringLiteral("не найден среди выданных")};
    return {EVerdict::Issued, state.record, state.record.describe()};
}

bool CJournal::copyIssuesFrom(QSqlDatabase& from, QSqlQuery& query, QStringList* pSkipped,
                              bool bCount, int* pCarried) {
    constexpr int iNumber = 0, iPath = 3, iPdf = 7, iReplacedBy = 12, iYear = g_iIssueValues - 1;
    QSqlQuery issues(from);
    issues.setForwardOnly(true);
    const auto failedOn = [this](const QSqlQuery& failedQuery) {
        sProblem = failure(failedQuery.lastError());
        return false;
    };
    if (!run(issues,
             QStringLiteral("SELECT %1, year FROM issues ORDER BY id").arg(g_sIssueColumns)))
        return failedOn(issues);
    while (issues.next()) {
        QVariantList lstValues;
        for (int i = 0; i < g_iIssueValues; ++i)
            lstValues << issues.value(i);
        if (!run(query,
                 QStringLiteral("SELECT pdf_sha256, replaced_by FROM issues WHERE number = ? AND "
                                "year = ?"),
                 {lstValues[iNumber], lstValues[iYear]}))
            return failedOn(query);
        const bool bHere = query.next();
        const QString sReplacedBy = lstValues[iReplacedBy].toString();
        if (bHere && query.value(0).toString() != lstValues[iPdf].toString()) {
            // the number was issued here as another protocol: that one stays
            if (pSkipped)
                pSkipped->append(QStringLiteral("%1 (%2)").arg(lstValues[iNumber].toString(),
                                                               lstValues[iPath].toString()));
            continue;
        }
        const bool bReplacement =
            bHere && query.value(1).toString().isEmpty() && !sReplacedBy.isEmpty();
        if (bHere && !bReplacement)
            continue; // this journal knows the issue as well already
        ++*pCarried;
        if (bCount)
            continue;
        const bool bDone =
            bReplacement
                ? run(query,
                      QStringLiteral("UPDATE issues SET replaced_by = ? WHERE number = ? AND "
                                     "year = ?"),
                      {sReplacedBy, lstValues[iNumber], lstValues[iYear]})
                : run(query,
                      QStringLiteral("INSERT INTO issues (%1, year) VALUES (%2)")
                          .arg(g_sIssueColumns, placeholders(g_iIssueValues)),
                      lstValues);
        if (!bDone)
            return failedOn(query);
    }
    return !issues.lastError().isValid() || failedOn(issues);
}
