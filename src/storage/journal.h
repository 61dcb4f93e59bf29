#pragma once

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Where a protocol's file is: the workstation that saved it and the path
// there. Two workstations may each keep a "…/Протоколы/301-26.rpt" of their own.
struct SProtocolPlace {
    QString sHost;
    QString sPath;

    bool isEmpty() const { return sPath.isEmpty(); }
    bool operator==(const SProtocolPlace& other) const {
        return sHost == other.sHost && sPath == other.sPath;
    }
    bool operator!=(const SProtocolPlace& other) const { return !(*this == other); }
    // "«path» на «host»", as the messages name it.
    QString describe() const;
};

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
    SProtocolPlace place() const { return {sHost, sPath}; }
};

// A row waiting in this workstation's queue for a journal out of reach, or
// refused when it was sent because another protocol holds its number.
struct SQueuedEntry {
    SJournalEntry entry;
    bool bTakeOver = false;
    // The place the number is registered for; empty while the row waits.
    SProtocolPlace refusedFor;

    bool isRefused() const { return !refusedFor.isEmpty(); }
};

// The number a new protocol is offered, or why none is.
struct SNextNumber {
    QString sNumber;
    QString sWhyNone;
    bool bUnreachable = false; // the journal could not be asked
};

// What became of a registered protocol: saved only, issued to the
// customer, or issued and then replaced by an amendment.
enum class EProtocolState { Draft, Issued, Replaced };

// The rows the journal window shows: those whose number, customer or object
// hold sText, of protocols dated from dtFrom to dtTo (an invalid date leaves
// its end of the range open), in the state asked for (any when none is).
struct SJournalFilter {
    QString sText;
    QDate dtFrom;
    QDate dtTo;
    std::optional<EProtocolState> state;
};

// A row of the journal as the window shows it: the registration, and what
// became of the protocol.
struct SJournalRow {
    SJournalEntry entry;
    EProtocolState eState = EProtocolState::Draft;
    // An issued amendment: the number and date of the protocol it replaces.
    QString sReplaces;
    QDate dtReplaces;
    // A replaced protocol: the number of the amendment that replaced it.
    QString sReplacedBy;
};

// One issue of a protocol as the journal records it: the protocol handed
// to the customer as a PDF, with the fingerprints that recognise both the
// PDF and the document it was made from. A number is issued once; a change
// after issue is a new protocol, an amendment, which names the one it
// replaces.
struct SIssueRecord {
    // The protocol: its number and date, and its place (the workstation
    // and the .rpt path, as its journal row has them).
    QString sNumber;
    QDate dtDate;
    QString sHost;
    QString sPath;
    // When, by which operating-system user and on which workstation.
    QDateTime dtIssued;
    QString sUser;
    QString sWorkstation;
    // SHA-256 in lower-case hex (CJournal::sha256OfFile) of the PDF issued
    // and of the .rpt file as it was saved for the issue.
    QString sPdfSha256;
    QString sRptSha256;
    // Where the PDF was written (the laboratory's archive).
    QString sPdfPath;
    // An amendment: the protocol it replaces ("118/26" of "118/26-1") and
    // that protocol's date; both empty for a first issue.
    QString sReplacesNumber;
    QDate dtReplacesDate;
    // Read back only: the amendment that replaced this protocol, empty
    // while none did. recordIssue ignores it.
    QString sReplacedBy;

    int year() const { return dtDate.year(); }
    SProtocolPlace place() const { return {sHost, sPath}; }
    bool isAmendment() const { return !sReplacesNumber.isEmpty(); }
    bool isReplaced() const { return !sReplacedBy.isEmpty(); }
    // "протокол № 118/26 от 07.12.2026, выдан 07.12.2026 14:03 (Иванов, ws1)",
    // with ", заменен протоколом № 118/26-1" when it was replaced.
    QString describe() const;
};

// What recordIssue did.
struct SIssueResult {
    enum class EKind {
        Recorded, // the issue is in the journal (and the replaced protocol marked)
        Refused,  // the journal holds what forbids it: sProblem names it
        Failed    // the journal could not be reached or written: sProblem says why
    };
    EKind eKind = EKind::Failed;
    QString sProblem;

    bool isRecorded() const { return eKind == EKind::Recorded; }
};

