#pragma once

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// One protocol as the journal registers it.
struct SJournalEntry {
    QString sNumber;
    QDate dtDate;
    QString sCustomer;
    QString sObject;
    QString sMethods;
    QString sPath;
    QDateTime dtSaved;
    QString sUser;
    QString sHost;

    // Numbers are unique within the year of the protocol date; a protocol
    // without a date counts in the year it was saved.
    int year() const { return dtDate.isValid() ? dtDate.year() : dtSaved.date().year(); }
};

// A row waiting in this workstation's queue for a journal out of reach, or
// refused when it was sent because another file holds its number.
struct SQueuedEntry {
    SJournalEntry entry;
    bool bTakeOver = false;
    // The file the number is registered for; empty while the row waits.
    QString sRefusedFor;

    bool isRefused() const { return !sRefusedFor.isEmpty(); }
};

// The rows the journal window shows: those whose number, customer or object
// hold sText, of protocols dated from dtFrom to dtTo (an invalid date leaves
// its end of the range open).
struct SJournalFilter {
    QString sText;
    QDate dtFrom;
    QDate dtTo;
};

// Where the journal lives: an SQLite file on this computer, or a PostgreSQL
// server the laboratory's workstations share. The password is never kept:
// libpq takes it from ~/.pgpass or PGPASSWORD.
struct SJournalPlace {
    bool bServer = false;
    QString sHost;
    int iPort = 5432;
    QString sDatabase;
    QString sUser;

    static SJournalPlace load();
    void store() const;
    bool operator==(const SJournalPlace& other) const {
        return bServer == other.bServer && sHost == other.sHost && iPort == other.iPort &&
               sDatabase == other.sDatabase && sUser == other.sUser;
    }
};

// The register of the protocols a laboratory issues: one row per number and
// year (a unique index makes sure of it, between workstations too), the
// document's path, when and where it was saved. A save registers or updates
// its row in the same unit of work as the document: the registration is
// held open until the document is written, and undone when it is not. When
// the journal cannot be reached the row waits in this workstation's own
// queue (a file in its data folder, never in a folder the laboratory
// shares) and goes when the journal is back.
class CJournal {
public:
    enum class EResult { Registered, Duplicate, Queued, Failed };

    // sJournalFile is the SQLite journal, used when place is not a server;
    // sQueueFile the queue of this workstation.
    CJournal(const QString& sJournalFile, const QString& sQueueFile, const SJournalPlace& place);
    ~CJournal();
    CJournal(const CJournal&) = delete;
    CJournal& operator=(const CJournal&) = delete;

    // After a server did not answer, the journal does not wait for it again
    // this long: a save asks it more than once.
    static inline int iRetryAfterMs = 10000;
    // The name of the queue file in a workstation's data folder.
    static inline const QString sQueueFileName = QStringLiteral("journal-queue.sqlite");
    // The SQLite journal of a folder of reference files: the workstations
    // sharing the folder share it.
    static QString fileIn(const QString& sReferenceDir);

    bool isServer() const { return place.bServer; }
    const SJournalPlace& where() const { return place; }
    const QString& journalFile() const { return sJournalFile; }
    const QString& queueFile() const { return sQueueFile; }
    // Where the rows are, for the user: the file's full path, or the server.
    QString describe() const { return describe(place, sJournalFile); }
    static QString describe(const SJournalPlace& place, const QString& sJournalFile);
    // Whether the two are one journal.
    bool isSameAs(const CJournal& other) const;
    // The journal's database, opened; invalid when it cannot be reached,
    // and problem() then says why.
    QSqlDatabase database();
    QString problem() const { return sProblem; }

    // Whether the journal can be reached at place; empty when it can,
    // otherwise why not, as the user can act on it.
    static QString connectionProblem(const SJournalPlace& place);

    // The file another protocol of that number and year is registered for;
    // empty when the number is free, is sPath's, or the journal is out of reach.
    QString registeredElsewhere(const QString& sNumber, int iYear, const QString& sPath);
    // The row registered for the file sPath; false when there is none, or
    // the journal is out of reach.
    bool entryOf(const QString& sPath, SJournalEntry* pEntry);

    // Registers or updates the row of entry.sPath, and holds it until
    // commitRegistration or cancelRegistration. bTakeOver: a row of the
    // same number and year for another file is taken over (a protocol
    // reissued), keeping when it was first registered; without it that row
    // gives Duplicate and *pRegistered its file. Queued: the journal is out
    // of reach, and the row will go to the queue when committed.
    EResult beginRegistration(const SJournalEntry& entry, bool bTakeOver,
                              QString* pRegistered = nullptr);
    // Keeps the registration begun: Registered, Queued (the row waits in
    // the queue), or Failed when not even the queue could be written
    // (problem() says why).
    EResult commitRegistration();
    // Undoes the registration begun: every row is as it was.
    void cancelRegistration();
    // beginRegistration and, unless it gave Duplicate, commitRegistration.
    EResult registerProtocol(const SJournalEntry& entry, bool bTakeOver,
                             QString* pRegistered = nullptr);

    // Sends the rows waiting in the queue; the number still waiting. A row
    // whose number another file holds by now stays in the queue, marked
    // refused, and is appended to *pRefused (once, when it is refused).
    int flushQueue(QList<SQueuedEntry>* pRefused = nullptr);
    // The rows refused by this journal's sends since last asked.
    QList<SQueuedEntry> takeRefused();
    // Every row of the queue, waiting or refused, oldest first.
    QList<SQueuedEntry> queuedRows();
    // How many rows wait in the queue to be sent (refused ones wait no more).
    int waitingCount();

    // The next free number of the year, in the pattern of the latest one:
    // its run of digits that is no year is counted on ("118/26" -> "119/26").
    QString nextNumber(int iYear);
    static QString nextInPattern(const QString& sNumber, int iYear);

    // The rows the filter lets through, newest first: iLimit of them from
    // iOffset, all when iLimit is 0. False when the journal cannot be read.
    bool readRows(const SJournalFilter& filter, int iOffset, int iLimit,
                  QList<SJournalEntry>& lstOut);
    // Carries over the rows of source this journal lacks, or holds from an
    // earlier save of their file; a number of the year this journal holds
    // for another file is never overwritten and is appended to *pSkipped as
    // "number (file)". The rows carried, or that would be when bCount; -1
    // when either journal cannot be reached.
    int copyRowsFrom(CJournal& source, QStringList* pSkipped, bool bCount = false);

    // The text a filter looks for in number, customer and object.
    static QString searchText(const QString& sText);

private:
    struct SPending {
        bool bActive = false;
        bool bQueued = false; // the journal was out of reach
        QString sConnection;  // the transaction held open
        SJournalEntry entry;
        bool bTakeOver = false;
    };

    bool ensureSchema(QSqlDatabase& db);
    // Registers in a transaction, committed when bCommit, otherwise left open.
    EResult registerIn(QSqlDatabase& db, const SJournalEntry& entry, bool bTakeOver,
                       QString* pRegistered, bool bCommit);
    bool enqueue(const SJournalEntry& entry, bool bTakeOver);
    // A file saved and registered at last leaves the queue, refused or not.
    void forgetQueued(const QString& sPath);
    QSqlDatabase journalFileDatabase();

    QString sJournalFile;
    QString sQueueFile;
    SJournalPlace place;
    QString sJournalConnection;
    QString sServerConnection;
    QElapsedTimer unanswered;
    QString sProblem;
    QString sSchemaError; // what the server said to the tables' creation
    SPending pending;
    QList<SQueuedEntry> lstRefused;
};
