#include "support/postgresserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace {
const QString g_sUser = QStringLiteral("journal");
constexpr int g_iPort = 5432;

// Debian keeps the server's programs out of PATH, under their major version.
QString serverBinDir() {
    const QStringList lstVersions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& sVersion : lstVersions) {
        const QString sDir = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(sVersion);
        if (QFile::exists(sDir + QStringLiteral("/initdb")))
            return sDir;
    }
    return QString();
}
} // namespace

// In /tmp whatever TMPDIR says: the server's user must reach it, and the
// socket's path must stay short.
CPostgresServer::CPostgresServer()
    : dir(QStringLiteral("/tmp/ndt-postgres-XXXXXX")), sBinDir(serverBinDir()) {}

CPostgresServer::~CPostgresServer() {
    stop();
}

QString CPostgresServer::dataDir() const {
    return dir.filePath(QStringLiteral("data"));
}

QString CPostgresServer::runTool(const QString& sTool, const QStringList& lstArgs) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(dir.path()); // the server's user may enter no other
    const QString sProgram = sBinDir + QLatin1Char('/') + sTool;
    if (geteuid() == 0)
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("nobody"),
                                  QStringLiteral("--"), sProgram} +
                          lstArgs);
    else
        process.start(sProgram, lstArgs);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return sTool + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll()) +
               process.errorString();
    return QString();
}

QString CPostgresServer::start() {
    if (sBinDir.isEmpty())
        return QStringLiteral("PostgreSQL is not installed (make test installs it)");
    if (!dir.isValid())
        return QStringLiteral("no temporary directory");
    if (geteuid() == 0 &&
        QProcess::execute(QStringLiteral("chown"), {QStringLiteral("nobody"), dir.path()}) != 0)
        return QStringLiteral("cannot give the directory to nobody");
    if (!bInitialised) {
        const QString sProblem =
            runTool(QStringLiteral("initdb"),
                    {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), g_sUser,
                     QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                     QStringLiteral("UTF8"), QStringLiteral("--no-sync")});
        if (!sProblem.isEmpty())
            return sProblem;
        QFile hba(dataDir() + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return hba.errorString();
        hba.write(QStringLiteral("local all %1 scram-sha-256\nlocal all all trust\n")
                      .arg(sPasswordUser)
                      .toUtf8());
        hba.close();
        bInitialised = true;
        const QString sStarted = start();
        return !sStarted.isEmpty() ? sStarted
                                   : runTool(QStringLiteral("psql"),
                                             {QStringLiteral("-h"), dir.path(),
                                              QStringLiteral("-p"), QString::number(g_iPort),
                                              QStringLiteral("-U"), g_sUser, QStringLiteral("-d"),
                                              QStringLiteral("postgres"), QStringLiteral("-c"),
                                              QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'")
                                                  .arg(sPasswordUser, sPassword)});
    }
    return runTool(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), dataDir(), QStringLiteral("-w"), QStringLiteral("-l"),
                    dir.filePath(QStringLiteral("server.log")), QStringLiteral("-o"),
                    QStringLiteral("-k %1 -c listen_addresses='' -p %2 -c fsync=off")
                        .arg(dir.path())
                        .arg(g_iPort),
                    QStringLiteral("start")});
}

bool CPostgresServer::stop() {
    if (!isRunning())
        return true;
    return runTool(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), dataDir(), QStringLiteral("-w"), QStringLiteral("-m"),
                    QStringLiteral("fast"), QStringLiteral("stop")})
        .isEmpty();
}

bool CPostgresServer::isRunning() const {
    return bInitialised && QFile::exists(dataDir() + QStringLiteral("/postmaster.pid"));
}

void CPostgresServer::freeze(bool bFrozen) {
    QFile pidFile(dataDir() + QStringLiteral("/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        return;
    const QString sPid = QString::fromLatin1(pidFile.readLine()).trimmed();
    const QString sSignal = bFrozen ? QStringLiteral("-STOP") : QStringLiteral("-CONT");
    // the backends first: none of them answers for the server meanwhile
    QProcess::execute(QStringLiteral("pkill"), {sSignal, QStringLiteral("-P"), sPid});
    QProcess::execute(QStringLiteral("kill"), {sSignal, sPid});
}

SJournalPlace CPostgresServer::place() const {
    SJournalPlace place;
    place.bServer = true;
    place.sHost = dir.path(); // a directory: libpq takes the socket there
    place.iPort = g_iPort;
    place.sDatabase = QStringLiteral("postgres");
    place.sUser = g_sUser;
    return place;
}
