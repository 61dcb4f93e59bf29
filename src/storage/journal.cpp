#include "storage/journal.h"

#include "base/savefile.h"
#include "base/settings.h"
#include "base/writecause.h"
#include "storage/journalqueue.h"
#include "storage/journalrows.h"
#include "storage/referencestore.h"
#include "storage/settingskeys.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryFile>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <libpq-fe.h>

#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace JournalRows;

namespace {
// 2: a row's place is the workstation and the path (an index on both)
// 3: the issues of protocols, in a table of their own
constexpr int g_iSchemaVersion = 3;
// The latest rows of a year read at a time while amendments are passed over.
constexpr int g_iLatestBatch = 16;
// How long a save waits for a server that does not answer.
constexpr int g_iConnectSeconds = 3;

QString connectionName(const char* pKind) {
    return QStringLiteral("journal-%1-%2")
        .arg(QLatin1String(pKind), QUuid::createUuid().toString(QUuid::Id128));
}

// "%" and "_" typed in the filter are looked for as they are.
QString likeLiteral(QString s) {
    for (const char* pSpecial : {"\\", "%", "_"})
        s.replace(QLatin1String(pSpecial), QLatin1String("\\") + QLatin1String(pSpecial));
    return s;
}

// "a, b" as "p.a, p.b".
QString qualified(const QString& sColumns, const QString& sTable) {
    QStringList lst = sColumns.split(QStringLiteral(", "));
    for (QString& sColumn : lst)
        sColumn.prepend(sTable + QLatin1Char('.'));
    return lst.join(QStringLiteral(", "));
}

// The rows of a state, of protocols p joined with their issues i.
QString stateCondition(EProtocolState eState) {
    switch (eState) {
    case EProtocolState::Draft:
        return QStringLiteral(" AND i.id IS NULL");
    case EProtocolState::Issued:
        return QStringLiteral(" AND i.id IS NOT NULL AND i.replaced_by = ''");
    case EProtocolState::Replaced:
        return QStringLiteral(" AND i.replaced_by <> ''");
    }
    return QString();
}

QString native(const QString& sPath) {
    return QDir::toNativeSeparators(sPath);
}

// libpq reads no password file that others may read, and says so only on
// its standard error: such a file is named, with what makes it read.
QString ignoredPasswordFile() {
#ifdef Q_OS_UNIX
    QString sFile = qEnvironmentVariable("PGPASSFILE");
    if (sFile.isEmpty())
        sFile = QDir::home().filePath(QStringLiteral(".pgpass"));
    struct stat info {};
    if (::stat(QFile::encodeName(sFile).constData(), &info) != 0 ||
        (info.st_mode & (S_IRWXG | S_IRWXO)) == 0)
        return QString();
    return QStringLiteral("libpq не читает файл «%1»: его права %2 открывают его другим "
                          "пользователям; нужны права 0600 (chmod 0600 %1)")
        .arg(native(sFile), QString::number(info.st_mode & 0777, 8).rightJustified(4, '0'));
#else
    return QString();
#endif
}

// libpq's words for a connection the server closed or lost.
bool isConnectionLost(const QString& sError) {
    for (const char* pText : {"server closed the connection", "terminating connection",
                              "no connection to the server", "connection to server"}) {
        if (sError.contains(QLatin1String(pText), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// What libpq says when a server cannot be used, as the user can act on it.
QString serverProblem(const SJournalPlace& place, const QString& sError) {
    const auto says = [&sError](const char* pText) {
        return sError.contains(QLatin1String(pText), Qt::CaseInsensitive);
    };
    if (says("could not translate host name") || says("Name or service not known") ||
        says("Temporary failure in name resolution"))
        return QStringLiteral("сервер «%1» не найден").arg(place.sHost);
    if (says("Connection refused") || says("No such file or directory"))
        return QStringLiteral("сервер «%1» не принимает соединений на порту %2")
            .arg(place.sHost)
            .arg(place.iPort);
    if (says("timeout expired") || says("timed out"))
        return QStringLiteral("сервер «%1» не отвечает").arg(place.sHost);
    if (says("password authentication failed") || says("no password supplied") ||
        says("authentication failed")) {
        const QString sIgnored = ignoredPasswordFile();
        if (!sIgnored.isEmpty())
            return QStringLiteral("пароль пользователя «%1» не принят: %2")
                .arg(place.sUser, sIgnored);
        return QStringLiteral("пароль пользователя «%1» не принят: запишите его в файл "
                              "~/.pgpass строкой «%2:%3:%4:%1:пароль» (права 0600) или в "
                              "переменную PGPASSWORD")
            .arg(place.sUser, place.sHost)
            .arg(place.iPort)
            .arg(place.sDatabase);
    }
    if (says("does not exist") && says("database"))
        return QStringLiteral("базы данных «%1» нет на сервере").arg(place.sDatabase);
    // (a PostgreSQL server that restarts closes the connection: not one of these)
    if (says("invalid response to SSL negotiation") || says("received invalid response") ||
        says("expected authentication request"))
        return QStringLiteral("на порту %2 сервера «%1» отвечает не PostgreSQL")
            .arg(place.sHost)
            .arg(place.iPort);
    if (isConnectionLost(sError))
        return QStringLiteral("сервер «%1» прервал соединение").arg(place.sHost);
    // the driver's words, not asked for in the user's
    return QStringLiteral("сервер «%1» не принял соединение (%2)")
        .arg(place.sHost, sError.trimmed());
}

// Why the journal's tables could not be made or changed on a server that answered.
QString schemaProblem(const SJournalPlace& place, const QString& sError) {
    if (sError.contains(QLatin1String("permission denied"), Qt::CaseInsensitive))
        return QStringLiteral("пользователю «%1» нельзя создавать таблицы в базе данных «%2»; "
                              "администратору сервера: GRANT CREATE ON SCHEMA public TO %1")
            .arg(place.sUser, place.sDatabase);
    return QStringLiteral("таблицы журнала не созданы: %1").arg(sError.trimmed());
}

// SQLite's codes of a file that is no database, or a damaged one.
bool isDamage(const QSqlError& error) {
    const QString sCode = error.nativeErrorCode();
    return sCode == QLatin1String("26") || sCode == QLatin1String("11");
}

// An existing journal file opened for reading and writing; never made anew.
QString existingFileUri(const QString& sFile) {
    return QUrl::fromLocalFile(sFile).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw");
}

QString idColumn(bool bServer) {
    return bServer ? QStringLiteral("SERIAL PRIMARY KEY")
                   : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
}

// The issues: written once, never changed but for the amendment that
// replaced one. A number of the year is issued once; a PDF is looked up by
// its fingerprint, a document by its place.
QStringList issuesDdl(bool bServer) {
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS issues (id %1, number TEXT NOT NULL, "
                           "year INTEGER NOT NULL, protocol_date TEXT NOT NULL, host TEXT NOT "
                           "NULL, path TEXT NOT NULL, issued TEXT NOT NULL, user_name TEXT NOT "
                           "NULL, workstation TEXT NOT NULL, pdf_sha256 TEXT NOT NULL, "
                           "rpt_sha256 TEXT NOT NULL, pdf_path TEXT NOT NULL, replaces_number "
                           "TEXT NOT NULL, replaces_date TEXT NOT NULL, replaced_by TEXT NOT "
                           "NULL)")
                .arg(idColumn(bServer)),
            QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS issues_number_year ON issues "
                           "(number, year)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS issues_pdf ON issues (pdf_sha256)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS issues_place ON issues (host, path)")};
}

// The tables of this version, on either engine.
QStringList schemaDdl(bool bServer) {
    const QString sId = idColumn(bServer);
    return QStringList{
               // one row: the version the tables are in
               QStringLiteral("CREATE TABLE IF NOT EXISTS journal_schema (id INTEGER PRIMARY KEY "
                              "CHECK (id = 1), version INTEGER NOT NULL)"),
               QStringLiteral("CREATE TABLE IF NOT EXISTS protocols (id %1, number TEXT, year "
                              "INTEGER NOT NULL, protocol_date TEXT NOT NULL, customer TEXT NOT "
                              "NULL, object TEXT NOT NULL, methods TEXT NOT NULL, path TEXT NOT "
                              "NULL, search TEXT NOT NULL, first_saved TEXT NOT NULL, saved TEXT "
                              "NOT NULL, user_name TEXT NOT NULL, host TEXT NOT NULL)")
                   .arg(sId),
               // one number per year, whatever workstation registers it
               QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS protocols_number_year ON "
                              "protocols (number, year)"),
               // newest first, and the filter looked for in the index alone: a rare
               // text typed into the filter reads no row it does not show
               QStringLiteral(
                   "CREATE INDEX IF NOT EXISTS protocols_saved ON protocols (saved, search)"),
               QStringLiteral(
                   "CREATE INDEX IF NOT EXISTS protocols_place ON protocols (host, path)")} +
           issuesDdl(bServer);
}
} // namespace

QString SProtocolPlace::describe() const {
    return QStringLiteral("«%1» на «%2»").arg(native(sPath), sHost);
}

SJournalPlace SJournalPlace::load() {
    const auto pSettings = openSettings();
    SJournalPlace place;
    place.bServer = pSettings->value(SettingsKey::sJournalServer, false).toBool();
    place.sHost = pSettings->value(SettingsKey::sJournalHost).toString();
    place.iPort = pSettings->value(SettingsKey::sJournalPort, 5432).toInt();
    place.sDatabase = pSettings->value(SettingsKey::sJournalDatabase).toString();
    place.sUser = pSettings->value(SettingsKey::sJournalUser).toString();
    return place;
}

void SJournalPlace::store() const {
    const auto pSettings = openSettings();
    pSettings->setValue(SettingsKey::sJournalServer, bServer);
    pSettings->setValue(SettingsKey::sJournalHost, sHost);
    pSettings->setValue(SettingsKey::sJournalPort, iPort);
    pSettings->setValue(SettingsKey::sJournalDatabase, sDatabase);
    pSettings->setValue(SettingsKey::sJournalUser, sUser);
}

CJournal::CJournal(const QString& sJournalFile, const QString& sQueueFile,
                   const SJournalPlace& place)
    : sJournalFile(sJournalFile), sQueueFile(sQueueFile), place(place),
      sJournalConnection(connectionName("file")), sServerConnection(connectionName("server")) {}

CJournal::~CJournal() {
    cancelRegistration();
    for (const QString& sName : {sJournalConnection, sServerConnection})
        closeConnection(sName);
    if (waitObserver)
        setLockObserver({});
}

void CJournal::setWaitObserver(std::function<void(const QString&)> observer) {
    waitObserver = std::move(observer);
    setLockObserver([this] { waitFor(sBusy); });
}

void CJournal::waitFor(const QString& sWhat) const {
    if (waitObserver)
        waitObserver(sWhat);
}

QString CJournal::fileIn(const QString& sReferenceDir) {
    return QDir(sReferenceDir).filePath(sFileName);
}

bool CJournal::isSame(const SJournalPlace& place, const QString& sFile, const SJournalPlace& other,
                      const QString& sOtherFile) {
    return place.bServer ? place == other
                         : !other.bServer && QFileInfo(sFile) == QFileInfo(sOtherFile);
}

QString CJournal::describe(const SJournalPlace& place, const QString& sJournalFile) {
    if (!place.bServer)
        return native(sJournalFile);
    return QStringLiteral("сервер %1, порт %2, база данных %3, пользователь %4")
        .arg(place.sHost)
        .arg(place.iPort)
        .arg(place.sDatabase, place.sUser);
}

bool CJournal::isWritableJournal() const {
    const QFileInfo info(sJournalFile);
    return info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
}

bool CJournal::failed(const QSqlQuery& query) {
    sProblem = failure(query.lastError());
    return false;
}

QString CJournal::failure(const QSqlError& error) const {
    if (isLockError(error))
        return sBusy;
    if (place.bServer) {
        if (error.type() == QSqlError::ConnectionError || isConnectionLost(error.text()))
            return serverProblem(place, error.text());
        if (error.text().contains(QLatin1String("permission denied"), Qt::CaseInsensitive))
            return QStringLiteral("пользователю «%1» нельзя изменять журнал в базе данных «%2»")
                .arg(place.sUser, place.sDatabase);
        return QStringLiteral("сервер «%1»: %2").arg(place.sHost, error.text().trimmed());
    }
    if (isDamage(error))
        return QStringLiteral("файл журнала «%1» поврежден и оставлен как есть (%2)")
            .arg(native(sJournalFile), error.databaseText().trimmed());
    const SWriteCause cause = SWriteCause::of(sJournalFile, error.text());
    if (cause.eKind != SWriteCause::EKind::None)
        return cause.text();
    if (error.text().contains(QLatin1String("readonly database"), Qt::CaseInsensitive)) {
        const QString sWhy = SWriteCause::of(sJournalFile).text();
        return sWhy.isEmpty() ? QStringLiteral("файл журнала «%1» доступен только для чтения")
                                    .arg(native(sJournalFile))
                              : sWhy;
    }
    if (error.nativeErrorCode() == QLatin1String("13")) // SQLITE_FULL
        return QStringLiteral("на диске с журналом «%1» нет места").arg(native(sJournalFile));
    return QStringLiteral("файл журнала «%1»: %2")
        .arg(native(sJournalFile), error.text().trimmed());
}

QString CJournal::fileProblem(bool* pCreate) const {
    const QFileInfo info(sJournalFile);
    *pCreate = !info.exists();
    if (*pCreate) {
        // a folder not there, or not to be written, or standing empty where
        // the laboratory's was, gets no journal of its own: the share may be
        // away, and come back with the laboratory's
        const QString sDir = info.absolutePath();
        if (!sQueueFile.isEmpty() &&
            CReferenceStore::standsEmpty(
                sDir, CReferenceStore::copyDirIn(QFileInfo(sQueueFile).absolutePath())))
            return QStringLiteral("папка «%1» %2").arg(native(sDir), CReferenceStore::emptiness());
        const SWriteCause cause = SWriteCause::of(sJournalFile);
        return cause.eKind == SWriteCause::EKind::None ? QString() : cause.text();
    }
    // a new journal is whole when it appears: an empty one was emptied,
    // and is what the laboratory restores its rows into
    if (info.size() == 0)
        return QStringLiteral("файл журнала «%1» пуст (0 байт) и оставлен как есть: "
                              "восстановите его из резервной копии")
            .arg(native(sJournalFile));
    return QString();
}

void CJournal::shareWithGroup(const QString& sFile) const {
    if (!isGroupWritable(QFileInfo(sJournalFile).absolutePath()))
        return;
    const QFileDevice::Permissions eShared =
        QFile::permissions(sFile) | QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    // only its owner may; the others' writes then name the owner
    if (QFile::permissions(sFile) != eShared && QFileInfo(sFile).ownerId() == geteuid())
        QFile::setPermissions(sFile, eShared);
}

QString CJournal::makeJournalFile() const {
    QTemporaryFile made(QFileInfo(sJournalFile).absolutePath() +
                        QStringLiteral("/.journal-XXXXXX.sqlite"));
    if (!made.open()) {
        const QString sWhy = SWriteCause::of(sJournalFile, made.errorString()).text();
        return sWhy.isEmpty() ? made.errorString() : sWhy;
    }
    const QString sMade = made.fileName();
    made.close();
    QString sProblem;
    {
        CJournal fresh(sMade, QString(), place);
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), fresh.sJournalConnection);
        db.setDatabaseName(sMade);
        db.setConnectOptions(sqliteOptions());
        if (!db.open() || !fresh.ensureSchema(db, true))
            sProblem = fresh.sProblem.isEmpty() ? db.lastError().text().trimmed() : fresh.sProblem;
    }
    QFile::setPermissions(sMade, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ReadGroup | QFileDevice::ReadOther);
    shareWithGroup(sMade);
    // a journal another workstation made meanwhile stays: this one goes
    if (!sProblem.isEmpty() || !QFile::rename(sMade, sJournalFile))
        QFile::remove(sMade);
    return sProblem;
}

