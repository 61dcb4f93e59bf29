#pragma once

#include <QString>

// Why a file cannot be written, found on the disk itself: the system's own
// error text is often in English, and says "permission denied" alike for
// a file of another user and for one protected from change.
struct SWriteCause {
    enum class EKind {
        None,             // nothing seen wrong
        NoFolder,         // the folder is not there (a share taken away)
        ReadOnlyDisk,     // mounted read-only
        DiskFull,         // no room left for the user
        FolderPermission, // the folder is another user's
        FilePermission,   // the file is another user's
        FileProtected     // the file may not be changed (by anyone)
    };
    EKind eKind = EKind::None;
    QString sWhere; // the folder or file refused, as the user sees it
    QString sOwner; // its owner, for the permission kinds

    // sPath is a file, there or not yet. sError is what the system said,
    // which tells a full disk the other checks may not see.
    static SWriteCause of(const QString& sPath, const QString& sError = QString());
    // The cause as a clause of a sentence ("на диске нет места"); empty for None.
    QString text() const;
};

// The owner of a file or folder as a message names it: the user name, or
// the number when the system knows no name for it.
QString ownerName(const QString& sPath);
