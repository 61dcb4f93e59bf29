#pragma once

#include "storage/journal.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QThread;

// The journal's one worker: a thread of its own that owns the journal, its
// connections and this workstation's queue, and does every piece of journal
// work in the order it is handed over, so that no row of an earlier save
// is written after a later one. The window's thread waits for an answer at
// most iAnswerMs between two turns of its event loop, however many it asks
// for; an answer that comes later goes to a function given for it, in the
// window's thread. Another program's lock, a server that does not answer,
// a share taken away make the worker wait, never the window.
class CJournalService : public QObject {
    Q_OBJECT
public:
    static inline int iAnswerMs = 200;
    // How long the end of the program waits for the worker to finish.
    static inline int iCloseWaitMs = 3000;
    // What the window says of a journal that did not answer in time, when
    // the worker has not said what it waits for.
    static inline const QString sNoAnswer = QStringLiteral("журнал не отвечает");

    CJournalService(const QString& sJournalFile, const QString& sQueueFile,
                    const SJournalPlace& place, QObject* pParent = nullptr);
    // What was handed over is done first: a row being registered is kept.
    ~CJournalService() override;

    const QString& journalFile() const { return sJournalFile; }
    const QString& queueFile() const { return sQueueFile; }
    const SJournalPlace& where() const { return place; }
    QString describe() const { return CJournal::describe(place, sJournalFile); }

    // The user does something anew: the window may wait iAnswerMs for it again.
    void beginAction() { iSpentMs = 0; }
    // Runs work on the worker and waits for its answer while the window
    // may; nothing then, and the answer goes to late (when given) once it
    // comes. bForever waits as long as it takes (closing, tests).
    template <typename T>
    std::optional<T> ask(std::function<T(CJournal&)> work, std::function<void(T)> late = {},
                         bool bForever = false);
    // Runs work on the worker; its answer goes to done when it comes.
    template <typename T> void post(std::function<T(CJournal&)> work, std::function<void(T)> done);
    // Everything handed over so far is done.
    void waitUntilIdle();
    // Ends the worker after what it was handed, without waiting for it;
    // the service deletes itself then.
    void retire();

    // What the worker waits for since the window stopped waiting for it
    // ("журнал занят другой программой"), or sNoAnswer.
    QString waitingFor() const;

signals:
    // The worker has found what it waits for, after the window stopped
    // waiting: what was said as sNoAnswer can be named now.
    void waitingForFound(const QString& sWhy);

private:
    // bEnd: done even when the rest is left at the end.
    void hand(std::function<void(CJournal&)> work, bool bEnd = false);
    // The worker's journal, made in its thread.
    CJournal& journal();
    // How long the window may still wait in this turn of its event loop.
    int answerBudget();
    void spend(qint64 iMs);

    QString sJournalFile;
    QString sQueueFile;
    SJournalPlace place;
    QThread* pThread = nullptr;
    QObject* pWorker = nullptr; // lives in pThread
    std::unique_ptr<CJournal> pJournal;
    mutable QMutex mutex;
    QString sWaitingFor;
    // answers the window stopped waiting for, not yet given
    std::atomic<int> iBehind{0};
    // the worker's connection to the server, for the end of the program to
    // shut when the server stops answering
    std::atomic<int> iServerSocket{-1};
    // the end waits no more: what the worker has not begun is left
    std::atomic<bool> bServerShut{false};
    qint64 iSpentMs = 0;
    bool bSpendingReset = false;
};

template <typename T>
std::optional<T> CJournalService::ask(std::function<T(CJournal&)> work, std::function<void(T)> late,
                                      bool bForever) {
    struct SAnswer {
        QMutex mutex;
        QWaitCondition done;
        std::optional<T> value;
        bool bGivenUp = false;
    };
    auto pAnswer = std::make_shared<SAnswer>();
    hand([this, pAnswer, work, late](CJournal& journal) {
        T value = work(journal);
        QMutexLocker lock(&pAnswer->mutex);
        if (!pAnswer->bGivenUp) {
            pAnswer->value = std::move(value);
            pAnswer->done.wakeAll();
            return;
        }
        --iBehind;
        if (late)
            QMetaObject::invokeMethod(
                this, [late, value] { late(value); }, Qt::QueuedConnection);
    });
    // behind work it stopped waiting for, the window does not wait at all
    const int iBudget = bForever ? -1 : (iBehind > 0 ? 0 : answerBudget());
    QElapsedTimer waited;
    waited.start();
    QMutexLocker lock(&pAnswer->mutex);
    const QDeadlineTimer deadline =
        bForever ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(iBudget);
    while (!pAnswer->value && pAnswer->done.wait(&pAnswer->mutex, deadline)) {
    }
    if (!bForever)
        spend(waited.elapsed());
    if (pAnswer->value)
        return pAnswer->value;
    pAnswer->bGivenUp = true;
    ++iBehind;
    return std::nullopt;
}

template <typename T>
void CJournalService::post(std::function<T(CJournal&)> work, std::function<void(T)> done) {
    hand([this, work, done](CJournal& journal) {
        T value = work(journal);
        QMetaObject::invokeMethod(
            this, [done, value] { done(value); }, Qt::QueuedConnection);
    });
}

// What the journal says after a registration or a send of the queue, for
// the window: rows still waiting and why, rows refused.
struct SJournalReport {
    CJournal::EResult eResult = CJournal::EResult::Registered;
    int iWaiting = 0;
    QString sProblem;
    QList<SQueuedEntry> lstRefused;

    static SJournalReport of(CJournal& journal, CJournal::EResult eResult);
};
