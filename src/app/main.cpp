#include "app/vekconclusion.h"
#include "base/translations.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/pdfcommand.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s", CPdfCommand::usage().toUtf8().constData());
        return 0;
    }
    // the PDF command needs no display: the offscreen platform, unless told otherwise
    const bool bPdf = argc > 1 && std::strcmp(argv[1], "--pdf") == 0;
    if (bPdf && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (bPdf)
        CPdfCommand::keepQtQuiet();
    QApplication app(argc, argv);
    // names the user's data location: ~/.local/share/ndt-protocol
    QCoreApplication::setApplicationName(QStringLiteral("ndt-protocol"));
    installRussianTranslations(app);
    const QStringList lstArgs = QCoreApplication::arguments();
    if (bPdf)
        return CPdfCommand::run(lstArgs.mid(2));
    CVEKConclusion window;
    window.show();
    // a document given on the command line (a double-click on a ".rpt") is opened
    if (lstArgs.size() > 1 && window.composer())
        window.composer()->controller().openDocument(lstArgs.at(1));
    return app.exec();
}
