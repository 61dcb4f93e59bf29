#include "storage/journal.h"

#include "base/settings.h"
#include "storage/journalqueue.h"
#include "storage/journalrows.h"
#include "storage/settingskeys.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUuid>
#include <QVariant>

#include <utility>

using namespace JournalRows;

namespace {
constexpr int g_iSchemaVersion = 1;
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
        says("authentication failed"))
        return QStringLiteral("пароль пользователя «%1» не принят: запишите его в файл "
                              "~/.pgpass строкой «%2:%3:%4:%1:пароль» (права 0600) или в "
                              "переменную PGPASSWORD")
            .arg(place.sUser, place.sHost)
            .arg(place.iPort)
            .arg(place.sDatabase);
    if (says("does not exist") && says("database"))
        return QStringLiteral("базы данных «%1» нет на сервере").arg(place.sDatabase);
    // (a PostgreSQL server that restarts closes the connection: not one of these)
    if (says("invalid response to SSL negotiation") || says("received invalid response") ||
        says("expected authentication request"))
        return QStringLiteral("на порту %2 сервера «%1» отвечает не PostgreSQL")
            .arg(place.sHost)
            .arg(place.iPort);
    // the driver's words, not asked for in the user's
    return QStringLiteral("сервер «%1» не принял соединение (%2)")
        .arg(place.sHost, sError.trimmed());
}

// Why the journal's tables could not be made on a server that answered.
QString schemaProblem(const SJournalPlace& place, const QString& sError) {
    if (sError.contains(QLatin1String("permission denied"), Qt::CaseInsensitive))
        return QStringLiteral("пользователю «%1» нельзя создавать таблицы в базе данных «%2»; "
                              "администратору сервера: GRANT CREATE ON SCHEMA public TO %1")
            .arg(place.sUser, place.sDatabase);
    return QStringLiteral("таблицы журнала не созданы: %1")
        .arg(sError.isEmpty() ? QStringLiteral("журнал создан более новой версией программы")
                              : sError);
}

} // namespace

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
}

QString CJournal::fileIn(const QString& sReferenceDir) {
    return QDir(sReferenceDir).filePath(QStringLiteral("journal.sqlite"));
}

bool CJournal::isSameAs(const CJournal& other) const {
    return place.bServer
               ? place == other.place
               : !other.place.bServer && QFileInfo(sJournalFile) == QFileInfo(other.sJournalFile);
}

QString CJournal::describe(const SJournalPlace& place, const QString& sJournalFile) {
    if (!place.bServer)
        return QDir::toNativeSeparators(sJournalFile);
    return QStringLiteral("сервер %1, порт %2, база данных %3, пользователь %4")
        .arg(place.sHost)
        .arg(place.iPort)
        .arg(place.sDatabase, place.sUser);
}

QSqlDatabase CJournal::journalFileDatabase() {
    QSqlDatabase db =
        QSqlDatabase::contains(sJournalConnection)
            ? QSqlDatabase::database(sJournalConnection, false)
            : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sJournalConnection);
    if (db.isOpen())
        return db;
    db.setDatabaseName(sJournalFile);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open() || !ensureSchema(db)) {
        const QString sWhy =
            db.isOpen() ? schemaProblem(place, sSchemaError) : db.lastError().text();
        sProblem = QStringLiteral("файл журнала «%1» не открывается: %2")
                       .arg(QDir::toNativeSeparators(sJournalFile), sWhy);
        db.close();
        return QSqlDatabase();
    }
    return db;
}

QSqlDatabase CJournal::database() {
    if (!place.bServer)
        return journalFileDatabase();
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
    db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(g_iConnectSeconds));
    const bool bOpened = db.open();
    if (!bOpened || !ensureSchema(db)) {
        sProblem = bOpened ? schemaProblem(place, sSchemaError)
                           : serverProblem(place, db.lastError().text());
        db.close();
        unanswered.start();
        return QSqlDatabase();
    }
    unanswered.invalidate();
    sProblem.clear();
    return db;
}

QString CJournal::connectionProblem(const SJournalPlace& place) {
    CJournal journal(QString(), QString(), place);
    return journal.database().isValid() ? QString() : journal.problem();
}

