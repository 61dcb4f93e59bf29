#pragma once

#include "storage/journal.h"

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of a test's own: initdb into a temporary directory,
// listening on a Unix socket there only, with trust for local connections
// but those of sPasswordUser, who gives sPassword.
// Run as "nobody" when the tests run as root, which the server refuses.
class CPostgresServer {
public:
    CPostgresServer();
    ~CPostgresServer();

    // Empty when the server runs; otherwise what went wrong.
    QString start();
    bool stop();
    bool isRunning() const;
    // The server stops answering, its connections left open (bFrozen), or
    // goes on.
    void freeze(bool bFrozen);
    // Where the journal finds this server.
    SJournalPlace place() const;
    static inline const QString sPasswordUser = QStringLiteral("secret");
    static inline const QString sPassword = QStringLiteral("s3cret");

private:
    // Runs a server program as the server's user; its output on failure.
    QString runTool(const QString& sTool, const QStringList& lstArgs);
    QString dataDir() const;

    QTemporaryDir dir;
    QString sBinDir;
    bool bInitialised = false;
};