QSqlDatabase CJournal::journalFileDatabase() {
    QSqlDatabase db =
        QSqlDatabase::contains(sJournalConnection)
            ? QSqlDatabase::database(sJournalConnection, false)
            : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sJournalConnection);
    // a share taken away, or a file emptied, since it was opened; one that
    // could only be read then is opened again once it can be written
    if (db.isOpen() && QFileInfo(sJournalFile).size() > 0 &&
        !(bOpenedReadOnly && isWritableJournal()))
        return db;
    db.close();
    bool bCreate = false;
    sProblem = fileProblem(&bCreate);
    if (!sProblem.isEmpty())
        return QSqlDatabase();
    if (bCreate && !(sProblem = makeJournalFile()).isEmpty())
        return QSqlDatabase();
    db.setDatabaseName(existingFileUri(sJournalFile));
    db.setConnectOptions(sqliteOptions(true));
    if (!db.open() || !ensureSchema(db, false)) {
        if (sProblem.isEmpty())
            sProblem = failure(db.lastError());
        db.close();
        return QSqlDatabase();
    }
    shareWithGroup(sJournalFile);
    bOpenedReadOnly = !isWritableJournal(); // SQLite opens such a file to be read only
    sProblem.clear();
    return db;
}

int CJournal::serverSocket(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    // Qt names the type as libpq declares its struct
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return -1;
    PGconn* pConnection = *static_cast<PGconn* const*>(handle.constData());
    return pConnection ? PQsocket(pConnection) : -1;
}

