#pragma once

class QByteArray;
class QFileDevice;
class QSaveFile;
class QString;

// Who may read a file written: the folder's rule (a folder its group may
// write, which a laboratory shares, gets files its group may write too), or
// the user alone (recovery copies, which hold whole protocols).
enum class EFileAccess { FolderRule, Private };

// Replaces the target of pFile with what was written, or, when any of it
// could not be written (the last buffered bytes included), leaves the old
// file as it was and returns false.
bool commitSaveFile(QSaveFile& file, EFileAccess eAccess = EFileAccess::FolderRule);

// Writes bytes as the whole of the file at sPath, through a QSaveFile: the
// old file stays as it was when any of them cannot be written; *pError then
// says why, as writeFailure does.
bool saveFileBytes(const QString& sPath, const QByteArray& bytes, QString* pError = nullptr,
                   EFileAccess eAccess = EFileAccess::FolderRule);

// Makes sDir (and what is missing above it) when it is not there, and lets
// only this user in (0700): the program's own folders hold recovery copies,
// the journal's queue and the settings, which name customers.
bool makePrivateFolder(const QString& sDir);

// Whether the group of sDir may write in it: the files made there are
// then its group's to write as well.
bool isGroupWritable(const QString& sDir);

// Why a file could not be written, for the user, as the disk shows it: a
// folder missing or another user's, a disk full or read-only, a file
// protected from writing; otherwise the system's reason.
QString writeFailure(const QFileDevice& file);
