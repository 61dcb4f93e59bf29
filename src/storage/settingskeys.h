#pragma once

#include <QString>

// Every key of the program's settings (~/.config/ndt-protocol/ndt-protocol.ini),
// named once.
namespace SettingsKey {
// The documents opened or saved last, newest first.
inline const QString sRecentDocuments = QStringLiteral("recent/documents");
// The folder of the reference files chosen in "Настройки"; empty for the
// program's own.
inline const QString sReferenceFolder = QStringLiteral("data/folder");
// Where the protocol journal lives: on this computer, or on a server.
inline const QString sJournalServer = QStringLiteral("journal/server");
inline const QString sJournalHost = QStringLiteral("journal/host");
inline const QString sJournalPort = QStringLiteral("journal/port");
inline const QString sJournalDatabase = QStringLiteral("journal/database");
inline const QString sJournalUser = QStringLiteral("journal/user");
// The main window's size, place and state.
inline const QString sWindowGeometry = QStringLiteral("window/geometry");
} // namespace SettingsKey
