#pragma once

#include <QSettings>

#include <memory>

// The program's settings of one user (recent documents, the data folder,
// the journal), in ~/.config/ndt-protocol/ndt-protocol.ini.
std::unique_ptr<QSettings> openSettings();
