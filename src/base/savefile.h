#pragma once

class QByteArray;
class QSaveFile;
class QString;

// Replaces the target of pFile with what was written, or, when any of it
// could not be written (the last buffered bytes included), leaves the old
// file as it was and returns false.
bool commitSaveFile(QSaveFile& file);

// Writes bytes as the whole of the file at sPath, through a QSaveFile: the
// old file stays as it was when any of them cannot be written.
bool saveFileBytes(const QString& sPath, const QByteArray& bytes);
