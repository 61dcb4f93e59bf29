#include "composer/journal.h"

#include "base/settings.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {
constexpr int g_iSchemaVersion = 1;
// How long a save waits for a server that does not answer.
constexpr int g_iConnectSeconds = 3;
const QString g_sDateFormat = QStringLiteral("yyyy-MM-dd");
const QString g_sTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString connectionName(const char* pKind) {
    return QStringLiteral("journal-%1-%2")
        .arg(QLatin1String(pKind), QUuid::createUuid().toString(QUuid::Id128));
}

bool run(QSqlQuery& query, const QString& sSql, const QVariantList& lstValues = {}) {
    // PostgreSQL prepares no transaction commands nor definitions
    if (lstValues.isEmpty())
        return query.exec(sSql);
    if (!query.prepare(sSql))
        return false;
    for (const QVariant& value : lstValues)
        query.addBindValue(value);
    return query.exec();
}

// A text field: never NULL, which the drivers make of a null string.
QVariant text(const QString& s) {
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

// The columns of an entry, in the order entryOf reads them.
const QString g_sEntryColumns = QStringLiteral(
    "number, protocol_date, customer, object, methods, path, saved, user_name, host");
constexpr int g_iEntryColumns = 9;

SJournalEntry entryOf(const QSqlQuery& query) {
    return {query.value(0).toString(),
            QDate::fromString(query.value(1).toString(), g_sDateFormat),
            query.value(2).toString(),
            query.value(3).toString(),
            query.value(4).toString(),
            query.value(5).toString(),
            QDateTime::fromString(query.value(6).toString(), g_sTimeFormat),
            query.value(7).toString(),
            query.value(8).toString()};
}

// "%" and "_" typed in the filter are looked for as they are.
QString likeLiteral(QString s) {
    for (const char* pSpecial : {"\\", "%", "_"})
        s.replace(QLatin1String(pSpecial), QLatin1String("\\") + QLatin1String(pSpecial));
    return s;
}

QVariantList rowValues(const SJournalEntry& e) {
    // a protocol without a number is registered, and holds no number from others
    return {e.sNumber.isEmpty() ? QVariant() : QVariant(e.sNumber),
            e.year(),
            text(e.dtDate.toString(g_sDateFormat)),
            text(e.sCustomer),
            text(e.sObject),
            text(e.sMethods),
            text(e.sPath),
            CJournal::searchText(e.sNumber + QLatin1Char(' ') + e.sCustomer + QLatin1Char(' ') +
                                 e.sObject),
            text(e.dtSaved.toString(g_sTimeFormat)),
            text(e.sUser),
            text(e.sHost)};
}
} // namespace

SJournalPlace SJournalPlace::load() {
    const auto pSettings = openSettings();
    SJournalPlace place;
    place.bServer = pSettings->value(QStringLiteral("journal/server"), false).toBool();
    place.sHost = pSettings->value(QStringLiteral("journal/host")).toString();
    place.iPort = pSettings->value(QStringLiteral("journal/port"), 5432).toInt();
    place.sDatabase = pSettings->value(QStringLiteral("journal/database")).toString();
    place.sUser = pSettings->value(QStringLiteral("journal/user")).toString();
    return place;
}

void SJournalPlace::store() const {
    const auto pSettings = openSettings();
    pSettings->setValue(QStringLiteral("journal/server"), bServer);
    pSettings->setValue(QStringLiteral("journal/host"), sHost);
    pSettings->setValue(QStringLiteral("journal/port"), iPort);
    pSettings->setValue(QStringLiteral("journal/database"), sDatabase);
    pSettings->setValue(QStringLiteral("journal/user"), sUser);
}

CJournal::CJournal(const QString& sLocalFile, const SJournalPlace& place)
    : sLocalFile(sLocalFile), place(place), sLocalConnection(connectionName("local")),
      sServerConnection(connectionName("server")) {}

CJournal::~CJournal() {
    for (const QString& sName : {sLocalConnection, sServerConnection}) {
        if (QSqlDatabase::contains(sName)) {
            QSqlDatabase::database(sName, false).close();
            QSqlDatabase::removeDatabase(sName);
        }
    }
}

QSqlDatabase CJournal::localDatabase() {
    QSqlDatabase db = QSqlDatabase::contains(sLocalConnection)
                          ? QSqlDatabase::database(sLocalConnection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sLocalConnection);
    if (!db.isOpen()) {
        db.setDatabaseName(sLocalFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open())
            return QSqlDatabase();
        QSqlQuery query(db);
        run(query, QStringLiteral("CREATE TABLE IF NOT EXISTS journal_queue (id INTEGER PRIMARY "
                                  "KEY AUTOINCREMENT, number TEXT, year INTEGER, protocol_date "
                                  "TEXT, customer TEXT, object TEXT, methods TEXT, path TEXT, "
                                  "search TEXT, saved TEXT, user_name TEXT, host TEXT, take_over "
                                  "INTEGER)"));
        if (!place.bServer && !ensureSchema(db))
            return QSqlDatabase();
    }
    return db;
}

