#pragma once

class QByteArray;
class QFileDevice;
class QSaveFile;
class QString;

// Replaces the target of pFile with what was written, or, when any of it
// could not be written (the last buffered bytes included), leaves the old
// file as it was and returns false.
bool commitSaveFile(QSaveFile& file);

// Writes bytes as the whole of the file at sPath, through a QSaveFile: the
// old file stays as it was when any of them cannot be written; *pError then
// says why, as writeFailure does.
bool saveFileBytes(const QString& sPath, const QByteArray& bytes, QString* pError = nullptr);

// Why a file could not be written, for the user: a file that could not even
// be begun names its folder, which cannot be written; otherwise the
// system's reason.
QString writeFailure(const QFileDevice& file);
