#pragma once

#include <QString>

// The laboratory's statement, printed at the end of every protocol before
// "Конец протокола": what the results relate to, and that the protocol is
// not to be reproduced in part. It is kept in "statement.txt" of the
// reference folder, in UTF-8, so that every workstation sharing the folder
// prints the same; a file absent gives the text every laboratory starts
// with, an empty file no statement at all.
class CLabStatement {
public:
    static const QString sFileName; // "statement.txt"
    static const QString sDefault;
    // A statement is a paragraph or two: a larger file is no statement.
    static constexpr qint64 iMaxBytes = 64 * 1024;

    // The statement of the folder sDir: the file's text as written, an empty
    // one included; the default when there is no file, or when it cannot be
    // read or is too large (*pProblem then says why).
    static QString read(const QString& sDir, QString* pProblem = nullptr);
    // Writes sText as the folder's statement under the file's lock, which
    // the reference files' writers keep too; false with *pProblem saying
    // why when it was not written.
    static bool write(const QString& sDir, const QString& sText, QString* pProblem = nullptr);
};