// Whether the journal knows an issue: of a place, or of a PDF.
struct SIssueState {
    bool bIssued = false;
    SIssueRecord record; // when bIssued
    // Why the journal could not be asked; bIssued is then false and says
    // nothing.
    QString sProblem;

    bool isKnown() const { return sProblem.isEmpty(); }
};

// A PDF looked up among the issued ones, as "--verify" and "Проверить PDF…"
// tell it.
struct SPdfCheck {
    enum class EVerdict { Issued, NotIssued, Unreadable, Unreachable };
    EVerdict eVerdict = EVerdict::NotIssued;
    SIssueRecord record; // when Issued
    // What is said after the file's name: the issue, "не найден среди
    // выданных", or why the file or the journal could not be read.
    QString sText;

    bool isIssued() const { return eVerdict == EVerdict::Issued; }
    // "118-26.pdf: протокол № 118/26 от 07.12.2026, выдан …".
    QString line(const QString& sName) const { return sName + QStringLiteral(": ") + sText; }
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
// place of the document (workstation and path), when and by whom it was
// saved. A save registers or updates the row of its place in the same unit
// of work as the document: the registration is held open until the
// document is written, and undone when it is not. When the journal cannot
// be reached the row waits in this workstation's own queue (a file in its
// data folder, never in a folder the laboratory shares) and goes when the
// journal is back. A journal file is made only in a folder that is there,
// and one found empty or damaged is left as it is: the rows wait.
//
// One thread uses a journal: every connection is made in it.
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
    static inline const QString sFileName = QStringLiteral("journal.sqlite");
    static QString fileIn(const QString& sReferenceDir);
    // What the journal says when another program holds it locked.
    static inline const QString sBusy = QStringLiteral("журнал занят другой программой");

    bool isServer() const { return place.bServer; }
    const SJournalPlace& where() const { return place; }
    const QString& journalFile() const { return sJournalFile; }
    const QString& queueFile() const { return sQueueFile; }
    // Where the rows are, for the user: the file's full path, or the server.
    QString describe() const { return describe(place, sJournalFile); }
    static QString describe(const SJournalPlace& place, const QString& sJournalFile);
    // Whether the two are one journal.
    static bool isSame(const SJournalPlace& place, const QString& sFile, const SJournalPlace& other,
                       const QString& sOtherFile);
    // The journal's database, opened; invalid when it cannot be reached,
    // and problem() then says why.
    QSqlDatabase database();
    // Why the last thing asked of the journal failed, as the user can act
    // on it; empty after one that went through.
    QString problem() const { return sProblem; }
    // Told what the journal waits for (another program's lock, a server
    // connecting) when it starts waiting, in the journal's thread.
    void setWaitObserver(std::function<void(const QString&)> observer);

    // Whether the journal can be reached at place; empty when it can,
    // otherwise why not, as the user can act on it.
    static QString connectionProblem(const SJournalPlace& place);
    // Told the socket of every connection to the server opened: a server
    // that stops answering holds the thread waiting on it until another
    // thread shuts it.
    void setSocketObserver(std::function<void(int)> observer);

    // The place another protocol of that number and year is registered
    // for, in the journal or in this workstation's queue; empty when the
    // number is free, is place's, or the journal is out of reach.
    SProtocolPlace holderOf(const QString& sNumber, int iYear, const SProtocolPlace& place);
    // The row registered for the file at place; false when there is none,
    // or the journal is out of reach.
    bool entryOf(const SProtocolPlace& place, SJournalEntry* pEntry);

    // Registers or updates the row of entry's place, and holds it until
    // commitRegistration or cancelRegistration. bTakeOver: a row of the
    // same number and year for another place is taken over (a protocol
    // reissued), keeping when it was first registered; without it that row
    // gives Duplicate and *pHolder its place. Queued: the journal is out
    // of reach, and the row will go to the queue when committed.
    EResult beginRegistration(const SJournalEntry& entry, bool bTakeOver,
                              SProtocolPlace* pHolder = nullptr);
    // Keeps the registration begun: Registered, Queued (the row waits in
    // the queue; one whose Duplicate nobody answered waits refused), or
    // Failed when not even the queue could be written (problem() says why).
    EResult commitRegistration();
    // Undoes the registration begun: every row is as it was.
    void cancelRegistration();