void CJournal::setSocketObserver(std::function<void(int)> observer) {
    socketObserver = std::move(observer);
}

QSqlDatabase CJournal::serverDatabase() {
    QSqlDatabase db = QSqlDatabase::contains(sServerConnection)
                          ? QSqlDatabase::database(sServerConnection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), sServerConnection);
    if (db.isOpen()) {
        QSqlQuery probe(db); // a server that went away since is opened again
        if (probe.exec(QStringLiteral("SELECT 1")))
            return db;
        db.close();
    }
    if (unanswered.isValid() && !unanswered.hasExpired(iRetryAfterMs))
        return QSqlDatabase();
    if (!db.isValid()) {
        sProblem = QStringLiteral("нет драйвера PostgreSQL (пакет libqt6sql6-psql)");
        return QSqlDatabase();
    }
    db.setHostName(place.sHost);
    db.setPort(place.iPort);
    db.setDatabaseName(place.sDatabase);
    db.setUserName(place.sUser);
    // a server gone from the network is given up within seconds, not when
    // the system's own TCP timers end, a quarter of an hour later
    db.setConnectOptions(QStringLiteral("connect_timeout=%1;keepalives_idle=5;"
                                        "keepalives_interval=2;keepalives_count=3;"
                                        "tcp_user_timeout=10000")
                             .arg(g_iConnectSeconds));
    waitFor(QStringLiteral("сервер «%1» не отвечает").arg(place.sHost));
    sProblem.clear();
    const bool bOpened = db.open();
    waitFor(QString());
    if (bOpened) {
        // a row another workstation holds is waited for as a lock is on a file
        QSqlQuery query(db);
        run(query, QStringLiteral("SET lock_timeout = %1").arg(iBusyStepMs));
        if (socketObserver)
            socketObserver(serverSocket(db));
    }
    if (!bOpened || !ensureSchema(db, false)) {
        if (!bOpened)
            sProblem = serverProblem(place, db.lastError().text());
        db.close();
        unanswered.start();
        return QSqlDatabase();
    }
    unanswered.invalidate();
    return db;
}

