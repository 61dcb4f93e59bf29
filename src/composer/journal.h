#pragma once

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
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
// its row; when the server cannot be reached the row waits in a queue in
// the local file and goes when the server is back.
class CJournal {
public:
    enum class EResult { Registered, Duplicate, Queued };

    // sLocalFile is the SQLite file: the journal itself, or the queue of a server.
    CJournal(const QString& sLocalFile, const SJournalPlace& place);
    ~CJournal();
    CJournal(const CJournal&) = delete;
    CJournal& operator=(const CJournal&) = delete;

    // After a server did not answer, the journal does not wait for it again
    // this long: a save asks it more than once.
    static inline int iRetryAfterMs = 10000;

    bool isServer() const { return place.bServer; }
    const SJournalPlace& where() const { return place; }
    const QString& localFile() const { return sLocalFile; }
    // The journal's database, opened; invalid when it cannot be reached.
    QSqlDatabase database();

    // The file another protocol of that number and year is registered for;
    // empty when the number is free, is sPath's, or the journal is out of reach.
    QString registeredElsewhere(const QString& sNumber, int iYear, const QString& sPath);
    // Registers or updates the row of entry.sPath. bTakeOver: a row of the
    // same number and year for another file is taken over (a protocol
    // reissued), keeping when it was first registered; without it that row
    // gives Duplicate and *pRegistered its file.
    EResult registerProtocol(const SJournalEntry& entry, bool bTakeOver,
                             QString* pRegistered = nullptr);
    // Sends the rows waiting in the queue; the number still waiting. A row
    // whose number another workstation registered meanwhile leaves the queue
    // and its number goes to *pRefused.
    int flushQueue(QStringList* pRefused = nullptr);
    // The next free number of the year, in the pattern of the latest one:
    // its run of digits that is no year is counted on ("118/26" -> "119/26").
    QString nextNumber(int iYear);
    static QString nextInPattern(const QString& sNumber, int iYear);

    // The rows the filter lets through, newest first: iLimit of them from
    // iOffset, all when iLimit is 0. False when the journal cannot be read.
    bool readRows(const SJournalFilter& filter, int iOffset, int iLimit,
                  QList<SJournalEntry>& lstOut);

    // The text a filter looks for in number, customer and object.
    static QString searchText(const QString& sText);

private:
    bool ensureSchema(QSqlDatabase& db);
    EResult registerIn(QSqlDatabase& db, const SJournalEntry& entry, bool bTakeOver,
                       QString* pRegistered);
    void enqueue(const SJournalEntry& entry, bool bTakeOver);
    QSqlDatabase localDatabase();

    QString sLocalFile;
    SJournalPlace place;
    QString sLocalConnection;
    QString sServerConnection;
    QElapsedTimer unanswered;
};