bool CJournal::ensureSchema(QSqlDatabase& db) {
    const bool bServer = db.driverName() == QStringLiteral("QPSQL");
    const QString sId = bServer ? QStringLiteral("SERIAL PRIMARY KEY")
                                : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    sSchemaError.clear();
    QSqlQuery query(db);
    auto versionFits = [&query] {
        // a journal a later version made is not written by this one
        return query.value(0).toInt() <= g_iSchemaVersion;
    };
    if (run(query, QStringLiteral("SELECT version FROM journal_schema")) && query.next())
        return versionFits();
    const QStringList lstDdl = {
        // one row: the version the tables are in
        QStringLiteral("CREATE TABLE IF NOT EXISTS journal_schema (id INTEGER PRIMARY KEY CHECK "
                       "(id = 1), version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS protocols (id %1, number TEXT, year "
                       "INTEGER NOT NULL, protocol_date TEXT NOT NULL, customer TEXT NOT NULL, "
                       "object TEXT NOT NULL, methods TEXT NOT NULL, path TEXT NOT NULL, search "
                       "TEXT NOT NULL, first_saved TEXT NOT NULL, saved TEXT NOT NULL, user_name "
                       "TEXT NOT NULL, host TEXT NOT NULL)")
            .arg(sId),
        // one number per year, whatever workstation registers it
        QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS protocols_number_year ON protocols "
                       "(number, year)"),
        // newest first, and the filter looked for in the index alone: a rare
        // text typed into the filter reads no row it does not show
        QStringLiteral("CREATE INDEX IF NOT EXISTS protocols_saved ON protocols (saved, search)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS protocols_path ON protocols (path)")};
    for (const QString& sDdl : lstDdl) {
        // two workstations creating it at once: the second finds it made
        if (!run(query, sDdl) && !run(query, sDdl)) {
            sSchemaError = query.lastError().text().trimmed();
            return false;
        }
    }
    // the first to come writes the version; the others' insert is refused
    run(query, QStringLiteral("INSERT INTO journal_schema (id, version) VALUES (1, ?)"),
        {g_iSchemaVersion});
    if (!run(query, QStringLiteral("SELECT version FROM journal_schema")) || !query.next()) {
        sSchemaError = query.lastError().text().trimmed();
        return false;
    }
    return versionFits();
}

QString CJournal::registeredElsewhere(const QString& sNumber, int iYear, const QString& sPath) {
    if (sNumber.isEmpty())
        return QString();
    QSqlDatabase db = database();
    if (!db.isValid())
        return QString();
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT path FROM protocols WHERE number = ? AND year = ?"),
             {sNumber, iYear}) ||
        !query.next())
        return QString();
    const QString sRegistered = query.value(0).toString();
    return sRegistered == sPath ? QString() : sRegistered;
}

bool CJournal::entryOf(const QString& sPath, SJournalEntry* pEntry) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return false;
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT %1 FROM protocols WHERE path = ?").arg(sEntryColumns),
             {sPath}) ||
        !query.next())
        return false;
    *pEntry = JournalRows::entryOf(query);
    return true;
}

CJournal::EResult CJournal::beginRegistration(const SJournalEntry& entry, bool bTakeOver,
                                              QString* pRegistered) {
    cancelRegistration();
    flushQueue(&lstRefused);
    QSqlDatabase db = database();
    if (db.isValid()) {
        const EResult eResult = registerIn(db, entry, bTakeOver, pRegistered, false);
        if (eResult == EResult::Duplicate)
            return eResult;
        if (eResult == EResult::Registered) {
            pending = {true, false, db.connectionName(), entry, bTakeOver};
            return eResult;
        }
    }
    pending = {true, true, QString(), entry, bTakeOver};
    return EResult::Queued;
}

CJournal::EResult CJournal::commitRegistration() {
    if (!pending.bActive)
        return EResult::Registered;
    const SPending done = pending;
    pending = SPending();
    CJournalQueue queue(sQueueFile);
    if (!done.bQueued) {
        QSqlQuery query(QSqlDatabase::database(done.sConnection, false));
        if (run(query, QStringLiteral("COMMIT"))) {
            queue.forget(done.entry.sPath);
            return EResult::Registered;
        }
        // the journal went away between: the row waits
        run(query, QStringLiteral("ROLLBACK"));
    }
    if (queue.add(done.entry, done.bTakeOver))
        return EResult::Queued;
    sProblem = queue.problem();
    return EResult::Failed;
}

void CJournal::cancelRegistration() {
    if (pending.bActive && !pending.bQueued) {
        QSqlQuery query(QSqlDatabase::database(pending.sConnection, false));
        run(query, QStringLiteral("ROLLBACK"));
    }
    pending = SPending();
}

