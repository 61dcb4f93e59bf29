#pragma once

#include <QStringList>

// "ndt-protocol --pdf DIR FILE.rpt...": the protocols of a laboratory's
// archive turned into PDF files with no window, each as "Сохранить в PDF"
// writes it, into DIR/NAME.pdf. One line a file on the standard output
// ("118-26.rpt → 118-26.pdf, 4 стр."); a file that is damaged or cannot be
// written is named on the standard error, and the others are converted.
//
// It reads, prints and writes with no form, no reference list and no
// widget: only a QGuiApplication of its own.
class CPdfCommand {
public:
    // The program run as "ndt-protocol --pdf ARGS...". The exit status: 0
    // when every file was converted, 1 when one was not, 2 when the
    // arguments say nothing to do.
    static int exec(int argc, char* argv[]);
    // The modes of the program, in Russian, for "--help".
    static QString usage();

private:
    // The arguments after "--pdf", once the application runs.
    static int run(const QStringList& lstArgs);
    // The standard error names the files not converted: Qt's own notes
    // (warnings, debug lines) are left out, before the application starts.
    static void keepQtQuiet();
};