QSqlDatabase CJournal::database() {
    return place.bServer ? serverDatabase() : journalFileDatabase();
}

QString CJournal::connectionProblem(const SJournalPlace& place) {
    CJournal journal(QString(), QString(), place);
    return journal.database().isValid() ? QString() : journal.problem();
}

bool CJournal::ensureSchema(QSqlDatabase& db, bool bNew) {
    const bool bServer = db.driverName() == QStringLiteral("QPSQL");
    QSqlQuery query(db);
    const auto versionIn = [&](int* pVersion) {
        if (!run(query, QStringLiteral("SELECT version FROM journal_schema")) || !query.next())
            return false;
        *pVersion = query.value(0).toInt();
        return true;
    };
    int iVersion = 0;
    if (!versionIn(&iVersion)) {
        if (isLockError(query.lastError()))
            return failed(query);
        // a file that holds no journal is somebody's: it is not made one
        const bool bJournal =
            bServer || bNew || run(query, QStringLiteral("SELECT id FROM protocols LIMIT 1"));
        if (!bJournal) {
            sProblem = isDamage(query.lastError()) || isLockError(query.lastError())
                           ? failure(query.lastError())
                           : QStringLiteral("файл «%1» не является журналом протоколов и "
                                            "оставлен как есть")
                                 .arg(native(sJournalFile));
            return false;
        }
        for (const QString& sDdl : schemaDdl(bServer)) {
            // two workstations creating it at once: the second finds it made
            if (!run(query, sDdl) && !run(query, sDdl)) {
                sProblem = bServer ? schemaProblem(place, query.lastError().text())
                                   : failure(query.lastError());
                return false;
            }
        }
        // the first to come writes the version; the others' insert is refused
        run(query, QStringLiteral("INSERT INTO journal_schema (id, version) VALUES (1, ?)"),
            {g_iSchemaVersion});
        if (!versionIn(&iVersion))
            return failed(query);
    }
    if (iVersion > g_iSchemaVersion) {
        // a journal a later version made is not written by this one
        sProblem = QStringLiteral("журнал создан более новой версией программы");
        return false;
    }
    // a journal this workstation may not change is read as it is; no
    // statement may be open while its indexes change
    query.finish();
    // one that stays of an earlier version has no issues to read
    bIssueTable = iVersion >= 3 || migrate(db, iVersion);
    return true;
}

