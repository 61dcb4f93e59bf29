#pragma once

#include "document/protocoldocument.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

class CProtocolModel;
class CRecoveryWriter;

// The copy of the unsaved protocol that a crash leaves behind for the next
// start. It follows the model within iLatestMs of a change: once the typing
// pauses for iQuietMs, and at least every iLatestMs while it goes on. A
// thread of its own writes it, so that a slow disk never stops the window;
// the copies reach the disk in the order made. When nothing is unsaved the
// copy is removed.
class CRecoveryCopy : public QObject {
    Q_OBJECT
public:
    static inline int iQuietMs = 1000;
    static inline int iLatestMs = 5000;

    // A new copy place of this instance's in sDir, following model.
    CRecoveryCopy(CProtocolModel& model, const QString& sDir, QObject* pParent = nullptr);
    // Every copy asked for is on disk, then the copy is removed: a clean end.
    ~CRecoveryCopy() override;

    QString dir() const { return sDir; }
    QString path() const;
    // Writes the copy, or removes it when nothing is unsaved, and returns
    // when that is done: a protocol taken back from another copy is on disk
    // as this instance's before the other one goes.
    void writeNow();

signals:
    // A copy could not be written: sError says why.
    void failed(const QString& sError);
    // A copy was written (or removed, nothing being unsaved).
    void written();

private:
    // A change: the copy follows once the typing pauses, and at the latest
    // iLatestMs after the first change not yet copied.
    void schedule();
    // Hands the model's document to the writer, or the removal.
    void flush();

    CProtocolModel& model;
    QString sDir;
    QTimer quietTimer;
    QTimer latestTimer;
    QThread thread;
    CRecoveryWriter* pWriter = nullptr;
};
