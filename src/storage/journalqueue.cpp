#include "storage/journalqueue.h"

#include "base/writecause.h"
#include "storage/journalrows.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

using namespace JournalRows;

namespace {
QString uniqueConnection(const QString& sKind) {
    return sKind + QUuid::createUuid().toString(QUuid::Id128);
}

// The rows name customers and objects: only this user reads them.
void keepPrivate(const QString& sFile) {
    constexpr auto ePrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (QFileInfo::exists(sFile) && QFile::permissions(sFile) != ePrivate)
        QFile::setPermissions(sFile, ePrivate);
}
} // namespace

CJournalQueue::CJournalQueue(const QString& sFile)
    : sFile(sFile), sConnection(uniqueConnection(QStringLiteral("journal-queue-"))) {}

CJournalQueue::~CJournalQueue() {
    closeConnection(sConnection);
}

bool CJournalQueue::failed(const QSqlError& error) {
    const SWriteCause cause = SWriteCause::of(sFile, error.text());
    sProblem =
        QStringLiteral("Очередь журнала «%1» не записывается: %2")
            .arg(QDir::toNativeSeparators(sFile),
                 cause.eKind == SWriteCause::EKind::None ? error.text().trimmed() : cause.text());
    return false;
}

bool CJournalQueue::ensureTable(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("CREATE TABLE IF NOT EXISTS journal_queue (id INTEGER PRIMARY "
                                   "KEY AUTOINCREMENT, %1, take_over INTEGER, refused_for TEXT, "
                                   "refused_host TEXT)")
                        .arg(sValueColumns)))
        return failed(query.lastError());
    // a queue of an earlier version names no workstation of a refusal
    if (!run(query, QStringLiteral("SELECT refused_host FROM journal_queue LIMIT 0")) &&
        !run(query, QStringLiteral("ALTER TABLE journal_queue ADD COLUMN refused_host TEXT")))
        return failed(query.lastError());
    return true;
}

QSqlDatabase CJournalQueue::database() {
    QSqlDatabase db = QSqlDatabase::contains(sConnection)
                          ? QSqlDatabase::database(sConnection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sConnection);
    if (db.isOpen())
        return db;
    QDir().mkpath(QFileInfo(sFile).absolutePath());
    db.setDatabaseName(sFile);
    db.setConnectOptions(sqliteOptions());
    if (!db.open()) {
        failed(db.lastError());
        return QSqlDatabase();
    }
    if (!ensureTable(db)) {
        db.close();
        return QSqlDatabase();
    }
    keepPrivate(sFile);
    return db;
}

bool CJournalQueue::add(const SJournalEntry& entry, bool bTakeOver,
                        const SProtocolPlace& refusedFor) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return false;
    QSqlQuery query(db);
    // the window queues a row the worker does not answer for in time; the
    // worker, once it gives up on the journal, queues the same save again
    if (refusedFor.isEmpty() &&
        !select(QStringLiteral("WHERE refused_for IS NULL AND path = ? AND host = ? AND saved = ?"),
                {text(entry.sPath), text(entry.sHost), text(entry.dtSaved.toString(sTimeFormat))})
             .isEmpty()) {
        sProblem.clear();
        return true;
    }
    const QVariant refusedPath = refusedFor.isEmpty() ? QVariant() : text(refusedFor.sPath);
    if (!run(query,
             QStringLiteral("INSERT INTO journal_queue (%1, take_over, refused_for, refused_host) "
                            "VALUES (%2)")
                 .arg(sValueColumns, placeholders(14)),
             rowValues(entry) << int(bTakeOver) << refusedPath << text(refusedFor.sHost)))
        return failed(query.lastError());
    sProblem.clear();
    return true;
}