CJournal::EResult CJournal::registerProtocol(const SJournalEntry& entry, bool bTakeOver,
                                             QString* pRegistered) {
    const EResult eResult = beginRegistration(entry, bTakeOver, pRegistered);
    return eResult == EResult::Duplicate ? eResult : commitRegistration();
}

CJournal::EResult CJournal::registerIn(QSqlDatabase& db, const SJournalEntry& entry, bool bTakeOver,
                                       QString* pRegistered, bool bCommit) {
    QSqlQuery query(db);
    // SQLite takes the write lock at once: two programs reading "free" and
    // then both writing would leave one with neither answer
    const bool bSqlite = db.driverName() == QStringLiteral("QSQLITE");
    if (!run(query, bSqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN")))
        return EResult::Queued;
    auto rollback = [&]() { run(query, QStringLiteral("ROLLBACK")); };
    auto fail = [&]() {
        rollback();
        // another workstation registered the number meanwhile: the unique index said no
        const QString sOther = registeredElsewhere(entry.sNumber, entry.year(), entry.sPath);
        if (sOther.isEmpty())
            return EResult::Queued;
        if (pRegistered)
            *pRegistered = sOther;
        return EResult::Duplicate;
    };
    if (!run(query, QStringLiteral("SELECT id FROM protocols WHERE path = ?"), {entry.sPath}))
        return fail();
    const QVariant idOfPath = query.next() ? query.value(0) : QVariant();
    if (!run(query, QStringLiteral("SELECT id, path FROM protocols WHERE number = ? AND year = ?"),
             {entry.sNumber.isEmpty() ? QVariant() : QVariant(entry.sNumber), entry.year()}))
        return fail();
    QVariant idOfNumber;
    if (query.next()) {
        idOfNumber = query.value(0);
        if (query.value(1).toString() != entry.sPath && !bTakeOver) {
            const QString sOther = query.value(1).toString();
            rollback();
            if (pRegistered)
                *pRegistered = sOther;
            return EResult::Duplicate;
        }
    }
    const QString sSet = QStringLiteral(
        "UPDATE protocols SET number = ?, year = ?, protocol_date = ?, customer = ?, object = ?, "
        "methods = ?, path = ?, search = ?, saved = ?, user_name = ?, host = ? WHERE id = ?");
    bool bDone = false;
    if (idOfNumber.isValid()) {
        // the row of the number follows the file; the file's other row goes
        bDone = run(query, sSet, rowValues(entry) << idOfNumber) &&
                (!idOfPath.isValid() || idOfPath == idOfNumber ||
                 run(query, QStringLiteral("DELETE FROM protocols WHERE id = ?"), {idOfPath}));
    } else if (idOfPath.isValid()) {
        bDone = run(query, sSet, rowValues(entry) << idOfPath);
    } else {
        bDone = run(query,
                    QStringLiteral("INSERT INTO protocols (%1, first_saved) VALUES (%2)")
                        .arg(sValueColumns, placeholders(12)),
                    rowValues(entry) << entry.dtSaved.toString(sTimeFormat));
    }
    if (!bDone || (bCommit && !run(query, QStringLiteral("COMMIT"))))
        return fail();
    return EResult::Registered;
}

int CJournal::flushQueue(QList<SQueuedEntry>* pRefused) {
    CJournalQueue queue(sQueueFile);
    if (place.bServer)
        queue.takeOver(sJournalFile, QSysInfo::machineHostName());
    const auto lstWaiting = queue.waiting();
    if (lstWaiting.isEmpty())
        return 0;
    QSqlDatabase db = database();
    if (!db.isValid())
        return int(lstWaiting.size());
    int iLeft = 0;
    for (const auto& [iId, waiting] : lstWaiting) {
        QString sRegistered;
        const EResult eResult =
            registerIn(db, waiting.entry, waiting.bTakeOver, &sRegistered, true);
        if (eResult == EResult::Queued) {
            ++iLeft;
        } else if (eResult == EResult::Registered) {
            queue.remove(iId);
        } else if (queue.markRefused(iId, sRegistered) && pRefused) {
            // a number another file took meanwhile cannot wait for its turn:
            // the row stays, and the workstation that saved it is told
            SQueuedEntry refused = waiting;
            refused.sRefusedFor = sRegistered;
            pRefused->append(refused);
        }
    }
    return iLeft;
}

QList<SQueuedEntry> CJournal::takeRefused() {
    return std::exchange(lstRefused, {});
}

QList<SQueuedEntry> CJournal::queuedRows() {
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
    constexpr int iNumber = 0, iYear = 1, iPath = 6, iSaved = 8, iColumns = 12;
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
        const QString sPath = rows.value(iPath).toString();
        // the file's row here, and the file that holds the number here
        if (!run(query, QStringLiteral("SELECT id, saved FROM protocols WHERE path = ?"),
                 {sPath})) {
            bFailed = true;
            break;
        }
        const bool bHere = query.next();
        const QVariant idHere = bHere ? query.value(0) : QVariant();
        const bool bNewer = !bHere || rows.value(iSaved).toString() > query.value(1).toString();
        if (!bNewer)
            continue; // this journal knows the file as well already
        if (!run(query, QStringLiteral("SELECT path FROM protocols WHERE number = ? AND year = ?"),
                 {lstValues[iNumber], lstValues[iYear]})) {
            bFailed = true;
            break;
        }
        if (query.next() && query.value(0).toString() != sPath) {
            // a number this journal holds for another file stays that file's
            if (pSkipped)
                pSkipped->append(
                    QStringLiteral("%1 (%2)").arg(rows.value(iNumber).toString(), sPath));
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
    if (!bFailed && (bCount || run(query, QStringLiteral("COMMIT"))))
        return iCarried;
    sProblem = (rows.lastError().isValid() ? rows.lastError() : query.lastError()).text().trimmed();
    if (!bCount)
        run(query, QStringLiteral("ROLLBACK"));
    return -1;
}

QString CJournal::nextInPattern(const QString& sNumber, int iYear) {
    static const QRegularExpression reDigits(QStringLiteral("\\d+"));
    QList<QRegularExpressionMatch> lstRuns;
    for (auto it = reDigits.globalMatch(sNumber); it.hasNext();)
        lstRuns.append(it.next());
    // the year in "118/26" or "2026-118" is no running number
    const QStringList lstYears = {QString::number(iYear), QString::number(iYear % 100)};
    for (int i = int(lstRuns.size()) - 1; i >= 0; --i) {
        if (lstRuns.size() > 1 && lstYears.contains(lstRuns[i].captured()))
            continue;
        const QString sRun = lstRuns[i].captured();
        const QString sNext =
            QString::number(sRun.toLongLong() + 1).rightJustified(sRun.size(), QLatin1Char('0'));
        return QString(sNumber).replace(lstRuns[i].capturedStart(), sRun.size(), sNext);
    }
    return QString();
}

QString CJournal::nextNumber(int iYear) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return QString();
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("SELECT number FROM protocols WHERE year = ? AND number IS NOT NULL "
                            "ORDER BY first_saved DESC, id DESC LIMIT 1"),
             {iYear}) ||
        !query.next())
        return QString();
    QString sNext = nextInPattern(query.value(0).toString(), iYear);
    // the next free one
    for (int i = 0;
         i < 1000 && !sNext.isEmpty() && !registeredElsewhere(sNext, iYear, {}).isEmpty(); ++i)
        sNext = nextInPattern(sNext, iYear);
    return sNext;
}

