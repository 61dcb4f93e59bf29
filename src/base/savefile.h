#pragma once

class QSaveFile;

// Replaces the target of pFile with what was written, or, when any of it
// could not be written (the last buffered bytes included), leaves the old
// file as it was and returns false.
bool commitSaveFile(QSaveFile& file);
