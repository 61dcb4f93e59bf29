#include "base/constants.h"

#include <QDir>
#include <QFileInfo>

QString sizeProblem(const QString& sPath, qint64 iLimit) {
    const qint64 iBytes = QFileInfo(sPath).size();
    if (iBytes <= iLimit)
        return QString();
    constexpr double dMegabyte = 1024.0 * 1024.0;
    return g_sFileTooLarge.arg(QDir::toNativeSeparators(sPath),
                               QString::number(iBytes / dMegabyte, 'f', 1),
                               QString::number(iLimit / dMegabyte, 'f', 0));
}
