#pragma once

#include "storage/journal.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class CDocumentController;
class CFusionWidget;
class CJournalService;
class CJournalWindow;
class QTimer;
struct SJournalReport;

// The window's side of the protocol journal: the row of every save, asked
// about before the file is written and kept with it; the next number
// offered to a new protocol; the queue of a journal out of reach sent
// again; the status line and the journal window.
class CJournalLink : public QObject {
    Q_OBJECT
public:
    CJournalLink(CDocumentController& session, CFusionWidget& form);
    ~CJournalLink() override;

    // The protocol journal, in the folder of the reference files or on the
    // laboratory's server as "Настройки" say, and its worker.
    CJournalService* journal();
    // The folder whose journal the protocols go to: the reference folder,
    // or the one chosen that could not be reached at start (its rows wait
    // for it, and no other folder gets a journal of its own).
    QString journalDir() const;
    void setJournalDir(const QString& sDir);
    // This user's own folder, where the rows wait for a journal out of reach.
    void setQueueDir(const QString& sDir);
    // The journal is opened again as the settings now say.
    void reopenJournal();
    // At start: rows a previous run left waiting go as soon as the journal
    // answers, and a new protocol is offered its number.
    void startJournal();
    // A new protocol without a number gets the next free one of the year,
    // or the status line says why none.
    void offerNextNumber();
    // "Журнал протоколов".
    void showJournal();
    // Sends what waits in the journal's queue.
    void flushJournal();
    // The retry: the queue sent again, and a number asked again for a new
    // protocol that got none from a journal out of reach.
    void retryJournal();
    // Said when the program closes with rows still waiting for the journal:
    // they go at the next start.
    void announceWaitingRows();
    // The journal moved elsewhere: its rows are offered to be carried over.
    void offerToCarryJournal(const QString& sBeforeFile, const SJournalPlace& before);

    // The row the journal keeps for the protocol saved to sFileName.
    SJournalEntry journalEntry(const QString& sFileName) const;
    // Before a save: the questions on an empty number, a number another
    // place holds and a registered file replaced (none for bOwnFile, one
    // this protocol was opened from or saved to). False when the user
    // keeps the file unwritten; *pTakeOver when the number is taken over.
    bool mayRegister(const SJournalEntry& entry, bool bOwnFile, bool* pTakeOver);
    // The journal row is held until the document is written; false when
    // the user gave the number up after all.
    bool beginRegistration(const SJournalEntry& entry, bool bTakeOver);
    // The document was not written: the row begun is undone.
    void cancelRegistration();
    // The document is written: the row is kept, or waits in the queue.
    void finishRegistration(const SJournalEntry& entry);

    // Rows that could not reach the journal are sent again this often.
    static inline int iJournalRetryMs = 60 * 1000;

private:
    // What a save asks the journal before the file is written: the place
    // that holds its number, the row of the file's own place, the next
    // free number for the question.
    struct SJournalCheck {
        SProtocolPlace holder;
        bool bPlaceRegistered = false;
        SJournalEntry placeRow;
        QString sNextFree;
    };
    // What the journal answers in time; nothing when it does not.
    std::optional<SJournalCheck> checkJournal(const SJournalEntry& entry);
    // A protocol without a number is saved when the user says so; default Yes.
    bool mayLeaveNumberEmpty();
    // The entry's number is registered for holder: may it be reissued?
    // Default No. The question names the next free number.
    bool mayReuseNumber(const SJournalEntry& entry, const SProtocolPlace& holder,
                        const QString& sNextFree);
    // False when the number is another place's and the user keeps it so.
    bool mayTakeNumber(const SJournalEntry& entry, const SJournalCheck& check, bool* pTakeOver);
    // A file that is another registered protocol, neither opened nor saved
    // by this one, is replaced only when the user agrees; default No.
    bool mayReplaceRegistered(const QString& sPath, const SJournalCheck& check);
    // The status line, the retry, the refusals and the failure of a
    // registration or a send, as the journal reports them.
    void showJournalReport(const SJournalReport& report, const QString& sPath = QString());
    // Rows still wait: the status line says why, and they are sent again.
    void showRowsWaiting(const QString& sWhy);
    // Tells the user the protocol saved to sPath has no row in the journal.
    void announceNotEntered(const QString& sPath, const QString& sWhy);
    // Tells the user of rows the journal refused, each naming its file.
    void announceRefused(const QList<SQueuedEntry>& lstRefused);
    // The number the journal offers, when the protocol is still new and
    // untouched; why none, on the status line.
    void takeOfferedNumber(const SNextNumber& next);
    // A number typed, opened or offered, or a file opened, leaves the note
    // nothing to say.
    void forgetNumberNote();
    void openFromJournal(const QString& sPath);
    void carryJournal(const QString& sBeforeFile, const SJournalPlace& before);

    CDocumentController& session;
    CFusionWidget& form;
    QString sQueueDir;
    std::unique_ptr<CJournalService> pJournal;
    QString sJournalDir;
    QPointer<CJournalWindow> pJournalWindow;
    QTimer* pJournalTimer = nullptr;
    // a send of the queue is on its way
    bool bFlushing = false;
    // rows waiting, as the journal last reported
    int iWaitingRows = 0;
    // a new protocol got no number from a journal out of reach
    bool bNumberAwaitsJournal = false;
    // the row being registered takes its number over from another place
    bool bHeldTakeOver = false;
};
