#include "storage/journalrows.h"

#include <QSqlDatabase>

namespace JournalRows {

bool run(QSqlQuery& query, const QString& sSql, const QVariantList& lstValues) {
    if (lstValues.isEmpty())
        return query.exec(sSql);
    if (!query.prepare(sSql))
        return false;
    for (const QVariant& value : lstValues)
        query.addBindValue(value);
    return query.exec();
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

SJournalEntry entryOf(const QSqlQuery& query) {
    return {query.value(0).toString(),
            QDate::fromString(query.value(1).toString(), sDateFormat),
            query.value(2).toString(),
            query.value(3).toString(),
            query.value(4).toString(),
            query.value(5).toString(),
            QDateTime::fromString(query.value(6).toString(), sTimeFormat),
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
