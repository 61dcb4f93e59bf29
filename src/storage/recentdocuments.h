#pragma once

#include <QStringList>

// The documents opened or saved last, newest first, kept in the settings.
class CRecentDocuments {
public:
    static constexpr int iMaxDocuments = 8;

    static QStringList list();
    // Puts sPath first (once); returns the list.
    static QStringList add(const QString& sPath);
    static QStringList remove(const QString& sPath);

private:
    static QStringList store(const QStringList& lst);
};
