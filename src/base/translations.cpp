#include "base/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installRussianTranslations(QCoreApplication& app) {
    // dates and numbers in the Russian way too
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto pTranslator = new QTranslator(&app);
    if (!pTranslator->load(QStringLiteral("qtbase_ru"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete pTranslator;
        return false;
    }
    return QCoreApplication::installTranslator(pTranslator);
}
