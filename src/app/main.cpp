#include "app/vekconclusion.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    CVEKConclusion window;
    window.show();
    return app.exec();
}
