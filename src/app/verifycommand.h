#pragma once

#include <QStringList>

class CJournal;

// "ndt-protocol --verify FILE.pdf...": whether each PDF is one the
// laboratory issued, looked up by its SHA-256 in the journal of the
// program's settings (the laboratory's folder or server). One line a file
// on the standard output, the file named as it was given:
//   "118-26.pdf: протокол № 118/26 от 07.12.2026, выдан 07.12.2026 14:03 (Иванов, ws1)"
// with ", заменен протоколом № 118/26-1" where an amendment replaced it;
// "118-26.pdf: не найден среди выданных" otherwise, or why the file could
// not be read.
//
// It builds no widget and needs no display: a QCoreApplication of its own.
class CVerifyCommand {
public:
    // The program run as "ndt-protocol --verify FILE...". The exit status:
    // 0 when every file was issued, 1 when one was not or could not be
    // read, 2 when the arguments name no file or the journal cannot be read.
    static int exec(int argc, char* argv[]);
    // The line of "--help", in Russian.
    static QString usage();
    // The files looked up in journal, a line each to the standard output;
    // the exit status as exec gives it.
    static int verify(CJournal& journal, const QStringList& lstFiles);

private:
    // The journal the program's settings name; empty with *pProblem when
    // there is none to read.
    static QString journalFile(QString* pProblem);
};
