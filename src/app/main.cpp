#include "app/vekconclusion.h"
#include "base/translations.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // names the user's data location: ~/.local/share/ndt-protocol
    QCoreApplication::setApplicationName(QStringLiteral("ndt-protocol"));
    installRussianTranslations(app);
    CVEKConclusion window;
    window.show();
    // a document given on the command line (a double-click on a ".rpt") is opened
    const QStringList lstArgs = QCoreApplication::arguments();
    if (lstArgs.size() > 1 && window.composer())
        window.composer()->controller().openDocument(lstArgs.at(1));
    return app.exec();
}