bool CJournal::migrate(QSqlDatabase& db, int iVersion) {
    QSqlQuery query(db);
    const bool bSqlite = db.driverName() == QStringLiteral("QSQLITE");
    if (!run(query, bSqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN")))
        return failed(query);
    // another workstation may have brought it up meanwhile
    bool bDone = run(query, QStringLiteral("SELECT version FROM journal_schema")) && query.next();
    if (bDone && query.value(0).toInt() >= g_iSchemaVersion) {
        run(query, QStringLiteral("ROLLBACK"));
        return true;
    }
    bDone = bDone && query.value(0).toInt() == iVersion;
    if (bDone && iVersion < 2)
        bDone = run(query, QStringLiteral("CREATE INDEX IF NOT EXISTS protocols_place ON "
                                          "protocols (host, path)")) &&
                run(query, QStringLiteral("DROP INDEX IF EXISTS protocols_path"));
    for (const QString& sDdl : issuesDdl(!bSqlite)) {
        if (bDone && iVersion < 3)
            bDone = run(query, sDdl);
    }
    bDone =
        bDone &&
        run(query, QStringLiteral("UPDATE journal_schema SET version = ?"), {g_iSchemaVersion}) &&
        run(query, QStringLiteral("COMMIT"));
    if (!bDone) {
        failed(query);
        run(query, QStringLiteral("ROLLBACK"));
    }
    return bDone;
}

SProtocolPlace CJournal::holderOf(const QString& sNumber, int iYear, const SProtocolPlace& at) {
    if (sNumber.isEmpty())
        return SProtocolPlace();
    QSqlDatabase db = database();
    if (db.isValid()) {
        QSqlQuery query(db);
        if (run(query,
                QStringLiteral("SELECT host, path FROM protocols WHERE number = ? AND year = ?"),
                {sNumber, iYear}) &&
            query.next()) {
            const SProtocolPlace holder{query.value(0).toString(), query.value(1).toString()};
            return holder == at ? SProtocolPlace() : holder;
        }
    }
    // a number this workstation's queue is about to register
    if (sQueueFile.isEmpty() || !QFileInfo::exists(sQueueFile))
        return SProtocolPlace();
    return CJournalQueue(sQueueFile).holderOf(sNumber, iYear, at);
}

bool CJournal::entryOf(const SProtocolPlace& at, SJournalEntry* pEntry) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return false;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("SELECT %1 FROM protocols WHERE host = ? AND path = ?")
                 .arg(sEntryColumns),
             {text(at.sHost), text(at.sPath)}) ||
        !query.next())
        return false;
    *pEntry = JournalRows::entryOf(query);
    return true;
}

CJournal::EResult CJournal::beginRegistration(const SJournalEntry& entry, bool bTakeOver,
                                              SProtocolPlace* pHolder) {
    cancelRegistration();
    // the rows saved before go first
    flushQueue(&lstRefused);
    pending = {EPending::Queued, QString(), entry, bTakeOver, SProtocolPlace()};
    QSqlDatabase db = database();
    if (!db.isValid())
        return EResult::Queued;
    SProtocolPlace holder;
    const EResult eResult = registerIn(db, entry, bTakeOver, &holder, false);
    if (eResult == EResult::Duplicate) {
        pending.eState = EPending::Duplicate;
        pending.holder = holder;
        if (pHolder)
            *pHolder = holder;
    } else if (eResult == EResult::Registered) {
        pending.eState = EPending::Held;
        pending.sConnection = db.connectionName();
    }
    return eResult;
}

bool CJournal::enqueue(const SPending& done) {
    CJournalQueue queue(sQueueFile);
    if (!queue.add(done.entry, done.bTakeOver, done.holder)) {
        sProblem = queue.problem();
        return false;
    }
    // a number nobody was asked about is told as a refusal is
    if (!done.holder.isEmpty())
        lstRefused.append({done.entry, done.bTakeOver, done.holder});
    return true;
}

CJournal::EResult CJournal::commitRegistration() {
    const SPending done = std::exchange(pending, SPending());
    if (done.eState == EPending::None)
        return EResult::Registered;
    if (done.eState == EPending::Held) {
        QSqlQuery query(QSqlDatabase::database(done.sConnection, false));
        if (run(query, QStringLiteral("COMMIT"))) {
            if (!sQueueFile.isEmpty())
                CJournalQueue(sQueueFile).forget(done.entry);
            sProblem.clear();
            return EResult::Registered;
        }
        // the journal went away between: the row waits
        failed(query);
        run(query, QStringLiteral("ROLLBACK"));
    }
    return enqueue(done) ? EResult::Queued : EResult::Failed;
}

