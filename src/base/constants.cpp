#include "base/constants.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

QString sizeProblem(const QString& sPath, qint64 iLimit) {
    const qint64 iBytes = QFileInfo(sPath).size();
    if (iBytes <= iLimit)
        return QString();
    // a tenth of a megabyte more is more: 64 MB and a byte is "64,1"
    constexpr double dMegabyte = 1024.0 * 1024.0;
    const QLocale russian(QLocale::Russian);
    return g_sFileTooLarge.arg(QDir::toNativeSeparators(sPath),
                               russian.toString(std::ceil(iBytes * 10 / dMegabyte) / 10, 'f', 1),
                               russian.toString(iLimit / dMegabyte, 'f', 0));
}
