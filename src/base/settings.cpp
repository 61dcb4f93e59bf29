#include "base/settings.h"

std::unique_ptr<QSettings> openSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("ndt-protocol"),
                                       QStringLiteral("ndt-protocol"));
}