bool CJournal::readRows(const SJournalFilter& filter, int iOffset, int iLimit,
                        QList<SJournalEntry>& lstOut) {
    QSqlDatabase db = database();
    if (!db.isValid())
        return false;
    QString sSql = QStringLiteral("SELECT %1 FROM protocols WHERE search LIKE ? ESCAPE '\\'")
                       .arg(sEntryColumns);
    QVariantList lstValues = {QLatin1Char('%') + likeLiteral(searchText(filter.sText)) +
                              QLatin1Char('%')};
    if (filter.dtFrom.isValid()) {
        sSql += QStringLiteral(" AND protocol_date >= ?");
        lstValues << filter.dtFrom.toString(sDateFormat);
    }
    if (filter.dtTo.isValid()) {
        sSql += QStringLiteral(" AND protocol_date <= ?");
        lstValues << filter.dtTo.toString(sDateFormat);
    }
    sSql += QStringLiteral(" ORDER BY saved DESC, id DESC");
    if (iLimit > 0)
        sSql += QStringLiteral(" LIMIT %1 OFFSET %2").arg(iLimit).arg(iOffset);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, sSql, lstValues))
        return false;
    while (query.next())
        lstOut.append(JournalRows::entryOf(query));
    return true;
}

QString CJournal::searchText(const QString& sText) {
    return sText.toLower();
}
