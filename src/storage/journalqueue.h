#pragma once

#include "storage/journal.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <utility>

// The rows one workstation saved while the journal was out of reach, in an
// SQLite file of its own data folder: waiting to be sent, or refused when
// sent because another file held the number by then. A refused row stays
// until its file is saved and registered.
class CJournalQueue {
public:
    explicit CJournalQueue(const QString& sFile);
    ~CJournalQueue();
    CJournalQueue(const CJournalQueue&) = delete;
    CJournalQueue& operator=(const CJournalQueue&) = delete;

    const QString& file() const { return sFile; }
    // Why the last write was refused; empty after one that went through.
    QString problem() const { return sProblem; }

    bool add(const SJournalEntry& entry, bool bTakeOver);
    // The rows waiting, oldest first, with their keys.
    QList<std::pair<qint64, SQueuedEntry>> waiting();
    // Every row, waiting or refused, oldest first.
    QList<SQueuedEntry> rows();
    void remove(qint64 iId);
    // Marks a waiting row refused; false when another send marked it first.
    bool markRefused(qint64 iId, const QString& sRegisteredFor);
    // The rows of the file sPath leave: it is registered now.
    void forget(const QString& sPath);
    // Takes the rows of sHost that an earlier version queued in the journal
    // file sOldFile (a folder the workstations shared).
    void takeOver(const QString& sOldFile, const QString& sHost);

private:
    QSqlDatabase database();
    QList<std::pair<qint64, SQueuedEntry>> select(const QString& sWhere);

    QString sFile;
    QString sConnection;
    QString sProblem;
};
