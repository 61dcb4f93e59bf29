#include "base/savefile.h"

#include "base/writecause.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

bool makePrivateFolder(const QString& sDir) {
    constexpr auto ePrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner | QFileDevice::ReadUser |
                              QFileDevice::WriteUser | QFileDevice::ExeUser;
    if (!QDir().mkpath(sDir))
        return false;
    if (QFile::permissions(sDir) != ePrivate)
        QFile::setPermissions(sDir, ePrivate);
    return true;
}

bool isGroupWritable(const QString& sDir) {
    return QFileInfo(sDir).permissions().testFlag(QFileDevice::WriteGroup);
}

bool commitSaveFile(QSaveFile& file, EFileAccess eAccess) {
    // the new file takes the old one's permissions; then the rule of its folder
    QFileDevice::Permissions ePermissions = file.permissions();
    if (eAccess == EFileAccess::Private)
        ePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    else if (isGroupWritable(QFileInfo(file.fileName()).absolutePath()))
        ePermissions |= QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    if (ePermissions != file.permissions())
        file.setPermissions(ePermissions);
    // commit() does not report a failure of the final flush, so flush first
    if (!file.flush()) {
        file.cancelWriting(); // the temporary file is discarded
        return false;
    }
    return file.commit();
}

bool saveFileBytes(const QString& sPath, const QByteArray& bytes, QString* pError,
                   EFileAccess eAccess) {
    QSaveFile file(sPath);
    bool bWritten = file.open(QIODevice::WriteOnly);
    if (bWritten && file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        bWritten = false;
    }
    bWritten = bWritten && commitSaveFile(file, eAccess);
    if (!bWritten && pError)
        *pError = writeFailure(file);
    return bWritten;
}

namespace {
// Why a file begun was not written, when the disk shows nothing wrong: the
// system's own text is in the language of the system's messages, often English.
QString failureReason(const QFileDevice& file) {
    switch (file.error()) {
    case QFileDevice::NoError: // the writer gave up, the file did not
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError:
        return QStringLiteral("ошибка записи (%1)").arg(file.errorString());
    case QFileDevice::RenameError:
    case QFileDevice::CopyError:
        return QStringLiteral("прежний файл не удалось заменить: он защищен от изменения "
                              "или открыт другой программой");
    case QFileDevice::PermissionsError:
        return QStringLiteral("нет прав на запись");
    default:
        return file.errorString();
    }
}
} // namespace

QString writeFailure(const QFileDevice& file) {
    const QFileInfo info(file.fileName());
    const QString sFile = QDir::toNativeSeparators(info.absoluteFilePath());
    const SWriteCause cause = SWriteCause::of(info.absoluteFilePath(), file.errorString());
    switch (cause.eKind) {
    case SWriteCause::EKind::FileProtected:
        return QStringLiteral("Файл «%1» не записан: он защищен от записи").arg(sFile);
    case SWriteCause::EKind::NoFolder:
        return QStringLiteral("Папка «%1» недоступна для записи").arg(cause.sWhere);
    case SWriteCause::EKind::None:
        break;
    default:
        return QStringLiteral("Файл «%1» не записан: %2").arg(sFile, cause.text());
    }
    // a save begins with a new file beside the old one
    if (file.error() == QFileDevice::OpenError)
        return QStringLiteral("Папка «%1» недоступна для записи")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    return QStringLiteral("Файл «%1» не записан: %2").arg(sFile, failureReason(file));
}