QSqlDatabase CJournal::database() {
    if (!place.bServer)
        return localDatabase();
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
    db.setHostName(place.sHost);
    db.setPort(place.iPort);
    db.setDatabaseName(place.sDatabase);
    db.setUserName(place.sUser);
    db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(g_iConnectSeconds));
    if (!db.open() || !ensureSchema(db)) {
        db.close();
        unanswered.start();
        return QSqlDatabase();
    }
    unanswered.invalidate();
    return db;
}

bool CJournal::ensureSchema(QSqlDatabase& db) {
    const bool bServer = db.driverName() == QStringLiteral("QPSQL");
    const QString sId = bServer ? QStringLiteral("SERIAL PRIMARY KEY")
                                : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
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
        if (!run(query, sDdl) && !run(query, sDdl))
            return false;
    }
    // the first to come writes the version; the others' insert is refused
    run(query, QStringLiteral("INSERT INTO journal_schema (id, version) VALUES (1, ?)"),
        {g_iSchemaVersion});
    if (!run(query, QStringLiteral("SELECT version FROM journal_schema")) || !query.next())
        return false;
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

CJournal::EResult CJournal::registerProtocol(const SJournalEntry& entry, bool bTakeOver,
                                             QString* pRegistered) {
    flushQueue();
    QSqlDatabase db = database();
    if (db.isValid()) {
        const EResult eResult = registerIn(db, entry, bTakeOver, pRegistered);
        if (eResult != EResult::Queued)
            return eResult;
    }
    enqueue(entry, bTakeOver);
    return EResult::Queued;
}

CJournal::EResult CJournal::registerIn(QSqlDatabase& db, const SJournalEntry& entry, bool bTakeOver,
                                       QString* pRegistered) {
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
                    QStringLiteral("INSERT INTO protocols (number, year, protocol_date, customer, "
                                   "object, methods, path, search, saved, user_name, host, "
                                   "first_saved) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    rowValues(entry) << entry.dtSaved.toString(g_sTimeFormat));
    }
    if (!bDone || !run(query, QStringLiteral("COMMIT")))
        return fail();
    return EResult::Registered;
}

void CJournal::enqueue(const SJournalEntry& entry, bool bTakeOver) {
    QSqlDatabase db = localDatabase();
    QSqlQuery query(db);
    run(query,
        QStringLiteral("INSERT INTO journal_queue (number, year, protocol_date, customer, object, "
                       "methods, path, search, saved, user_name, host, take_over) VALUES (?, ?, "
                       "?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        rowValues(entry) << int(bTakeOver));
}

int CJournal::flushQueue(QStringList* pRefused) {
    QSqlDatabase local = localDatabase();
    QSqlQuery queued(local);
    if (!run(queued, QStringLiteral("SELECT %1, id, take_over FROM journal_queue ORDER BY id")
                         .arg(g_sEntryColumns)))
        return 0;
    QList<std::pair<qint64, std::pair<SJournalEntry, bool>>> lstWaiting;
    while (queued.next()) {
        lstWaiting.append({queued.value(g_iEntryColumns).toLongLong(),
                           {entryOf(queued), queued.value(g_iEntryColumns + 1).toBool()}});
    }
    if (lstWaiting.isEmpty())
        return 0;
    QSqlDatabase db = database();
    if (!db.isValid())
        return int(lstWaiting.size());
    int iLeft = 0;
    QSqlQuery done(local);
    for (const auto& [id, waiting] : std::as_const(lstWaiting)) {
        const EResult eResult = registerIn(db, waiting.first, waiting.second, nullptr);
        if (eResult == EResult::Queued) {
            ++iLeft;
            continue;
        }
        // a number another workstation registered meanwhile cannot wait for
        // its turn: the user is told and saves again under another number
        if (eResult == EResult::Duplicate && pRefused)
            pRefused->append(waiting.first.sNumber);
        run(done, QStringLiteral("DELETE FROM journal_queue WHERE id = ?"), {id});
    }
    return iLeft;
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
                       .arg(g_sEntryColumns);
    QVariantList lstValues = {QLatin1Char('%') + likeLiteral(searchText(filter.sText)) +
                              QLatin1Char('%')};
    if (filter.dtFrom.isValid()) {
        sSql += QStringLiteral(" AND protocol_date >= ?");
        lstValues << filter.dtFrom.toString(g_sDateFormat);
    }
    if (filter.dtTo.isValid()) {
        sSql += QStringLiteral(" AND protocol_date <= ?");
        lstValues << filter.dtTo.toString(g_sDateFormat);
    }
    sSql += QStringLiteral(" ORDER BY saved DESC, id DESC");
    if (iLimit > 0)
        sSql += QStringLiteral(" LIMIT %1 OFFSET %2").arg(iLimit).arg(iOffset);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, sSql, lstValues))
        return false;
    while (query.next())
        lstOut.append(entryOf(query));
    return true;
}

QString CJournal::searchText(const QString& sText) {
    return sText.toLower();
}