QList<std::pair<qint64, SQueuedEntry>> CJournalQueue::select(const QString& sWhere,
                                                             const QVariantList& lstValues) {
    QList<std::pair<qint64, SQueuedEntry>> lst;
    QSqlDatabase db = database();
    if (!db.isValid())
        return lst;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("SELECT %1, id, take_over, refused_for, refused_host FROM "
                            "journal_queue %2 ORDER BY id")
                 .arg(sEntryColumns, sWhere),
             lstValues))
        return lst;
    while (query.next()) {
        const SProtocolPlace refusedFor =
            query.value(iEntryColumns + 2).isNull()
                ? SProtocolPlace()
                : SProtocolPlace{query.value(iEntryColumns + 3).toString(),
                                 query.value(iEntryColumns + 2).toString()};
        lst.append({query.value(iEntryColumns).toLongLong(),
                    {entryOf(query), query.value(iEntryColumns + 1).toBool(), refusedFor}});
    }
    return lst;
}

QList<std::pair<qint64, SQueuedEntry>> CJournalQueue::waiting() {
    return select(QStringLiteral("WHERE refused_for IS NULL"));
}

QList<SQueuedEntry> CJournalQueue::rows() {
    QList<SQueuedEntry> lst;
    for (const auto& row : select(QString()))
        lst.append(row.second);
    return lst;
}

void CJournalQueue::remove(qint64 iId) {
    QSqlQuery query(database());
    run(query, QStringLiteral("DELETE FROM journal_queue WHERE id = ?"), {iId});
}

bool CJournalQueue::markRefused(qint64 iId, const SProtocolPlace& refusedFor) {
    QSqlQuery query(database());
    return run(query,
               QStringLiteral("UPDATE journal_queue SET refused_for = ?, refused_host = ? WHERE "
                              "id = ? AND refused_for IS NULL"),
               {text(refusedFor.sPath), text(refusedFor.sHost), iId}) &&
           query.numRowsAffected() == 1;
}

void CJournalQueue::forget(const SJournalEntry& registered) {
    // a later save of the place, queued meanwhile, still waits for its turn
    QSqlQuery query(database());
    run(query,
        QStringLiteral("DELETE FROM journal_queue WHERE host = ? AND path = ? AND saved <= ?"),
        {text(registered.sHost), text(registered.sPath),
         text(registered.dtSaved.toString(sTimeFormat))});
}

SProtocolPlace CJournalQueue::holderOf(const QString& sNumber, int iYear,
                                       const SProtocolPlace& place) {
    for (const auto& [iId, queued] :
         select(QStringLiteral("WHERE refused_for IS NULL AND number = ? AND year = ?"),
                {sNumber, iYear})) {
        if (queued.entry.place() != place)
            return queued.entry.place();
    }
    return SProtocolPlace();
}

QStringList CJournalQueue::numbersOf(int iYear) {
    QStringList lst;
    for (const auto& [iId, queued] : select(QStringLiteral("WHERE year = ?"), {iYear}))
        lst << queued.entry.sNumber;
    return lst;
}

void CJournalQueue::takeOver(const QString& sOldFile, const QString& sHost) {
    if (!QFileInfo::exists(sOldFile))
        return;
    const QString sOld = uniqueConnection(QStringLiteral("journal-old-queue-"));
    {
        QSqlDatabase old = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sOld);
        old.setDatabaseName(sOldFile);
        old.setConnectOptions(sqliteOptions());
        QSqlQuery query(old);
        if (old.open() &&
            run(query,
                QStringLiteral("SELECT %1, id, take_over FROM journal_queue WHERE host = ? "
                               "ORDER BY id")
                    .arg(sEntryColumns),
                {sHost})) {
            QList<qint64> lstMoved;
            while (query.next()) {
                if (add(entryOf(query), query.value(iEntryColumns + 1).toBool()))
                    lstMoved << query.value(iEntryColumns).toLongLong();
            }
            QSqlQuery done(old);
            for (qint64 iId : std::as_const(lstMoved))
                run(done, QStringLiteral("DELETE FROM journal_queue WHERE id = ?"), {iId});
        }
    }
    closeConnection(sOld);
}
