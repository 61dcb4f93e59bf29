#pragma once

#include "storage/journal.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <utility>

// The rows one workstation saved while the journal was out of reach, in an
// SQLite file of its own data folder that only its user may read (the rows
// name customers): waiting to be sent, or refused when sent because
// another place held the number by then. A refused row stays until its
// file is saved and registered.
class CJournalQueue {
public:
    explicit CJournalQueue(const QString& sFile);
    ~CJournalQueue();
    CJournalQueue(const CJournalQueue&) = delete;
    CJournalQueue& operator=(const CJournalQueue&) = delete;

    const QString& file() const { return sFile; }
    // Why the last write was refused; empty after one that went through.
    QString problem() const { return sProblem; }

    // A row that waits, or one refused at once for refusedFor.
    bool add(const SJournalEntry& entry, bool bTakeOver,
             const SProtocolPlace& refusedFor = SProtocolPlace());
    // The rows waiting, oldest first, with their keys.
    QList<std::pair<qint64, SQueuedEntry>> waiting();
    // Every row, waiting or refused, oldest first.
    QList<SQueuedEntry> rows();
    void remove(qint64 iId);
    // Marks a waiting row refused; false when another send marked it first.
    bool markRefused(qint64 iId, const SProtocolPlace& refusedFor);
    // The rows of the registered entry's place saved up to it leave: it is
    // registered now.
    void forget(const SJournalEntry& registered);
    // A row waiting with that number and year for another place than place.
    SProtocolPlace holderOf(const QString& sNumber, int iYear, const SProtocolPlace& place);
    // The numbers of the year the rows hold, waiting or refused.
    QStringList numbersOf(int iYear);
    // Takes the rows of sHost that an earlier version queued in the journal
    // file sOldFile (a folder the workstations shared).
    void takeOver(const QString& sOldFile, const QString& sHost);

private:
    QSqlDatabase database();
    bool ensureTable(QSqlDatabase& db);
    QList<std::pair<qint64, SQueuedEntry>> select(const QString& sWhere,
                                                  const QVariantList& lstValues = {});
    // Notes why a statement failed and returns false.
    bool failed(const QSqlError& error);

    QString sFile;
    QString sConnection;
    QString sProblem;
};