    // Sends the rows waiting in the queue, oldest first, until one cannot
    // go; the number still waiting. A row whose number another place holds
    // by now stays in the queue, marked refused, and is appended to
    // *pRefused (once, when it is refused). A row older than the row of its
    // place leaves the queue: a newer save went before it.
    int flushQueue(QList<SQueuedEntry>* pRefused = nullptr);
    // The rows refused by this journal's sends since last asked.
    QList<SQueuedEntry> takeRefused();
    // Every row of the queue, waiting or refused, oldest first.
    QList<SQueuedEntry> queuedRows();
    // How many rows wait in the queue to be sent (refused ones wait no more).
    int waitingCount();

    // The next free number of the year, in the pattern of the latest one
    // that is no amendment (after "118/26-1" comes "119/26"), passing over
    // those this workstation's queue holds; or why none.
    SNextNumber nextNumber(int iYear);
    // The number after sNumber: its last run of digits that is not the
    // year counts on ("118/26" -> "119/26", "26/26" -> "27/26").
    static QString nextInPattern(const QString& sNumber, int iYear);

    // The rows the filter lets through, newest first, with the state of
    // each: iLimit of them from iOffset, all when iLimit is 0. False when
    // the journal cannot be read.
    bool readRows(const SJournalFilter& filter, int iOffset, int iLimit,
                  QList<SJournalRow>& lstOut);

    // --- Issues ---------------------------------------------------------
    // The window's thread asks these through CJournalService, as it does
    // every piece of journal work, e.g.
    //   service.ask<SIssueResult>([issue, entry](CJournal& j) {
    //       return j.recordIssue(issue, entry); }, late);
    // A document opened is recognised as issued by issueOf(its place): its
    // file is the one issued while sha256OfFile(path) equals
    // record.sRptSha256.
    //
    // Records that the protocol of issue was issued. entry is the row the
    // save just before the issue registered for the protocol (the same
    // number, date and place as issue): when the journal does not hold it
    // yet (that save was queued), it is registered in the same transaction
    // as the issue. The rows this workstation's queue holds go first, as
    // before a registration.
    //
    // Refused, with the reason for the user, when:
    // - the protocol has no number or no date;
    // - the number of the year is registered for another place;
    // - the number of the year was issued already;
    // - an amendment replaces a protocol (sReplacesNumber, dtReplacesDate:
    //   the number and date that protocol was issued with) that was not
    //   issued, or that another amendment replaced already.
    // An amendment marks the protocol it replaces as replaced by it, in the
    // same transaction as its own record. Failed when the journal cannot be
    // reached or written now (nothing is queued: an issue waits for no
    // journal), with the cause.
    SIssueResult recordIssue(const SIssueRecord& issue, const SJournalEntry& entry);
    // The latest issue of the protocol at place; none when it was never
    // issued; sProblem when the journal could not be asked.
    SIssueState issueOf(const SProtocolPlace& place);
    // The issue whose PDF has that SHA-256 (lower-case hex), as issueOf.
    SIssueState issueOfPdf(const QString& sPdfSha256);
    // The issue whose .rpt file has that SHA-256: the issued document
    // copied to another folder or opened from another workstation.
    SIssueState issueOfRpt(const QString& sRptSha256);
    // The file at sPath hashed and looked up among the issued PDFs.
    SPdfCheck checkPdf(const QString& sPath);
    // The number of the next amendment of sOriginal: "118/26-1", then
    // "118/26-2" when that is taken (in the journal, any year, or in this
    // workstation's queue). The amendment of an amendment counts on from
    // the same original: "118/26-1" gives "118/26-2".
    SNextNumber nextAmendmentNumber(const QString& sOriginal);
    // The original whose amendment sNumber is ("118/26" of "118/26-1"),
    // by its form alone; empty when sNumber has no "-N" at its end. The
    // journal counts a number as an amendment only when that original is
    // registered too: "УЗК-0099" stays a number of its own.
    static QString amendedNumber(const QString& sNumber);
    // The SHA-256 of the file at sPath in lower-case hex, read a block at a
    // time (a PDF of any size takes no more memory); empty with *pProblem
    // saying why when it cannot be read (missing, a folder, no permission,
    // a read error).
    static QString sha256OfFile(const QString& sPath, QString* pProblem);
    // Carries over the rows of source this journal lacks, or holds from an
    // earlier save of their place; a number of the year this journal holds
    // for another place is never overwritten and is appended to *pSkipped
    // as "number (file)". The issues go with them: those this journal
    // lacks, and the replacements it has not noted. The rows and issues
    // carried, or that would be when bCount; -1 when either journal cannot
    // be reached.
    int copyRowsFrom(CJournal& source, QStringList* pSkipped, bool bCount = false);

