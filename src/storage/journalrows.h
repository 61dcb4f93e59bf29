#pragma once

#include "storage/journal.h"

#include <QSqlQuery>
#include <QVariant>
#include <QVariantList>

// The journal's rows as SQL sees them: what the journal and the queue of a
// workstation share.
namespace JournalRows {
inline const QString sDateFormat = QStringLiteral("yyyy-MM-dd");
inline const QString sTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// The columns of an entry, in the order entryOf reads them.
inline const QString sEntryColumns = QStringLiteral(
    "number, protocol_date, customer, object, methods, path, saved, user_name, host");
constexpr int iEntryColumns = 9;
// The columns rowValues fills, in its order.
inline const QString sValueColumns = QStringLiteral(
    "number, year, protocol_date, customer, object, methods, path, search, saved, user_name, "
    "host");

// Runs sSql with the values bound in order; PostgreSQL prepares no
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
// Closes and forgets the connection sName, if there is one.
void closeConnection(const QString& sName);
} // namespace JournalRows
