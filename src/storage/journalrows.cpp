#include "storage/journalrows.h"

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QSqlError>

#include <utility>

namespace JournalRows {
namespace {
thread_local std::function<void()> t_lockObserver;
// A PostgreSQL transaction is open in this thread: a statement of it that
// met a lock ended it, and is not tried again alone.
thread_local bool t_bInTransaction = false;

void noteTransaction(const QString& sSql) {
    if (sSql.startsWith(QLatin1String("BEGIN")))
        t_bInTransaction = true;
    else if (sSql == QLatin1String("COMMIT") || sSql == QLatin1String("ROLLBACK"))
        t_bInTransaction = false;
}
} // namespace

QString sqliteOptions(bool bUri) {
    QString s = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(iBusyStepMs);
    if (bUri)
        s += QStringLiteral(";QSQLITE_OPEN_URI");
    return s;
}

namespace {
// SQLITE_BUSY and SQLITE_LOCKED: the statement may simply be tried again
bool isSqliteLock(const QSqlError& error) {
    const QString sCode = error.nativeErrorCode();
    return sCode == QLatin1String("5") || sCode == QLatin1String("6") ||
           error.databaseText().contains(QLatin1String("database is locked"));
}
} // namespace

bool isLockError(const QSqlError& error) {
    return isSqliteLock(error) || error.nativeErrorCode() == QLatin1String("55P03");
}

void observeLock() {
    if (t_lockObserver)
        t_lockObserver();
}

void setLockObserver(std::function<void()> observer) {
    t_lockObserver = std::move(observer);
}

bool run(QSqlQuery& query, const QString& sSql, const QVariantList& lstValues) {
    const auto once = [&] {
        if (lstValues.isEmpty())
            return query.exec(sSql);
        if (!query.prepare(sSql))
            return false;
        for (const QVariant& value : lstValues)
            query.addBindValue(value);
        return query.exec();
    };
    QDeadlineTimer deadline(iLockWaitMs);
    bool bTold = false;
    for (;;) {
        if (once()) {
            noteTransaction(sSql);
            return true;
        }
        // PostgreSQL's lock_timeout ends the transaction the statement was in
        const QSqlError error = query.lastError();
        const bool bAgain = isSqliteLock(error) || (isLockError(error) && !t_bInTransaction);
        if (!bAgain || deadline.hasExpired()) {
            if (sSql == QLatin1String("ROLLBACK"))
                t_bInTransaction = false;
            return false;
        }
        if (!std::exchange(bTold, true))
            observeLock();
    }
}

QString placeholders(int n) {
    QStringList lst;
    for (int i = 0; i < n; ++i)
        lst << QStringLiteral("?");
    return lst.join(QStringLiteral(", "));
}

QVariant text(const QString& s) {
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

QVariantList rowValues(const SJournalEntry& e) {
    // a protocol without a number is registered, and holds no number from others
    return {e.sNumber.isEmpty() ? QVariant() : QVariant(e.sNumber),
            e.year(),
            text(e.dtDate.toString(sDateFormat)),
            text(e.sCustomer),
            text(e.sObject),
            text(e.sMethods),
            text(e.sPath),
            CJournal::searchText(e.sNumber + QLatin1Char(' ') + e.sCustomer + QLatin1Char(' ') +
                                 e.sObject),
            text(e.dtSaved.toString(sTimeFormat)),
            text(e.sUser),
            text(e.sHost)};
}

QDateTime savedTime(const QString& sSaved) {
    const QDateTime dt = QDateTime::fromString(sSaved, sTimeFormat);
    return dt.isValid() ? dt : QDateTime::fromString(sSaved, sSecondsFormat);
}

SJournalEntry entryOf(const QSqlQuery& query) {
    return {query.value(0).toString(),
            QDate::fromString(query.value(1).toString(), sDateFormat),
            query.value(2).toString(),
            query.value(3).toString(),
            query.value(4).toString(),
            query.value(5).toString(),
            savedTime(query.value(6).toString()),
            query.value(7).toString(),
            query.value(8).toString()};
}

void closeConnection(const QString& sName) {
    if (!QSqlDatabase::contains(sName))
        return;
    QSqlDatabase::database(sName, false).close();
    QSqlDatabase::removeDatabase(sName);
}
} // namespace JournalRows