void CJournal::cancelRegistration() {
    if (pending.eState == EPending::Held) {
        QSqlQuery query(QSqlDatabase::database(pending.sConnection, false));
        run(query, QStringLiteral("ROLLBACK"));
    }
    pending = SPending();
}

CJournal::EResult CJournal::registerIn(QSqlDatabase& db, const SJournalEntry& entry, bool bTakeOver,
                                       SProtocolPlace* pHolder, bool bCommit) {
    QSqlQuery query(db);
    // SQLite takes the write lock at once: two programs reading "free" and
    // then both writing would leave one with neither answer
    const bool bSqlite = db.driverName() == QStringLiteral("QSQLITE");
    if (!run(query, bSqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"))) {
        failed(query);
        return EResult::Queued;
    }
    auto rollback = [&] { run(query, QStringLiteral("ROLLBACK")); };
    auto fail = [&] {
        failed(query);
        rollback();
        if (sProblem == sBusy)
            return EResult::Queued;
        // another workstation registered the number meanwhile: the unique index said no
        const SProtocolPlace holder = holderOf(entry.sNumber, entry.year(), entry.place());
        if (holder.isEmpty())
            return EResult::Queued;
        *pHolder = holder;
        return EResult::Duplicate;
    };
    switch (writeRow(query, entry, bTakeOver, pHolder)) {
    case ERow::Newer:
        rollback();
        return EResult::Registered;
    case ERow::Duplicate:
        rollback();
        return EResult::Duplicate;
    case ERow::Failed:
        return fail();
    case ERow::Written:
        break;
    }
    if (bCommit && !run(query, QStringLiteral("COMMIT")))
        return fail();
    return EResult::Registered;
}

CJournal::ERow CJournal::writeRow(QSqlQuery& query, const SJournalEntry& entry, bool bTakeOver,
                                  SProtocolPlace* pHolder) {
    if (!run(query, QStringLiteral("SELECT id, saved FROM protocols WHERE host = ? AND path = ?"),
             {text(entry.sHost), text(entry.sPath)}))
        return ERow::Failed;
    const bool bPlaceKnown = query.next();
    const QVariant idOfPlace = bPlaceKnown ? query.value(0) : QVariant();
    // a row sent late never undoes a newer save of its place
    if (bPlaceKnown && query.value(1).toString() > entry.dtSaved.toString(sTimeFormat))
        return ERow::Newer;
    if (!run(query,
             QStringLiteral("SELECT id, host, path FROM protocols WHERE number = ? AND year = ?"),
             {entry.sNumber.isEmpty() ? QVariant() : QVariant(entry.sNumber), entry.year()}))
        return ERow::Failed;
    QVariant idOfNumber;
    if (query.next()) {
        idOfNumber = query.value(0);
        const SProtocolPlace holder{query.value(1).toString(), query.value(2).toString()};
        if (holder != entry.place() && !bTakeOver) {
            *pHolder = holder;
            return ERow::Duplicate;
        }
    }
    const QString sSet = QStringLiteral(
        "UPDATE protocols SET number = ?, year = ?, protocol_date = ?, customer = ?, object = ?, "
        "methods = ?, path = ?, search = ?, saved = ?, user_name = ?, host = ? WHERE id = ?");
    bool bDone = false;
    if (idOfNumber.isValid()) {
        // the row of the number follows the file; the place's other row goes
        bDone = run(query, sSet, rowValues(entry) << idOfNumber) &&
                (!idOfPlace.isValid() || idOfPlace == idOfNumber ||
                 run(query, QStringLiteral("DELETE FROM protocols WHERE id = ?"), {idOfPlace}));
    } else if (idOfPlace.isValid()) {
        bDone = run(query, sSet, rowValues(entry) << idOfPlace);
    } else {
        bDone = run(query,
                    QStringLiteral("INSERT INTO protocols (%1, first_saved) VALUES (%2)")
                        .arg(sValueColumns, placeholders(12)),
                    rowValues(entry) << text(entry.dtSaved.toString(sTimeFormat)));
    }
    return bDone ? ERow::Written : ERow::Failed;
}

int CJournal::flushQueue(QList<SQueuedEntry>* pRefused) {
    if (sQueueFile.isEmpty() || (!QFileInfo::exists(sQueueFile) && !place.bServer))
        return 0;
    CJournalQueue queue(sQueueFile);
    if (place.bServer)
        queue.takeOver(sJournalFile, QSysInfo::machineHostName());
    const auto lstWaiting = queue.waiting();
    if (lstWaiting.isEmpty())
        return 0;
    QSqlDatabase db = database();
    if (!db.isValid())
        return int(lstWaiting.size());
    for (int i = 0; i < lstWaiting.size(); ++i) {
        const auto& [iId, waiting] = lstWaiting[i];
        SProtocolPlace holder;
        const EResult eResult = registerIn(db, waiting.entry, waiting.bTakeOver, &holder, true);
        if (eResult == EResult::Queued)
            return int(lstWaiting.size()) - i; // the journal went away: the rest wait too
        if (eResult == EResult::Registered) {
            queue.remove(iId);
        } else if (queue.markRefused(iId, holder) && pRefused) {
            // a number another place took meanwhile cannot wait for its turn:
            // the row stays, and the workstation that saved it is told
            SQueuedEntry refused = waiting;
            refused.refusedFor = holder;
            pRefused->append(refused);
        }
    }
    sProblem.clear();
    return 0;
}

QList<SQueuedEntry> CJournal::takeRefused() {
    return std::exchange(lstRefused, {});
}

QList<SQueuedEntry> CJournal::queuedRows() {
    if (!QFileInfo::exists(sQueueFile))
        return {};
    return CJournalQueue(sQueueFile).rows();
}

int CJournal::waitingCount() {
    return QFileInfo::exists(sQueueFile) ? int(CJournalQueue(sQueueFile).waiting().size()) : 0;
}

int CJournal::copyRowsFrom(CJournal& source, QStringList* pSkipped, bool bCount) {
    QSqlDatabase from = source.database();
    QSqlDatabase to = database();
    if (!from.isValid() || !to.isValid())
        return -1;
    const QString sColumns = sValueColumns + QStringLiteral(", first_saved");
    constexpr int iNumber = 0, iYear = 1, iPath = 6, iSaved = 8, iHost = 10, iColumns = 12;
    QSqlQuery rows(from);
    rows.setForwardOnly(true);
    if (!run(rows, QStringLiteral("SELECT %1 FROM protocols ORDER BY id").arg(sColumns)))
        return -1;
    QSqlQuery query(to);
    if (!bCount && !run(query, QStringLiteral("BEGIN")))
        return -1;
    int iCarried = 0;
    bool bFailed = false;
    while (rows.next()) {
        QVariantList lstValues;
        for (int i = 0; i < iColumns; ++i)
            lstValues << rows.value(i);
        const SProtocolPlace at{rows.value(iHost).toString(), rows.value(iPath).toString()};
        // the place's row here, and the place that holds the number here
        if (!run(query,
                 QStringLiteral("SELECT id, saved FROM protocols WHERE host = ? AND path = ?"),
                 {text(at.sHost), text(at.sPath)})) {
            bFailed = true;
            break;
        }
        const bool bHere = query.next();
        const QVariant idHere = bHere ? query.value(0) : QVariant();
        const bool bNewer = !bHere || rows.value(iSaved).toString() > query.value(1).toString();
        if (!bNewer)
            continue; // this journal knows the file as well already
        if (!run(query,
                 QStringLiteral("SELECT host, path FROM protocols WHERE number = ? AND year = ?"),
                 {lstValues[iNumber], lstValues[iYear]})) {
            bFailed = true;
            break;
        }
        if (query.next() &&
            SProtocolPlace{query.value(0).toString(), query.value(1).toString()} != at) {
            // a number this journal holds for another place stays that place's
            if (pSkipped)
                pSkipped->append(
                    QStringLiteral("%1 (%2)").arg(rows.value(iNumber).toString(), at.sPath));
            continue;
        }
        ++iCarried;
        if (bCount)
            continue;
        // a newer save of the file: its row follows, registered as it was here
        bFailed = !(bHere ? run(query,
                                QStringLiteral("UPDATE protocols SET number = ?, year = ?, "
                                               "protocol_date = ?, customer = ?, object = ?, "
                                               "methods = ?, path = ?, search = ?, saved = ?, "
                                               "user_name = ?, host = ? WHERE id = ?"),
                                lstValues.mid(0, iColumns - 1) << idHere)
                          : run(query,
                                QStringLiteral("INSERT INTO protocols (%1) VALUES (%2)")
                                    .arg(sColumns, placeholders(iColumns)),
                                lstValues));
        if (bFailed)
            break;
    }
    // rows that stopped on an error are no end of the journal
    if (rows.lastError().isValid())
        bFailed = true;
    // the issues go with the rows: a protocol issued stays issued
    if (!bFailed && source.bIssueTable && bIssueTable &&
        !copyIssuesFrom(from, query, pSkipped, bCount, &iCarried)) {
        if (!bCount)
            run(query, QStringLiteral("ROLLBACK"));
        return -1;
    }
    if (!bFailed && (bCount || run(query, QStringLiteral("COMMIT"))))
        return iCarried;
    sProblem = failure(rows.lastError().isValid() ? rows.lastError() : query.lastError());
    if (!bCount)
        run(query, QStringLiteral("ROLLBACK"));
    return -1;
}

QString CJournal::nextInPattern(const QString& sNumber, int iYear) {
    static const QRegularExpression reDigits(QStringLiteral("\\d+"));
    QList<QRegularExpressionMatch> lstRuns;
    for (auto it = reDigits.globalMatch(sNumber); it.hasNext();)
        lstRuns.append(it.next());
    // one run is the year, when another is left to count: the full year
    // wherever it is, else the last "26" ("26/26" counts its first 26)
    const QString sFull = QString::number(iYear);
    const QString sShort = QString::number(iYear % 100).rightJustified(2, QLatin1Char('0'));
    int iYearRun = -1;
    for (int i = 0; i < lstRuns.size() && lstRuns.size() > 1 && iYearRun < 0; ++i)
        iYearRun = lstRuns[i].captured() == sFull ? i : -1;
    for (int i = int(lstRuns.size()) - 1; i >= 0 && lstRuns.size() > 1 && iYearRun < 0; --i)
        iYearRun = lstRuns[i].captured() == sShort ? i : -1;
    for (int i = int(lstRuns.size()) - 1; i >= 0; --i) {
        if (i == iYearRun)
            continue;
        const QString sRun = lstRuns[i].captured();
        const QString sNext =
            QString::number(sRun.toLongLong() + 1).rightJustified(sRun.size(), QLatin1Char('0'));
        return QString(sNumber).replace(lstRuns[i].capturedStart(), sRun.size(), sNext);
    }
    return QString();
}

SNextNumber CJournal::nextNumber(int iYear) {
    const auto none = [](const QString& sWhy) { return SNextNumber{QString(), sWhy}; };
    const auto unreachable = [&] {
        return SNextNumber{QString(), QStringLiteral("журнал недоступен (%1)").arg(sProblem), true};
    };
    QSqlDatabase db = database();
    if (!db.isValid())
        return unreachable();
    QSqlQuery query(db);
    const auto readFailed = [&] {
        failed(query);
        return unreachable();
    };
    // the latest number of the year that is no amendment sets the pattern
    QString sLatest;
    for (int iOffset = 0; sLatest.isEmpty(); iOffset += g_iLatestBatch) {
        if (!run(query,
                 QStringLiteral("SELECT number FROM protocols WHERE year = ? AND number IS NOT "
                                "NULL ORDER BY first_saved DESC, id DESC LIMIT %1 OFFSET %2")
                     .arg(g_iLatestBatch)
                     .arg(iOffset),
                 {iYear}))
            return readFailed();
        QStringList lstBatch;
        while (query.next())
            lstBatch << query.value(0).toString();
        for (int i = 0; i < lstBatch.size() && sLatest.isEmpty(); ++i) {
            bool bFailed = false;
            const bool bAmendment = isAmendment(query, lstBatch[i], &bFailed);
            if (bFailed)
                return readFailed();
            if (!bAmendment)
                sLatest = lstBatch[i];
        }
        if (lstBatch.size() < g_iLatestBatch)
            break;
    }
    if (sLatest.isEmpty())
        return none(QStringLiteral("в журнале нет протоколов %1 года").arg(iYear));
    QString sNext = nextInPattern(sLatest, iYear);
    if (sNext.isEmpty())
        return none(QStringLiteral("в номере «%1» нет цифр").arg(sLatest));
    // the next free one, and none this workstation is about to register
    const QStringList lstQueued =
        QFileInfo::exists(sQueueFile) ? CJournalQueue(sQueueFile).numbersOf(iYear) : QStringList();
    for (int i = 0; i < 1000 && !sNext.isEmpty(); ++i) {
        if (!run(query, QStringLiteral("SELECT id FROM protocols WHERE number = ? AND year = ?"),
                 {sNext, iYear}))
            return readFailed();
        if (!query.next() && !lstQueued.contains(sNext))
            return {sNext, QString()};
        sNext = nextInPattern(sNext, iYear);
    }
    return none(QStringLiteral("свободный номер после «%1» не найден").arg(sLatest));
}

bool CJournal::readRows(const SJournalFilter& filter, int iOffset, int iLimit,
                        QList<SJournalRow>& lstOut) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return false;
    // a journal left of an earlier version has issued nothing
    const bool bIssues = bIssueTable;
    if (!bIssues && filter.state && *filter.state != EProtocolState::Draft)
        return true;
    QString sSql =
        bIssues ? QStringLiteral("SELECT %1, i.id, i.replaces_number, i.replaces_date, "
                                 "i.replaced_by FROM protocols p LEFT JOIN issues i ON i.number "
                                 "= p.number AND i.year = p.year")
                : QStringLiteral("SELECT %1 FROM protocols p");
    sSql = sSql.arg(qualified(sEntryColumns, QStringLiteral("p"))) +
           QStringLiteral(" WHERE p.search LIKE ? ESCAPE '\\'");
    QVariantList lstValues = {QLatin1Char('%') + likeLiteral(searchText(filter.sText)) +
                              QLatin1Char('%')};
    if (filter.dtFrom.isValid()) {
        sSql += QStringLiteral(" AND p.protocol_date >= ?");
        lstValues << filter.dtFrom.toString(sDateFormat);
    }
    if (filter.dtTo.isValid()) {
        sSql += QStringLiteral(" AND p.protocol_date <= ?");
        lstValues << filter.dtTo.toString(sDateFormat);
    }
    if (bIssues && filter.state)
        sSql += stateCondition(*filter.state);
    sSql += QStringLiteral(" ORDER BY p.saved DESC, p.id DESC");
    if (iLimit > 0)
        sSql += QStringLiteral(" LIMIT %1 OFFSET %2").arg(iLimit).arg(iOffset);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, sSql, lstValues))
        return failed(query);
    while (query.next()) {
        SJournalRow row;
        row.entry = JournalRows::entryOf(query);
        if (bIssues && !query.isNull(iEntryColumns)) {
            row.sReplaces = query.value(iEntryColumns + 1).toString();
            row.dtReplaces =
                QDate::fromString(query.value(iEntryColumns + 2).toString(), sDateFormat);
            row.sReplacedBy = query.value(iEntryColumns + 3).toString();
            row.eState =
                row.sReplacedBy.isEmpty() ? EProtocolState::Issued : EProtocolState::Replaced;
        }
        lstOut.append(row);
    }
    // rows that stopped on an error are no end of the journal
    if (query.lastError().isValid())
        return failed(query);
    return true;
}

QString CJournal::searchText(const QString& sText) {
    return sText.toLower();
}
