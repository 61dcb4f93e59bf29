#include "storage/labstatement.h"

#include "base/savefile.h"
#include "storage/referencefiles.h"
#include "storage/referencestore.h"

#include <QDir>
#include <QFile>
#include <QLockFile>

const QString CLabStatement::sFileName = QStringLiteral("statement.txt");
const QString CLabStatement::sDefault =
    QStringLiteral("Результаты контроля относятся только к объектам, подвергнутым контролю. "
                   "Частичное воспроизведение протокола без письменного разрешения лаборатории "
                   "запрещено.");

QString CLabStatement::read(const QString& sDir, QString* pProblem) {
    const QString sPath = CReferenceFiles::filePath(sDir, sFileName);
    QFile file(sPath);
    if (!file.exists())
        return sDefault;
    // a statement is a paragraph or two: a larger file is not read
    QString sProblem = file.size() > iMaxBytes ? QStringLiteral("«%1» больше %2 КБ и не прочитан")
                                                     .arg(QDir::toNativeSeparators(sPath))
                                                     .arg(iMaxBytes / 1024)
                                               : QString();
    QByteArray bytes;
    if (sProblem.isEmpty() && !file.open(QIODevice::ReadOnly))
        sProblem = QStringLiteral("«%1» не читается: %2")
                       .arg(QDir::toNativeSeparators(sPath), file.errorString());
    else if (sProblem.isEmpty())
        bytes = file.read(iMaxBytes);
    if (pProblem)
        *pProblem = sProblem;
    return sProblem.isEmpty() ? QString::fromUtf8(bytes) : sDefault;
}

bool CLabStatement::write(const QString& sDir, const QString& sText, QString* pProblem) {
    const QString sPath = CReferenceFiles::filePath(sDir, sFileName);
    QLockFile lock(sPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(CReferenceStore::iStaleLockMs);
    if (!lock.tryLock(CReferenceStore::iLockWaitMs)) {
        if (pProblem)
            *pProblem = lock.error() == QLockFile::LockFailedError
                            ? QStringLiteral("«%1» занят другой программой")
                                  .arg(QDir::toNativeSeparators(sPath))
                            : QStringLiteral("Папка «%1» недоступна для записи")
                                  .arg(QDir::toNativeSeparators(sDir));
        return false;
    }
    return saveFileBytes(sPath, sText.toUtf8(), pProblem);
}
