#include "storage/journalqueue.h"

#include "storage/journalrows.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

using namespace JournalRows;

namespace {
const QString g_sTable = QStringLiteral("journal_queue");

QString uniqueConnection(const QString& sKind) {
    return sKind + QUuid::createUuid().toString(QUuid::Id128);
}

} // namespace

CJournalQueue::CJournalQueue(const QString& sFile)
    : sFile(sFile), sConnection(uniqueConnection(QStringLiteral("journal-queue-"))) {}

CJournalQueue::~CJournalQueue() {
    closeConnection(sConnection);
}

QSqlDatabase CJournalQueue::database() {
    QSqlDatabase db = QSqlDatabase::contains(sConnection)
                          ? QSqlDatabase::database(sConnection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sConnection);
    if (db.isOpen())
        return db;
    QDir().mkpath(QFileInfo(sFile).absolutePath());
    db.setDatabaseName(sFile);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    QSqlQuery query(db);
    if (!db.open() ||
        !run(query, QStringLiteral("CREATE TABLE IF NOT EXISTS journal_queue (id INTEGER PRIMARY "
                                   "KEY AUTOINCREMENT, %1, take_over INTEGER, refused_for TEXT)")
                        .arg(sValueColumns))) {
        sProblem = QStringLiteral("Очередь журнала «%1» не записывается: %2")
                       .arg(QDir::toNativeSeparators(sFile), db.lastError().text());
        db.close();
        return QSqlDatabase();
    }
    return db;
}

bool CJournalQueue::add(const SJournalEntry& entry, bool bTakeOver) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return false;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("INSERT INTO journal_queue (%1, take_over) VALUES (%2)")
                 .arg(sValueColumns, placeholders(12)),
             rowValues(entry) << int(bTakeOver))) {
        sProblem = QStringLiteral("Очередь журнала «%1» не записывается: %2")
                       .arg(QDir::toNativeSeparators(sFile), query.lastError().text());
        return false;
    }
    sProblem.clear();
    return true;
}

QList<std::pair<qint64, SQueuedEntry>> CJournalQueue::select(const QString& sWhere) {
    QList<std::pair<qint64, SQueuedEntry>> lst;
    QSqlDatabase db = database();
    if (!db.isValid())
        return lst;
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT %1, id, take_over, refused_for FROM journal_queue %2 "
                                   "ORDER BY id")
                        .arg(sEntryColumns, sWhere)))
        return lst;
    while (query.next()) {
        lst.append({query.value(iEntryColumns).toLongLong(),
                    {entryOf(query), query.value(iEntryColumns + 1).toBool(),
                     query.value(iEntryColumns + 2).toString()}});
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

bool CJournalQueue::markRefused(qint64 iId, const QString& sRegisteredFor) {
    QSqlQuery query(database());
    return run(query,
               QStringLiteral("UPDATE journal_queue SET refused_for = ? WHERE id = ? AND "
                              "refused_for IS NULL"),
               {text(sRegisteredFor), iId}) &&
           query.numRowsAffected() == 1;
}

void CJournalQueue::forget(const QString& sPath) {
    QSqlQuery query(database());
    run(query, QStringLiteral("DELETE FROM journal_queue WHERE path = ?"), {sPath});
}

void CJournalQueue::takeOver(const QString& sOldFile, const QString& sHost) {
    if (!QFileInfo::exists(sOldFile))
        return;
    const QString sOld = uniqueConnection(QStringLiteral("journal-old-queue-"));
    {
        QSqlDatabase old = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sOld);
        old.setDatabaseName(sOldFile);
        old.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
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
