#include "storage/recoverycopy.h"

#include "document/protocolmodel.h"
#include "storage/recoveryfile.h"

#include <QCoreApplication>

// Lives in the copy's thread: turns documents into bytes and writes them.
class CRecoveryWriter : public QObject {
    Q_OBJECT
public:
    explicit CRecoveryWriter(const QString& sDir) : file(sDir), sPath(file.path()) {}

    // Written once the writer's turn comes; a newer one may already wait.
    void write(const ProtocolDocument& document, const QString& sSource) {
        QString sError;
        if (file.write(protocolBytes(document), sSource, &sError))
            emit done(QString());
        else
            emit done(sError.isEmpty() ? QStringLiteral("ошибка записи") : sError);
    }
    void remove() {
        file.remove();
        emit done(QString());
    }

    CRecoveryFile file;
    // Set once, read from any thread.
    const QString sPath;

signals:
    void done(const QString& sError);
};

CRecoveryCopy::CRecoveryCopy(CProtocolModel& model, const QString& sDir, QObject* pParent)
    : QObject(pParent), model(model), sDir(sDir) {
    quietTimer.setObjectName(QStringLiteral("recoveryQuietTimer"));
    quietTimer.setSingleShot(true);
    quietTimer.setInterval(iQuietMs);
    latestTimer.setObjectName(QStringLiteral("recoveryLatestTimer"));
    latestTimer.setSingleShot(true);
    latestTimer.setInterval(iLatestMs);
    connect(&quietTimer, &QTimer::timeout, this, &CRecoveryCopy::flush);
    connect(&latestTimer, &QTimer::timeout, this, &CRecoveryCopy::flush);
    connect(&model, &CProtocolModel::edited, this, &CRecoveryCopy::schedule);
    connect(&model, &CProtocolModel::modificationChanged, this, &CRecoveryCopy::schedule);

    pWriter = new CRecoveryWriter(sDir);
    pWriter->moveToThread(&thread);
    connect(&thread, &QThread::finished, pWriter, &QObject::deleteLater);
    connect(pWriter, &CRecoveryWriter::done, this, [this](const QString& sError) {
        if (sError.isEmpty())
            emit written();
        else
            emit failed(sError);
    });
    thread.setObjectName(QStringLiteral("recovery"));
    thread.start(QThread::LowPriority);
}

CRecoveryCopy::~CRecoveryCopy() {
    QMetaObject::invokeMethod(pWriter, &CRecoveryWriter::remove, Qt::QueuedConnection);
    thread.quit();
    thread.wait();
}

QString CRecoveryCopy::path() const {
    return pWriter->sPath;
}

void CRecoveryCopy::schedule() {
    quietTimer.start();
    if (!latestTimer.isActive())
        latestTimer.start();
}

void CRecoveryCopy::flush() {
    quietTimer.stop();
    latestTimer.stop();
    if (!model.isChanged()) {
        QMetaObject::invokeMethod(pWriter, &CRecoveryWriter::remove, Qt::QueuedConnection);
        return;
    }
    // the document is shared, not copied: the writer's thread only reads it
    QMetaObject::invokeMethod(
        pWriter,
        [pWriter = pWriter, document = model.document(), sSource = model.fileName()] {
            pWriter->write(document, sSource);
        },
        Qt::QueuedConnection);
}

void CRecoveryCopy::writeNow() {
    flush();
    // every copy asked for so far is on disk when this returns
    QMetaObject::invokeMethod(
        pWriter, [] {}, Qt::BlockingQueuedConnection);
    QCoreApplication::sendPostedEvents(this);
}

#include "recoverycopy.moc"