    // The text a filter looks for in number, customer and object.
    static QString searchText(const QString& sText);

private:
    enum class EPending { None, Held, Queued, Duplicate };
    struct SPending {
        EPending eState = EPending::None;
        QString sConnection; // the transaction held open
        SJournalEntry entry;
        bool bTakeOver = false;
        SProtocolPlace holder; // of a Duplicate
    };

    // The tables, made when bNew or on a server, brought up to this version.
    bool ensureSchema(QSqlDatabase& db, bool bNew);
    // Brings a journal of an earlier version to this one, its rows kept.
    bool migrate(QSqlDatabase& db, int iVersion);
    // Registers in a transaction, committed when bCommit, otherwise left open.
    EResult registerIn(QSqlDatabase& db, const SJournalEntry& entry, bool bTakeOver,
                       SProtocolPlace* pHolder, bool bCommit);
    // What writeRow did in the transaction open.
    enum class ERow { Written, Newer, Duplicate, Failed };
    // Registers or updates the row of entry's place in the transaction
    // open: Newer when the place holds a newer save (nothing written),
    // Duplicate when another place holds the number (*pHolder), Failed
    // when a statement failed (query says why).
    ERow writeRow(QSqlQuery& query, const SJournalEntry& entry, bool bTakeOver,
                  SProtocolPlace* pHolder);
    // recordIssue's statements, in the transaction open; empty when done,
    // otherwise the reason it is refused (with *pFailed when a statement
    // failed, and sProblem saying why).
    QString writeIssue(QSqlQuery& query, const SIssueRecord& issue, const SJournalEntry& entry,
                       bool* pFailed);
    // Whether sNumber is registered or issued in any year.
    bool isNumberUsed(QSqlQuery& query, const QString& sNumber, bool* pFailed);
    // Whether sNumber is an amendment: "<original>-N" of a registered original.
    bool isAmendment(QSqlQuery& query, const QString& sNumber, bool* pFailed);
    SIssueState issueWhere(const QString& sWhere, const QVariantList& lstValues);
    // copyRowsFrom's issues, from the journal from into the transaction of
    // query: those this journal lacks, and the replacements it has not
    // noted; an issue of a number this journal holds issued as another
    // PDF is appended to *pSkipped. False with sProblem when a statement
    // failed.
    bool copyIssuesFrom(QSqlDatabase& from, QSqlQuery& query, QStringList* pSkipped, bool bCount,
                        int* pCarried);
    bool enqueue(const SPending& pending);
    QSqlDatabase journalFileDatabase();
    QSqlDatabase serverDatabase();
    static int serverSocket(const QSqlDatabase& db);
    // Makes a journal beside the file and puts it in place whole: no other
    // program ever sees one half made. Empty, or why it was not made.
    QString makeJournalFile() const;
    // Why the SQLite file cannot be opened as it is; empty when it can.
    QString fileProblem(bool* pCreate) const;
    // Whether this program may write the journal file and its folder now.
    bool isWritableJournal() const;
    // The journal of a folder its group may write is the group's to write.
    void shareWithGroup(const QString& sFile) const;
    // Notes why a statement failed and returns false.
    bool failed(const QSqlQuery& query);
    QString failure(const QSqlError& error) const;
    void waitFor(const QString& sWhat) const;

    QString sJournalFile;
    bool bOpenedReadOnly = false; // the file could not be written when opened
    QString sQueueFile;
    SJournalPlace place;
    QString sJournalConnection;
    QString sServerConnection;
    QElapsedTimer unanswered;
    QString sProblem;
    SPending pending;
    QList<SQueuedEntry> lstRefused;
    std::function<void(const QString&)> waitObserver;
    std::function<void(int)> socketObserver;
    // Whether the journal has its table of issues: one of an earlier
    // version that this workstation could not bring up has none.
    bool bIssueTable = true;
};
