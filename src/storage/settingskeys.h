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
// Where issued protocols' PDFs go; empty: beside the protocol.
inline const QString sArchiveFolder = QStringLiteral("issue/archiveFolder");
// Where the protocol journal lives: on this computer, or on a server.
inline const QString sJournalServer = QStringLiteral("journal/server");
inline const QString sJournalHost = QStringLiteral("journal/host");
inline const QString sJournalPort = QStringLiteral("journal/port");
inline const QString sJournalDatabase = QStringLiteral("journal/database");
inline const QString sJournalUser = QStringLiteral("journal/user");
// The page set-up chosen last in the print or preview dialog: the paper
// (QPageSize's key, "A4"; the size in points "w x h" for one of its own),
// "portrait" or "landscape", and the margins in points, "left top right bottom".
inline const QString sPagePaper = QStringLiteral("print/paper");
inline const QString sPageOrientation = QStringLiteral("print/orientation");
inline const QString sPageMargins = QStringLiteral("print/margins");
// The main window's size, place and state.
inline const QString sWindowGeometry = QStringLiteral("window/geometry");
} // namespace SettingsKey
