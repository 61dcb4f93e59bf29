#include "base/settings.h"

#include "base/savefile.h"

#include <QFile>
#include <QFileInfo>

std::unique_ptr<QSettings> openSettings() {
    auto pSettings =
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                    QStringLiteral("ndt-protocol"), QStringLiteral("ndt-protocol"));
    // the recent documents name customers: only this user reads them; a
    // file made now keeps its mode when the settings are written over it
    const QString sFile = pSettings->fileName();
    constexpr auto ePrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ReadUser | QFileDevice::WriteUser;
    if (makePrivateFolder(QFileInfo(sFile).absolutePath())) {
        QFile file(sFile);
        if (!file.exists() && file.open(QIODevice::WriteOnly))
            file.close();
        if (file.exists() && file.permissions() != ePrivate)
            file.setPermissions(ePrivate);
    }
    return pSettings;
}
