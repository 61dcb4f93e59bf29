#include "app/eventloop.h"
#include "app/pdfcommand.h"
#include "app/vekconclusion.h"
#include "app/verifycommand.h"
#include "base/translations.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/widgetdialogs.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s%s", CPdfCommand::usage().toUtf8().constData(),
                    CVerifyCommand::usage().toUtf8().constData());
        return 0;
    }
    chooseQtEventLoop();
    // the PDF command builds no widget and needs no display
    if (argc > 1 && std::strcmp(argv[1], "--pdf") == 0)
        return CPdfCommand::exec(argc, argv);
    // nor does the check of issued PDFs
    if (argc > 1 && std::strcmp(argv[1], "--verify") == 0)
        return CVerifyCommand::exec(argc, argv);
    QApplication app(argc, argv);
    // names the user's data location: ~/.local/share/ndt-protocol
    QCoreApplication::setApplicationName(QStringLiteral("ndt-protocol"));
    installRussianTranslations(app);
    CWidgetDialogs dialogs;
    CUserDialogs::setProgramDialogs(&dialogs);
    const QStringList lstArgs = QCoreApplication::arguments();
    CVEKConclusion window;
    window.show();
    // a document given on the command line (a double-click on a ".rpt") is opened
    if (lstArgs.size() > 1 && window.composer())
        window.composer()->controller().openDocument(lstArgs.at(1));
    return app.exec();
}
