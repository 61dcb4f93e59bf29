#include "storage/recoveryfile.h"

#include "base/savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace {
const QString g_sPrefix = QStringLiteral("recovery-");
const QString g_sSuffix = QStringLiteral(".rpt");
const QString g_sLockSuffix = QStringLiteral(".lock");
// Beside the copy: the path of the document it was made of, in UTF-8.
const QString g_sSourceSuffix = QStringLiteral(".source");
} // namespace

CRecoveryFile::CRecoveryFile(const QString& sDir) {
    QDir().mkpath(sDir);
    // one name per instance: the process number alone may come again
    sPath = QDir(sDir).filePath(g_sPrefix + QString::number(QCoreApplication::applicationPid()) +
                                QLatin1Char('-') +
                                QUuid::createUuid().toString(QUuid::Id128).left(8) + g_sSuffix);
    pLock = std::make_unique<QLockFile>(sPath + g_sLockSuffix);
    pLock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    bHeld = pLock->tryLock(0);
}

CRecoveryFile::~CRecoveryFile() {
    remove();
    if (bHeld)
        pLock->unlock();
}

bool CRecoveryFile::write(const QByteArray& document, const QString& sSource, QString* pError) {
    if (!bHeld) {
        if (pError)
            *pError = QStringLiteral("копию держит другая программа");
        return false;
    }
    // a whole protocol, its customer's name in it: only this user reads it
    if (sSource.isEmpty())
        QFile::remove(sPath + g_sSourceSuffix);
    else if (!saveFileBytes(sPath + g_sSourceSuffix, sSource.toUtf8(), pError,
                            EFileAccess::Private))
        return false;
    return saveFileBytes(sPath, document, pError, EFileAccess::Private);
}

void CRecoveryFile::remove() {
    if (!bHeld)
        return;
    QFile::remove(sPath);
    QFile::remove(sPath + g_sSourceSuffix);
}

QStringList CRecoveryFile::orphans(const QString& sDir) {
    QDir dir(sDir);
    QStringList lst;
    const QFileInfoList lstFiles =
        dir.entryInfoList({g_sPrefix + QLatin1Char('*') + g_sSuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : lstFiles) {
        // a lock that can be taken belongs to nobody running any more
        QLockFile lock(info.absoluteFilePath() + g_sLockSuffix);
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;
        lock.unlock();
        lst.append(info.absoluteFilePath());
    }
    return lst;
}

void CRecoveryFile::removeLeftovers(const QString& sDir) {
    QDir dir(sDir);
    const QString sPattern = g_sPrefix + QLatin1Char('*') + g_sSuffix;
    for (const QString& sSuffix : {g_sLockSuffix, g_sSourceSuffix}) {
        for (const QFileInfo& info : dir.entryInfoList({sPattern + sSuffix}, QDir::Files)) {
            const QString sCopy = info.absoluteFilePath().chopped(sSuffix.size());
            if (QFile::exists(sCopy))
                continue;
            // a program killed before its first copy: a lock it no longer holds
            QLockFile lock(sCopy + g_sLockSuffix);
            lock.setStaleLockTime(0);
            if (lock.tryLock(0)) {
                lock.unlock();
                QFile::remove(sCopy + g_sSourceSuffix);
            }
        }
    }
}

void CRecoveryFile::discard(const QString& sPath) {
    QFile::remove(sPath);
    QFile::remove(sPath + g_sSourceSuffix);
    QFile::remove(sPath + g_sLockSuffix);
}

QString CRecoveryFile::sourceOf(const QString& sPath) {
    QFile file(sPath + g_sSourceSuffix);
    // a path, not a document: a few kilobytes at most
    constexpr qint64 iMaxPathBytes = 64 * 1024;
    if (!file.open(QIODevice::ReadOnly) || file.size() > iMaxPathBytes)
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString CRecoveryFile::keep(const QString& sPath) {
    const QString sKept = sPath + QStringLiteral(".unreadable");
    // the copy first: one that stays where it is keeps its note and its lock
    if (!QFile::rename(sPath, sKept))
        return sPath;
    QFile::remove(sPath + g_sLockSuffix);
    QFile::rename(sPath + g_sSourceSuffix, sKept + g_sSourceSuffix);
    return sKept;
}
