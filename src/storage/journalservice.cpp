#include "storage/journalservice.h"

#include <QThread>
#include <QTimer>

#include <sys/socket.h>

CJournalService::CJournalService(const QString& sJournalFile, const QString& sQueueFile,
                                 const SJournalPlace& place, QObject* pParent)
    : QObject(pParent), sJournalFile(sJournalFile), sQueueFile(sQueueFile), place(place),
      pThread(new QThread), pWorker(new QObject) {
    pThread->setObjectName(QStringLiteral("journal"));
    pWorker->moveToThread(pThread);
    pThread->start();
}

CJournalService::~CJournalService() {
    if (pThread->isRunning()) {
        // the journal's connections end in the thread that made them
        hand(
            [this](CJournal&) {
                pJournal.reset();
                QThread::currentThread()->quit();
            },
            true);
        // a server that stops answering (not gone, only silent) holds the
        // worker in its call for as long as it likes: what was saved waits
        // in the queue already, and the program ends all the same
        if (!pThread->wait(iCloseWaitMs)) {
            bServerShut = true;
            const int iSocket = iServerSocket;
            if (iSocket >= 0)
                ::shutdown(iSocket, SHUT_RDWR);
            pThread->wait();
        }
    }
    delete pWorker;
    delete pThread;
}

void CJournalService::retire() {
    connect(pThread, &QThread::finished, this, &QObject::deleteLater);
    hand([this](CJournal&) {
        pJournal.reset();
        QThread::currentThread()->quit();
    });
}

CJournal& CJournalService::journal() {
    if (!pJournal) {
        pJournal = std::make_unique<CJournal>(sJournalFile, sQueueFile, place);
        pJournal->setWaitObserver([this](const QString& sWhat) {
            QMutexLocker lock(&mutex);
            const bool bFound = std::exchange(sWaitingFor, sWhat) != sWhat && !sWhat.isEmpty();
            lock.unlock(); // whoever hears it may ask waitingFor()
            if (bFound)
                emit waitingForFound(sWhat);
        });
        pJournal->setSocketObserver([this](int iSocket) { iServerSocket = iSocket; });
    }
    return *pJournal;
}

void CJournalService::hand(std::function<void(CJournal&)> work, bool bEnd) {
    QMetaObject::invokeMethod(
        pWorker,
        [this, work, bEnd] {
            // the program ends: what is not done by now waits in the queue
            // already, and only the end itself is still done
            if (bServerShut && !bEnd)
                return;
            work(journal());
            QMutexLocker lock(&mutex);
            sWaitingFor.clear();
        },
        Qt::QueuedConnection);
}

void CJournalService::waitUntilIdle() {
    ask<bool>([](CJournal&) { return true; }, {}, true);
}

QString CJournalService::waitingFor() const {
    QMutexLocker lock(&mutex);
    return sWaitingFor.isEmpty() ? sNoAnswer : sWaitingFor;
}

int CJournalService::answerBudget() {
    return int(qMax<qint64>(0, iAnswerMs - iSpentMs));
}

void CJournalService::spend(qint64 iMs) {
    iSpentMs += iMs;
    // the next turn of the event loop has its own time again
    if (!std::exchange(bSpendingReset, true))
        QTimer::singleShot(0, this, [this] {
            iSpentMs = 0;
            bSpendingReset = false;
        });
}

SJournalReport SJournalReport::of(CJournal& journal, CJournal::EResult eResult) {
    const QString sProblem = journal.problem();
    return {eResult, journal.waitingCount(), sProblem, journal.takeRefused()};
}
