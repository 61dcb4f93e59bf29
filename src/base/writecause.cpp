#include "base/writecause.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace {
// Less room than this is a full disk: a protocol or a journal row does not fit.
constexpr qulonglong g_iFullBelowBytes = 64 * 1024;

QString native(const QString& sPath) {
    return QDir::toNativeSeparators(sPath);
}

#ifdef Q_OS_UNIX
// What the system says of a full disk or an exhausted quota, in the
// language it speaks to this program.
bool isDiskFullText(const QString& sError) {
    return !sError.isEmpty() && (sError.contains(qt_error_string(ENOSPC), Qt::CaseInsensitive) ||
                                 sError.contains(qt_error_string(EDQUOT), Qt::CaseInsensitive) ||
                                 sError.contains(QLatin1String("disk is full")));
}

// A file or folder this program may not write: another user's, or one
// nobody may change (root is refused only those).
SWriteCause refused(const QString& sPath, SWriteCause::EKind eOthers,
                    SWriteCause::EKind eProtected) {
    const QFileInfo info(sPath);
    const bool bOthers = geteuid() != 0 && info.ownerId() != geteuid();
    return {bOthers ? eOthers : eProtected, native(info.absoluteFilePath()), ownerName(sPath)};
}
#endif
} // namespace

QString ownerName(const QString& sPath) {
    const QFileInfo info(sPath);
    const QString sOwner = info.owner();
    return sOwner.isEmpty() ? QString::number(info.ownerId()) : sOwner;
}

SWriteCause SWriteCause::of(const QString& sPath, const QString& sError) {
    const QFileInfo file(sPath);
    const QString sDir = file.absolutePath();
    if (!QFileInfo(sDir).isDir())
        return {EKind::NoFolder, native(sDir), QString()};
#ifdef Q_OS_UNIX
    const QByteArray dir = QFile::encodeName(sDir);
    struct statvfs disk {};
    const bool bDisk = ::statvfs(dir.constData(), &disk) == 0;
    if (bDisk && (disk.f_flag & ST_RDONLY))
        return {EKind::ReadOnlyDisk, native(sDir), QString()};
    if (file.exists() && ::access(QFile::encodeName(sPath).constData(), W_OK) != 0)
        return errno == EROFS ? SWriteCause{EKind::ReadOnlyDisk, native(sDir), QString()}
                              : refused(sPath, EKind::FilePermission, EKind::FileProtected);
    if (::access(dir.constData(), W_OK | X_OK) != 0)
        return refused(sDir, EKind::FolderPermission, EKind::FolderPermission);
    // root may use the blocks kept for it
    const qulonglong iFree =
        bDisk ? qulonglong(geteuid() == 0 ? disk.f_bfree : disk.f_bavail) * disk.f_frsize : ~0ULL;
    if (iFree < g_iFullBelowBytes || isDiskFullText(sError))
        return {EKind::DiskFull, native(sDir), QString()};
#else
    Q_UNUSED(sError);
    if (file.exists() && !file.isWritable())
        return {EKind::FileProtected, native(file.absoluteFilePath()), QString()};
#endif
    return {};
}

QString SWriteCause::text() const {
    switch (eKind) {
    case EKind::None:
        break;
    case EKind::NoFolder:
        return QStringLiteral("папка «%1» недоступна").arg(sWhere);
    case EKind::ReadOnlyDisk:
        return QStringLiteral("папка «%1» доступна только для чтения").arg(sWhere);
    case EKind::DiskFull:
        return QStringLiteral("на диске с папкой «%1» нет места").arg(sWhere);
    case EKind::FolderPermission:
        return QStringLiteral("нет прав на запись в папку «%1», ее владелец — %2")
            .arg(sWhere, sOwner);
    case EKind::FilePermission:
        return QStringLiteral("нет прав на запись в файл «%1», его владелец — %2")
            .arg(sWhere, sOwner);
    case EKind::FileProtected:
        return QStringLiteral("файл «%1» защищен от записи").arg(sWhere);
    }
    return QString();
}
