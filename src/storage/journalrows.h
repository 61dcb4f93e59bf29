#pragma once

#include "storage/journal.h"

#include <QSqlQuery>
#include <QVariant>
#include <QVariantList>

#include <functional>

class QSqlError;

// The journal's rows as SQL sees them: what the journal and the queue of a
// workstation share.
namespace JournalRows {
inline const QString sDateFormat = QStringLiteral("yyyy-MM-dd");
// When a row was saved, to the millisecond: a queued row is compared with
// the row of its place by it. Rows of earlier versions hold whole seconds.
inline const QString sTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
inline const QString sSecondsFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// The columns of an entry, in the order entryOf reads them.
inline const QString sEntryColumns = QStringLiteral(
    "number, protocol_date, customer, object, methods, path, saved, user_name, host");
constexpr int iEntryColumns = 9;
// The columns rowValues fills, in its order.
inline const QString sValueColumns = QStringLiteral(
    "number, year, protocol_date, customer, object, methods, path, search, saved, user_name, "
    "host");

// How long SQLite or PostgreSQL waits for another program's lock at one
// try, and how long a statement tries in all before the lock is given as
// its failure.
constexpr int iBusyStepMs = 100;
inline int iLockWaitMs = 2000;
// The connect options of an SQLite file: a lock is waited for a step at a time.
QString sqliteOptions(bool bUri = false);
// Whether a statement failed on another program's lock.
bool isLockError(const QSqlError& error);
// Told, in the thread it is set in, when a statement of that thread
// starts waiting for another program's lock.
void setLockObserver(std::function<void()> observer);
void observeLock();

// Runs sSql with the values bound in order, again while another program
// holds a lock it needs, up to iLockWaitMs (a PostgreSQL statement in a
// transaction ends it, and is not run again); PostgreSQL prepares no
// transaction commands nor definitions, which therefore take none.
bool run(QSqlQuery& query, const QString& sSql, const QVariantList& lstValues = {});
// "?, ?, …" for n values.
QString placeholders(int n);
// A text field: never NULL, which the drivers make of a null string.
QVariant text(const QString& s);
// The values of sValueColumns for an entry.
QVariantList rowValues(const SJournalEntry& e);
// The entry of a row selected with sEntryColumns first.
SJournalEntry entryOf(const QSqlQuery& query);
QDateTime savedTime(const QString& sSaved);
// Closes and forgets the connection sName, if there is one.
void closeConnection(const QString& sName);
} // namespace JournalRows
