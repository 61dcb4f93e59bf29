#pragma once

#include <QSettings>

#include <memory>

// The program's settings of one user (recent documents, the data folder,
// the journal), in ~/.config/ndt-protocol/ndt-protocol.ini, which only that
// user may read (0600, in a folder of 0700).
std::unique_ptr<QSettings> openSettings();
