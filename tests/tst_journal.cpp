// The protocol journal, on SQLite and on a PostgreSQL server of the test's
// own. Guards: a save registers its row and a second save does not add one;
// a number another place (workstation and path) holds is asked about, No
// writing nothing and Yes moving the row while keeping when it was first
// registered; two workstations racing for one number cannot both get it; a
// server, a folder or a file out of reach, locked by another program,
// another user's, emptied or on a full disk loses no row, holds the window
// no longer than its budget and is named; a late queued row undoes no newer
// save; the next number follows the laboratory's pattern, never one the
// queue holds; private files stay the user's; the window filters, opens,
// says when a file is gone and exports the bytes a spreadsheet reads. An
// issue is recorded once, an amendment marks what it replaces and never
// sets the next number's pattern, and "--verify" tells an issued PDF from a
// changed or unknown one.
#include "app/vekconclusion.h"
#include "base/settings.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/journallink.h"
#include "composer/journalwindow.h"
#include "items/spellchecker.h"
#include "storage/journal.h"
#include "storage/journalqueue.h"
#include "storage/journalservice.h"
#include "storage/referencefiles.h"
#include "storage/settingskeys.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/largeprotocol.h"
#include "support/postgresserver.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include "base/savefile.h"

#include <QSqlQuery>
#include <QtTest>
#include <QtWidgets>

#include <atomic>
#include <thread>

#include <cstdio>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString g_sJournalFile = QStringLiteral("journal.sqlite");
const char* const g_pLockFlag = "--hold-lock";
const char* const g_pRegisterFlag = "--register";
const QString g_sYear = QString::number(QDate::currentDate().year() % 100);

QString status(CFusionWidget& form) {
    return child<QLabel>(&form, "lbl_status")->text();
}

QString waiting(const QString& sWhy) {
    return "Журнал недоступен (" + sWhy + "): запись будет добавлена позже";
}

// What the form's own journal worker answers, waited for as long as it takes.
template <typename T> T asked(CFusionWidget& form, std::function<T(CJournal&)> work) {
    return *form.controller().journalLink().journal()->ask<T>(work, {}, true);
}

void typeNumber(CFusionWidget& form, const QString& sNumber) {
    QLineEdit* pEdit = valueEdit(form.sections()[eNumber]);
    pEdit->selectAll();
    typeText(pEdit, sNumber);
}

// The journal's rows as "number path", by number.
QStringList rows(CJournal& journal) {
    QSqlQuery query(journal.database());
    query.exec(QStringLiteral("SELECT number, path FROM protocols ORDER BY number"));
    QStringList lst;
    while (query.next())
        lst << query.value(0).toString() + QLatin1Char(' ') + query.value(1).toString();
    return lst;
}

SJournalEntry entry(const QString& sNumber, const QString& sPath, const QString& sCustomer = {},
                    const QDateTime& dtSaved = QDateTime::currentDateTime(),
                    const QDate& dtDate = QDate(2026, 3, 5)) {
    SJournalEntry e;
    e.sNumber = sNumber;
    e.dtDate = dtDate;
    e.sCustomer = sCustomer;
    e.sObject = QStringLiteral("Резервуар");
    e.sMethods = QStringLiteral("ультразвуковой");
    e.sPath = sPath;
    e.dtSaved = dtSaved;
    e.sUser = QStringLiteral("lab");
    e.sHost = QStringLiteral("ws1");
    return e;
}
// The issue of the protocol registered as e, its PDF of that fingerprint;
// an amendment when it replaces a protocol (of the same date).
SIssueRecord issued(const SJournalEntry& e, const QString& sPdfSha256,
                    const QString& sReplaces = {}) {
    SIssueRecord r;
    r.sNumber = e.sNumber;
    r.dtDate = e.dtDate;
    r.sHost = e.sHost;
    r.sPath = e.sPath;
    r.dtIssued = QDateTime(QDate(2026, 12, 7), QTime(14, 3));
    r.sUser = QStringLiteral("Иванов");
    r.sWorkstation = QStringLiteral("ws1");
    r.sPdfSha256 = sPdfSha256;
    r.sRptSha256 = QString(64, QLatin1Char('a'));
    r.sPdfPath = QStringLiteral("/архив/") + e.sNumber + QStringLiteral(".pdf");
    r.sReplacesNumber = sReplaces;
    r.dtReplacesDate = sReplaces.isEmpty() ? QDate() : e.dtDate;
    return r;
}

QString sha256Of(const QString& sPath) {
    QString sWhy;
    return CJournal::sha256OfFile(sPath, &sWhy);
}

// The numbers of the rows in a state, newest first.
QStringList numbersIn(CJournal& journal, EProtocolState eState) {
    SJournalFilter filter;
    filter.state = eState;
    QList<SJournalRow> lstRows;
    journal.readRows(filter, 0, 0, lstRows);
    QStringList lst;
    for (const SJournalRow& row : lstRows)
        lst << row.entry.sNumber;
    return lst;
}

// "ndt-protocol --verify ARGS...": its standard output and exit status.
std::pair<QString, int> verifyCommand(const QStringList& lstArgs) {
    QProcess verify;
    verify.start(NDT_PROGRAM, QStringList("--verify") + lstArgs);
    verify.waitForFinished();
    return {QString::fromUtf8(verify.readAllStandardOutput() + verify.readAllStandardError()),
            verify.exitCode()};
}

// Something else than PostgreSQL on a port: it answers every connection
// with one letter and hangs up, as a web server's error page begins.
class CStrangeServer {
public:
    CStrangeServer() {
        iSocket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t iLength = sizeof address;
        ::bind(iSocket, reinterpret_cast<sockaddr*>(&address), iLength);
        ::listen(iSocket, 4);
        ::getsockname(iSocket, reinterpret_cast<sockaddr*>(&address), &iLength);
        iPort = ntohs(address.sin_port);
        answering = std::thread([this] {
            for (int iClient; (iClient = ::accept(iSocket, nullptr, nullptr)) >= 0;) {
                (void)!::write(iClient, "H", 1);
                ::close(iClient);
            }
        });
    }
    ~CStrangeServer() {
        ::shutdown(iSocket, SHUT_RDWR);
        ::close(iSocket);
        answering.join();
    }
    int iPort = 0;

private:
    int iSocket = -1;
    std::thread answering;
};

// A small file system of the test's own, filled to its last block.
class CFullDisk {
public:
    explicit CFullDisk(const QString& sDir) : sDir(sDir) {
        QDir().mkpath(sDir);
        bMounted = ::mount("tmpfs", qPrintable(sDir), "tmpfs", 0, "size=256k") == 0;
    }
    ~CFullDisk() {
        if (bMounted)
            ::umount2(qPrintable(sDir), MNT_DETACH);
    }
    bool isMounted() const { return bMounted; }
    void fill() {
        QFile filler(sDir + "/filler");
        filler.open(QIODevice::WriteOnly);
        while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) {
        }
    }

private:
    QString sDir;
    bool bMounted = false;
};

// Another program holding the journal locked until its input ends: an
// SQLite file, or the table on a server (host, port, database, user).
int holdLock(const QStringList& lstArgs) {
    const bool bServer = lstArgs.size() == 4;
    QSqlDatabase db = QSqlDatabase::addDatabase(bServer ? "QPSQL" : "QSQLITE");
    db.setDatabaseName(lstArgs.value(bServer ? 2 : 0));
    if (bServer) {
        db.setHostName(lstArgs[0]);
        db.setPort(lstArgs[1].toInt());
        db.setUserName(lstArgs[3]);
    }
    QSqlQuery query(db);
    if (!db.open() || !query.exec(bServer ? "BEGIN" : "BEGIN EXCLUSIVE") ||
        (bServer && !query.exec("LOCK TABLE protocols IN ACCESS EXCLUSIVE MODE")))
        return 1;
    std::puts("locked");
    std::fflush(stdout);
    std::getchar();
    return 0;
}

// Whether the form shows the line of an issued protocol.
bool issuedShown(CFusionWidget& form) {
    const auto pLine = form.findChild<QLabel*>("lbl_issued");
    return pLine && pLine->isVisibleTo(&form) && !pLine->text().isEmpty();
}

// A save's row as the window registers it: held, then kept, unless the
// number is another place's.
CJournal::EResult registerRow(CJournal& journal, const SJournalEntry& row, bool bTakeOver) {
    const CJournal::EResult eResult = journal.beginRegistration(row, bTakeOver, nullptr);
    return eResult == CJournal::EResult::Duplicate ? eResult : journal.commitRegistration();
}

// A workstation of another user registering a protocol: what became of it.
int registerAs(const QString& sJournal, const QString& sNumber, const QString& sPath) {
    CJournal journal(sJournal, QString(), SJournalPlace());
    const CJournal::EResult eResult = registerRow(journal, entry(sNumber, sPath), false);
    std::printf("%d %s", int(eResult), journal.problem().toUtf8().constData());
    return 0;
}

// The test itself, run by runuser as user of group "users".
QString registerAsUser(const char* pUser, const QString& sJournal, const QString& sNumber) {
    QProcess child;
    child.start("runuser",
                {"-u", pUser, "-g", "users", "--", QCoreApplication::applicationFilePath(),
                 g_pRegisterFlag, sJournal, sNumber, "/" + sNumber + ".rpt"});
    child.waitForFinished();
    return QString::fromUtf8(child.readAll());
}
} // namespace

class TestJournal : public QObject {
    Q_OBJECT
    CPostgresServer server;

    // The journal the next form opens: this computer's, or the server.
    SJournalPlace use(bool bServer) {
        const SJournalPlace place = bServer ? server.place() : SJournalPlace();
        place.store();
        return place;
    }

    void engines() {
        QTest::addColumn<bool>("bServer");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }

private slots:
    void initTestCase() {
        const QString sProblem = server.start();
        QVERIFY2(sProblem.isEmpty(), qPrintable(sProblem));
    }

    void init() {
        CJournal journal(QString(), QString(), server.place());
        QSqlQuery(journal.database()).exec(QStringLiteral("DELETE FROM protocols"));
        QSqlQuery(journal.database()).exec(QStringLiteral("DELETE FROM issues"));
    }

    // the next test starts with the journal, folder and timings of its own
    void cleanup() {
        SJournalPlace().store();
        openSettings()->remove(SettingsKey::sReferenceFolder);
        CJournalLink::iJournalRetryMs = 60 * 1000;
        CJournal::iRetryAfterMs = 10000;
        // a test that failed with the server stopped or frozen does not
        // fail the next ones with it
        server.freeze(false);
        if (!server.isRunning())
            QCOMPARE(server.start(), QString());
    }

    void savesRegisterOneRowPerFile_data() { engines(); }
    void savesRegisterOneRowPerFile() {
        QFETCH(bool, bServer);
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CJournal journal(dir.filePath(g_sJournalFile), QString(), use(bServer));
        CFusionWidget form(dir.path());
        const QString a = dir.filePath("a.rpt"), b = dir.filePath("b.rpt"),
                      c = dir.filePath("c.rpt");
        typeNumber(form, "118/26");
        QVERIFY(form.controller().writeProtocol(a));
        QVERIFY(form.controller().writeProtocol(a));
        QCOMPARE(rows(journal), QStringList({"118/26 " + a}));

        // the number is a's: No writes nothing
        dialogs.lstAnswers << CUserDialogs::No;
        QVERIFY(!form.controller().writeProtocol(b));
        QVERIFY(!QFile::exists(b));
        QCOMPARE(dialogs.texts().last(), "Протокол №118/26 уже зарегистрирован: «" + a + "» на «" +
                                             QSysInfo::machineHostName() +
                                             "». Сохранить с этим номером?\nСледующий свободный "
                                             "номер: 119/26.");

        typeNumber(form, "119/26");
        QVERIFY(form.controller().writeProtocol(b));
        QCOMPARE(rows(journal), QStringList({"118/26 " + a, "119/26 " + b}));
        QVERIFY(form.controller().newProtocol());
        QCOMPARE(valueEdit(form.sections()[eNumber])->text(), QStringLiteral("120/26"));

        // reissued under its number: the row follows the new file, registered as before
        QSqlQuery(journal.database())
            .exec("UPDATE protocols SET first_saved = '2026-01-02 03:04:05' WHERE number = "
                  "'118/26'");
        typeNumber(form, "118/26");
        dialogs.lstAnswers << CUserDialogs::Yes;
        QVERIFY(form.controller().writeProtocol(c));
        QCOMPARE(rows(journal), QStringList({"118/26 " + c, "119/26 " + b}));
        QSqlQuery first(journal.database());
        first.exec("SELECT first_saved FROM protocols WHERE number = '118/26'");
        QVERIFY(first.next());
        QCOMPARE(first.value(0).toString(), QStringLiteral("2026-01-02 03:04:05"));
        first.finish(); // a statement left open holds the file

        // another workstation's file of the same path holds its own number,
        // asked about by its place; the file saved under another number
        // moves its own row, and both places keep theirs
        SJournalEntry other = entry("301/26", c);
        other.sHost = "ws2";
        QCOMPARE(registerRow(journal, other, false), CJournal::EResult::Registered);
        typeNumber(form, "301/26");
        dialogs.lstAnswers << CUserDialogs::No;
        QVERIFY(!form.controller().writeProtocol(c));
        QCOMPARE(dialogs.texts().last(), "Протокол №301/26 уже зарегистрирован: «" + c +
                                             "» на «ws2». Сохранить с этим номером?\nСледующий "
                                             "свободный номер: 302/26.");
        typeNumber(form, "302/26");
        QVERIFY(form.controller().writeProtocol(c));
        QCOMPARE(rows(journal), QStringList({"119/26 " + b, "301/26 " + c, "302/26 " + c}));
    }

    void racingWorkstationsOneWins_data() { engines(); }
    void racingWorkstationsOneWins() {
        QFETCH(bool, bServer);
        QTemporaryDir dir;
        const SJournalPlace place = bServer ? server.place() : SJournalPlace();
        std::atomic<int> iReady{0};
        CJournal::EResult results[2];
        QList<QThread*> lstThreads;
        for (int i = 0; i < 2; ++i) {
            lstThreads << QThread::create([&, i] {
                CJournal journal(dir.filePath(g_sJournalFile), dir.filePath(QString::number(i)),
                                 place);
                journal.database();
                for (++iReady; iReady < 2;) {
                } // both connected, both go
                results[i] =
                    registerRow(journal, entry("7/26", QString("/ws%1.rpt").arg(i)), false);
            });
            lstThreads.last()->start();
        }
        for (QThread* pThread : lstThreads) {
            QVERIFY(pThread->wait(20000));
            delete pThread;
        }
        const QSet<CJournal::EResult> setResults = {results[0], results[1]};
        QCOMPARE(setResults, QSet({CJournal::EResult::Registered, CJournal::EResult::Duplicate}));
        CJournal journal(dir.filePath(g_sJournalFile), QString(), place);
        QCOMPARE(rows(journal).size(), 1);
    }

    void serverOutOfReachQueuesTheRow() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(true);
        CJournalLink::iJournalRetryMs = 200;
        CJournal::iRetryAfterMs = 0;
        CFusionWidget form(dir.path());
        typeNumber(form, "200/26");
        QVERIFY(server.stop());
        QVERIFY(form.controller().writeProtocol(dir.filePath("a.rpt")));
        QVERIFY(dialogs.lstMessages.isEmpty());
        const QString sRefused = waiting(QStringLiteral("сервер «%1» не принимает соединений на "
                                                        "порту %2")
                                             .arg(server.place().sHost)
                                             .arg(server.place().iPort));
        QTRY_COMPARE(status(form), sRefused);
        QCoreApplication::processEvents(); // a wait over by now does not say otherwise
        QCOMPARE(status(form), sRefused);
        // closing now says the row waits for the next start
        form.controller().journalLink().announceWaitingRows();
        QCOMPARE(dialogs.texts(),
                 QStringList({"Записей журнала ждут отправки: 1. Они будут отправлены при "
                              "следующем запуске программы, когда журнал будет доступен."}));
        // the retry timer sends it, with no call by hand
        QCOMPARE(server.start(), QString());
        QTRY_COMPARE(status(form), QString());
        form.controller().journalLink().announceWaitingRows(); // nothing waits: nothing said
        QCOMPARE(dialogs.texts().size(), 1);
        CJournal journal(QString(), QString(), server.place());
        QCOMPARE(rows(journal), QStringList({"200/26 " + dir.filePath("a.rpt")}));
    }

    // A server that stops answering without going away holds the worker:
    // the save still returns at once, the row is in the queue file at once,
    // the program ends all the same, and the row arrives at the next start.
    void silentServerKeepsTheRowQueued() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(true);
        CJournalService::iCloseWaitMs = 300;
        const QString sQueue = dir.filePath(CJournal::sQueueFileName);
        {
            CFusionWidget form(dir.path());
            typeNumber(form, "300/26");
            QVERIFY(form.controller().writeProtocol(dir.filePath("a.rpt")));
            server.freeze(true);
            typeNumber(form, "301/26");
            QElapsedTimer saving;
            saving.start();
            QVERIFY(form.controller().writeProtocol(dir.filePath("b.rpt")));
            QVERIFY(saving.elapsed() < 1000);
            QCOMPARE(CJournalQueue(sQueue).rows().value(0).entry.sNumber, QStringLiteral("301/26"));
        }
        server.freeze(false);
        CJournalService::iCloseWaitMs = 3000;
        CJournal journal(QString(), sQueue, server.place());
        QCOMPARE(journal.flushQueue(), 0);
        QCOMPARE(rows(journal), QStringList({"300/26 " + dir.filePath("a.rpt"),
                                             "301/26 " + dir.filePath("b.rpt")}));
    }

    // Issued: the PDF in the archive and both fingerprints in the journal,
    // the form read-only and the save in place refused, in this program
    // and the next; a byte changed is named; the revision replaces it.
    // A protocol signed on an expired certificate is not issued at all.
    void issuedProtocolIsKeptAsIssued() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        writeSpecialists(dir.path(), knownSpecialists(1));
        const QString sRpt = dir.filePath("118-26.rpt"), sPdf = dir.filePath("118-26.pdf");
        const QString sToday = QDate::currentDate().toString("dd.MM.yyyy");
        {
            CFusionWidget form(dir.path());
            CVEKConclusion::connectCommandBar(form);
            fillProtocol(form, {1, 2, 2, 1, 0, 1, 1});
            typeNumber(form, "118/26");
            child<QDateEdit>(form.sections()[eDate], "dedt_date")->setDate(QDate(2027, 2, 1));
            QVERIFY(!form.controller().issueReport());
            QVERIFY(dialogs.texts().value(0).startsWith(
                "Протокол не может быть выдан:\nСпециалист Специалист 0"));
            child<QDateEdit>(form.sections()[eDate], "dedt_date")->setDate(QDate::currentDate());
            dialogs.lstMessages.clear();
            QVERIFY(form.controller().writeProtocol(sRpt));
            dialogs.lstAnswers << CUserDialogs::Yes;
            // another program holds the journal: the window does not wait for
            // the issue, which ends when the journal answers
            QProcess holder;
            holder.start(QCoreApplication::applicationFilePath(),
                         {g_pLockFlag, CJournal::fileIn(dir.path())});
            QVERIFY(holder.waitForReadyRead());
            // a slow machine: the window stops waiting before the worker meets
            // the lock, and the lock is named once it does
            CJournalService::iAnswerMs = 0;
            click(child<QToolButton>(&form, "btn_issue"));
            CJournalService::iAnswerMs = 200;
            QCOMPARE(dialogs.texts(), QStringList({"Протокол №118/26 будет выдан: изменить его "
                                                   "после выдачи можно только новой редакцией. "
                                                   "Выдать?"}));
            QTRY_COMPARE(status(form), waiting(CJournal::sBusy) +
                                           " · Выдача протокола №118/26 ждет ответа журнала");
            QVERIFY(!issuedShown(form));
            holder.closeWriteChannel();
            QVERIFY(holder.waitForFinished());
            QTRY_COMPARE(dialogs.texts().value(1), "Протокол №118/26 выдан: " + sPdf);
            QTRY_COMPARE(status(form), QString()); // the row and the issue have their answer
            QVERIFY(issuedShown(form) && !form.sections()[eNumber]->isEnabled());
            QVERIFY(!form.controller().saveReport());
        }
        CJournal journal(CJournal::fileIn(dir.path()), QString(), SJournalPlace());
        const SIssueState state = journal.issueOf({QSysInfo::machineHostName(), sRpt});
        QString sProblem;
        QVERIFY(state.bIssued);
        QCOMPARE(state.record.sPdfSha256, CJournal::sha256OfFile(sPdf, &sProblem));
        QCOMPARE(state.record.sRptSha256, CJournal::sha256OfFile(sRpt, &sProblem));
        const QByteArray issued = fileBytes(sRpt);
        CFusionWidget form(dir.path());
        QVERIFY(form.controller().openDocument(sRpt));
        QTRY_VERIFY(issuedShown(form));
        QVERIFY(!child<QLabel>(&form, "lbl_issued")->text().contains("Файл изменен после выдачи"));
        // one letter of the written conclusion, as a document holds it (UTF-16BE)
        QByteArray changed = issued;
        const qsizetype iAt = changed.indexOf(QByteArray("\x04\x14\x04\x35", 4)); // "Де"
        QVERIFY(iAt > 0);
        changed[iAt + 3] = char(0x38); // "Ди"
        writeFile(sRpt, changed);
        QVERIFY(form.controller().openDocument(sRpt));
        QTRY_VERIFY(
            child<QLabel>(&form, "lbl_issued")->text().contains("Файл изменен после выдачи."));
        writeFile(sRpt, issued);
        // the issued document, wherever it was copied, is the issued one
        writeFile(dir.filePath("copy.rpt"), issued);
        QVERIFY(form.controller().openDocument(dir.filePath("copy.rpt")));
        QVERIFY(!form.controller().saveReport()); // at once: it waits for the answer
        QVERIFY(issuedShown(form));
        QVERIFY(form.controller().openDocument(sRpt));
        // the revision: its number, the item naming what it replaces, its issue
        form.controller().newRevision();
        QTRY_COMPARE(form.protocolNumber(), QStringLiteral("118/26-1"));
        QVERIFY(!issuedShown(form) && form.controller().isChanged());
        QVERIFY(form.buildProtocolHtml().contains("Взамен протокола: № 118/26 от " + sToday));
        dialogs.lstMessages.clear();
        dialogs.lstAnswers << CUserDialogs::Yes;
        dialogs.lstFileNames << dir.filePath("118-26-1.rpt");
        form.controller().issueReport();
        QTRY_VERIFY(issuedShown(form));
        QCOMPARE(journal.issueOf({QSysInfo::machineHostName(), sRpt}).record.sReplacedBy,
                 QStringLiteral("118/26-1"));
        // no PDF goes over the issued one; a replaced protocol has no revision of its own
        dialogs.lstMessages.clear();
        const QByteArray issuedPdf = fileBytes(dir.filePath("118-26-1.pdf"));
        dialogs.lstFileNames << dir.filePath("118-26-1.pdf");
        form.controller().exportPdfWithDialog();
        QCOMPARE(fileBytes(dir.filePath("118-26-1.pdf")), issuedPdf);
        QVERIFY(dialogs.texts().value(0).endsWith("— выданный протокол, он не заменяется. "
                                                  "Выберите другое имя файла."));
        QVERIFY(form.controller().openDocument(sRpt));
        QVERIFY(!form.controller().newRevision());
        QCOMPARE(form.protocolNumber(), QStringLiteral("118/26"));
    }

    void replacingARegisteredProtocolIsAsked() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        CFusionWidget form(dir.path());
        CVEKConclusion::connectCommandBar(form);
        const QString sFirst = dir.filePath("1-26.rpt");
        typeNumber(form, "1/26");
        QVERIFY(form.controller().writeProtocol(sFirst));
        const QByteArray first = fileBytes(sFirst);
        CJournal journal(CJournal::fileIn(dir.path()), QString(), SJournalPlace());
        click(child<QToolButton>(&form, "btn_new"));
        QCOMPARE(valueEdit(form.sections()[eNumber])->text(), QStringLiteral("2/26"));
        const QString sQuestion = "Файл «" + sFirst + "» — протокол №1/26 от " +
                                  QDate::currentDate().toString("dd.MM.yyyy") +
                                  ", зарегистрированный в журнале. Заменить его этим протоколом?";
        // the file dialog's own "replace?" was answered Yes; No here saves nothing
        dialogs.lstAnswers << CUserDialogs::No;
        dialogs.lstFileNames << sFirst;
        click(child<QToolButton>(&form, "btn_save"));
        QCOMPARE(dialogs.texts(), QStringList({sQuestion}));
        QCOMPARE(fileBytes(sFirst), first);
        QCOMPARE(rows(journal), QStringList({"1/26 " + sFirst}));
        // Yes replaces it; its row follows the new protocol's number
        dialogs.lstAnswers << CUserDialogs::Yes;
        dialogs.lstFileNames << sFirst;
        click(child<QToolButton>(&form, "btn_save"));
        QCOMPARE(rows(journal), QStringList({"2/26 " + sFirst}));
        QVERIFY(fileBytes(sFirst) != first && form.controller().currentFile() == sFirst);
        QCOMPARE(dialogs.lstMessages.size(), 2);
    }

    void failedCommitLeavesEveryRow_data() { engines(); }
    void failedCommitLeavesEveryRow() {
        QFETCH(bool, bServer);
        // a file system where a file can be made append-only
        QTemporaryDir dir(QDir::current().filePath("journal-XXXXXX"));
        CScriptedDialogs dialogs;
        CJournal journal(dir.filePath(g_sJournalFile), QString(), use(bServer));
        CFusionWidget form(dir.path());
        const QString a = dir.filePath("a.rpt"), b = dir.filePath("b.rpt");
        typeNumber(form, "6/26");
        QVERIFY(form.controller().writeProtocol(b));
        QVERIFY(form.controller().newProtocol());
        typeNumber(form, "5/26");
        QVERIFY(form.controller().writeProtocol(a));
        const QByteArray before = fileBytes(b);
        if (QProcess::execute("chattr", {"+a", b}) != 0)
            QSKIP("chattr +a is not supported on this file system");
        // b.rpt replaced, 5/26 taken over, and the file cannot be committed
        dialogs.lstAnswers << CUserDialogs::Yes << CUserDialogs::Yes;
        dialogs.lstFileNames << b;
        const bool bSaved = form.controller().saveReportAs();
        QProcess::execute("chattr", {"-a", b});
        QVERIFY(!bSaved);
        QVERIFY(dialogs.texts().last().contains(b));
        QCOMPARE(rows(journal), QStringList({"5/26 " + a, "6/26 " + b}));
        QCOMPARE(fileBytes(b), before);
    }

    void refusedQueuedRowIsKeptAndAnnouncedWhereSaved() {
        QTemporaryDir shared, homeA, homeB, homeC;
        CScriptedDialogs dialogs;
        use(true);
        CJournal::iRetryAfterMs = 0;         // every save asks the server again
        CJournalLink::iJournalRetryMs = 200; // the queue is sent by the retry timer itself
        CFusionWidget a(homeA.path(), nullptr, homeA.path(), shared.path());
        CVEKConclusion::connectCommandBar(a);
        CFusionWidget b(homeB.path(), nullptr, homeB.path(), shared.path());
        const QString sA = shared.filePath("a.rpt"), sB = shared.filePath("b.rpt");
        typeNumber(a, "7/26");
        typeNumber(b, "7/26");
        QVERIFY(server.stop());
        QVERIFY(a.controller().writeProtocol(sA));
        // the row waits in a's own folder, not in the one the workstations share
        QVERIFY(QFile::exists(homeA.filePath(CJournal::sQueueFileName)));
        QVERIFY(!QFile::exists(shared.filePath(CJournal::sQueueFileName)));
        // the journal window says why it shows no journal
        click(child<QToolButton>(&a, "btn_journal"));
        QCOMPARE(
            child<QLabel>(a.findChild<CJournalWindow*>(), "lbl_state")->text().section('\n', 0, 0),
            QStringLiteral("Журнал недоступен: сервер «%1» не принимает соединений на порту %2")
                .arg(server.place().sHost)
                .arg(server.place().iPort));
        QCOMPARE(server.start(), QString());
        QVERIFY(b.controller().writeProtocol(sB));
        const QString sRefused = "Протокол «" + sA +
                                 "» не внесен в журнал: номер 7/26 уже зарегистрирован («" + sB +
                                 "» на «" + QSysInfo::machineHostName() + "»).";
        QTRY_COMPARE(dialogs.texts(), QStringList({sRefused}));
        // kept, shown with its file, and told once
        a.controller().journalLink().flushJournal();
        click(child<QToolButton>(&a, "btn_journal"));
        auto pWindow = a.findChild<CJournalWindow*>();
        QTRY_VERIFY(pWindow && pWindow->model()->refusedCount() == 1);
        QCOMPARE(pWindow->model()->pathAt(0), sA);
        QCOMPARE(dialogs.texts().size(), 1);
        // saved under another number, it is registered and leaves the queue
        typeNumber(a, "8/26");
        QVERIFY(a.controller().writeProtocol(sA));
        QVERIFY(asked<QList<SQueuedEntry>>(a, &CJournal::queuedRows).isEmpty());
        CJournal journal(QString(), QString(), server.place());
        QCOMPARE(rows(journal), QStringList({"7/26 " + sB, "8/26 " + sA}));

        // a queue that cannot be written is reported, the document still saved
        QVERIFY(QDir(homeC.path()).mkdir(CJournal::sQueueFileName));
        CFusionWidget c(homeC.path(), nullptr, homeC.path(), shared.path());
        typeNumber(c, "9/26");
        QVERIFY(server.stop());
        QVERIFY(c.controller().writeProtocol(shared.filePath("c.rpt")));
        // a new protocol without a number says why none was offered
        QVERIFY(c.controller().newProtocol());
        QVERIFY(child<QLabel>(&c, "lbl_status")
                    ->text()
                    .startsWith("Номер протокола не предложен: журнал недоступен (сервер «"));
        QCOMPARE(server.start(), QString());
        QVERIFY(dialogs.texts().last().startsWith("Протокол «" + shared.filePath("c.rpt") +
                                                  "» сохранен, но не внесен в журнал: Очередь "
                                                  "журнала «" +
                                                  homeC.filePath(CJournal::sQueueFileName)));
    }

    void settingsTellWhyAServerCannotBeUsed_data() {
        QTest::addColumn<QString>("sHost");
        QTest::addColumn<int>("iPort");
        QTest::addColumn<QString>("sDatabase");
        QTest::addColumn<QString>("sWhy");
        const SJournalPlace place = server.place();
        QTest::newRow("no such host") << "nosuch.invalid" << place.iPort << place.sDatabase
                                      << "сервер «nosuch.invalid» не найден";
        QTest::newRow("refused") << place.sHost << 1 << place.sDatabase
                                 << "сервер «" + place.sHost +
                                        "» не принимает соединений на "
                                        "порту 1";
        QTest::newRow("no database") << place.sHost << place.iPort << "nosuch"
                                     << "базы данных «nosuch» нет на сервере";
        QTest::newRow("not PostgreSQL") << "127.0.0.1" << -1 << place.sDatabase
                                        << "на порту %1 сервера «127.0.0.1» отвечает не PostgreSQL";
    }
    void settingsTellWhyAServerCannotBeUsed() {
        QFETCH(QString, sHost);
        QFETCH(int, iPort);
        QFETCH(QString, sDatabase);
        QFETCH(QString, sWhy);
        CStrangeServer strange; // the port of the row without one
        if (iPort < 0) {
            iPort = strange.iPort;
            sWhy = sWhy.arg(iPort);
        }
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        CFusionWidget form(dir.path());
        CVEKConclusion::connectCommandBar(form);
        QString sShown;
        dialogs.lstDialogActions << [&](QDialog* pDialog) {
            sShown = child<QLabel>(pDialog, "lbl_journalPlace")->text();
            click(child<QRadioButton>(pDialog, "rbtn_server"));
            child<QLineEdit>(pDialog, "edt_host")->setText(sHost);
            child<QSpinBox>(pDialog, "spn_port")->setValue(iPort);
            child<QLineEdit>(pDialog, "edt_database")->setText(sDatabase);
            child<QLineEdit>(pDialog, "edt_user")->setText(server.place().sUser);
            dialogs.lstAnswers << CUserDialogs::No; // the setting is not kept
            click(pDialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
            return pDialog->result();
        };
        click(child<QToolButton>(&form, "btn_settings"));
        QCOMPARE(sShown, "Журнал протоколов: " + CJournal::fileIn(dir.path()));
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QVERIFY2(dialogs.texts().first().startsWith("Журнал на сервере недоступен: " + sWhy + "."),
                 qPrintable(dialogs.texts().first()));
        QVERIFY(!SJournalPlace::load().bServer);
    }

    void anotherFolderCarriesTheRowsOver() {
        QTemporaryDir dir, other;
        CScriptedDialogs dialogs;
        use(false);
        CJournal target(CJournal::fileIn(other.path()), QString(), SJournalPlace());
        QCOMPARE(registerRow(target, entry("2/26", other.filePath("x.rpt")), false),
                 CJournal::EResult::Registered);
        CFusionWidget form(dir.path());
        CVEKConclusion::connectCommandBar(form);
        for (const char* pNumber : {"1/26", "2/26"}) {
            typeNumber(form, pNumber);
            QVERIFY(
                form.controller().writeProtocol(dir.filePath(QString(pNumber).left(1) + ".rpt")));
        }
        // an issue goes with its row: the protocol stays issued in the journal it moves to
        const SProtocolPlace issuedAt{QSysInfo::machineHostName(), dir.filePath("1.rpt")};
        {
            CJournal source(CJournal::fileIn(dir.path()), QString(), SJournalPlace());
            SJournalEntry e;
            QVERIFY(source.entryOf(issuedAt, &e));
            QVERIFY(source.recordIssue(issued(e, QString(64, QLatin1Char('d'))), e).isRecorded());
        }
        dialogs.lstDialogActions << [&](QDialog* pDialog) {
            child<QLineEdit>(pDialog, "edt_folder")->setText(other.path());
            pDialog->accept();
            return pDialog->result();
        };
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QToolButton>(&form, "btn_settings"));
        QTRY_COMPARE(dialogs.texts().value(0),
                     "Журнал протоколов теперь: " + CJournal::fileIn(other.path()) + " (был: " +
                         CJournal::fileIn(dir.path()) + ").\nПеренести записей журнала: 2?");
        QTRY_VERIFY(dialogs.texts().value(1).endsWith("2/26 (" + dir.filePath("2.rpt") + ")"));
        QCOMPARE(rows(target),
                 QStringList({"1/26 " + dir.filePath("1.rpt"), "2/26 " + other.filePath("x.rpt")}));
        QCOMPARE(target.issueOf(issuedAt).record.sPdfSha256, QString(64, QLatin1Char('d')));
    }

    void nextNumberFollowsThePattern_data() {
        QTest::addColumn<QString>("sLatest");
        QTest::addColumn<QString>("sNext");
        QTest::newRow("year after") << "118/26"
                                    << "119/26";
        QTest::newRow("leading zeros") << "УЗК-0099"
                                       << "УЗК-0100";
        QTest::newRow("year before") << "2026-118"
                                     << "2026-119";
        QTest::newRow("plain") << "9"
                               << "10";
        QTest::newRow("as many as the year") << "26/26"
                                             << "27/26";
        QTest::newRow("full year") << "2026-26"
                                   << "2026-27";
        QTest::newRow("no digits") << "б/н"
                                   << "";
    }
    void nextNumberFollowsThePattern() {
        QFETCH(QString, sLatest);
        QFETCH(QString, sNext);
        QCOMPARE(CJournal::nextInPattern(sLatest, 2026), sNext);
    }

    // A number or a name pasted from a spreadsheet cell brings its tab and
    // line break: the fields drop them, so neither the journal nor the
    // print holds them.
    void pastedControlCharactersAreDropped() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        CFusionWidget form(dir.path());
        QLineEdit* pNumber = valueEdit(form.sections()[eNumber]);
        QLineEdit* pCustomer = choiceBox(form.sections()[eCustomer])->lineEdit();
        QGuiApplication::clipboard()->setText(QStringLiteral("118/26\t\r\n\x01"));
        QTest::keyClick(pNumber, Qt::Key_V, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(QStringLiteral("ООО Ромашка\n"));
        QTest::keyClick(pCustomer, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(pCustomer, Qt::Key_Return);
        QCOMPARE(pNumber->text(), QStringLiteral("118/26"));
        const QString sPath = dir.filePath("a.rpt");
        QVERIFY(form.controller().writeProtocol(sPath));
        SJournalEntry entry;
        QVERIFY(CJournal(CJournal::fileIn(dir.path()), QString(), SJournalPlace())
                    .entryOf({QSysInfo::machineHostName(), sPath}, &entry));
        QCOMPARE(entry.sNumber + '|' + entry.sCustomer, QStringLiteral("118/26|ООО Ромашка"));
        QVERIFY(form.protocolHeading().contains("№118/26 от "));
        QVERIFY(form.buildProtocolHtml().contains("<p>2. Заказчик: ООО Ромашка.</p>"));
    }

    void windowFiltersOpensAndExports() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        CFusionWidget form(dir.path());
        CVEKConclusion::connectCommandBar(form);
        const QString sKept = dir.filePath("kept.rpt");
        writeFile(sKept, documentOf(form));
        QVERIFY(form.controller().openDocument(sKept)); // the folder the user works in
        CJournal journal(CJournal::fileIn(dir.path()), QString(), SJournalPlace());
        const QDateTime dtSaved(QDate(2026, 3, 6), QTime(9, 30));
        const SJournalEntry kept = entry("1/26", sKept, "ООО \"Ромашка\"; филиал", dtSaved);
        registerRow(journal, kept, true);
        registerRow(journal, entry("2/26", "/нет/такого.rpt", "=1+2", dtSaved.addDays(1)), false);
        const QString sPdf = dir.filePath("1-26.pdf");
        writeFile(sPdf, "%PDF-1.4 1/26");
        QVERIFY(journal.recordIssue(issued(kept, sha256Of(sPdf)), kept).isRecorded());
        const SJournalEntry amendment = entry("1/26-1", "/1-26-1.rpt", {}, dtSaved.addDays(-1));
        QVERIFY(
            journal.recordIssue(issued(amendment, QString(64, QLatin1Char('b')), "1/26"), amendment)
                .isRecorded());
        CJournalQueue(dir.filePath(CJournal::sQueueFileName))
            .add(entry("3/26", "/очередь.rpt", {}, dtSaved.addDays(2)), false);

        click(child<QToolButton>(&form, "btn_journal"));
        auto pWindow = form.findChild<CJournalWindow*>();
        QVERIFY(pWindow && pWindow->isVisible());
        auto pTable = child<QTableView>(pWindow, "tab_journal");
        QTRY_COMPARE(pTable->model()->rowCount(), 4); // the journal may answer late
        const QString sCsvPath = dir.filePath("journal.csv");
        dialogs.lstFileNames << sCsvPath;
        QSignalSpy exported(pWindow, &CJournalWindow::exported);
        click(child<QPushButton>(pWindow, "btn_export"));
        QCOMPARE(dialogs.lstFileRequests.last().sDir, dir.filePath("журнал.csv"));
        QVERIFY(exported.wait());
        const QString sExpected =
            "\uFEFFНомер;Дата;Заказчик;Объект;Методы;Документ;Сохранен;Пользователь;Компьютер;"
            "Состояние;Взамен;Заменен\r\n"
            "3/26;05.03.2026;;Резервуар;ультразвуковой;/очередь.rpt;08.03.2026 09:30;lab;ws1;"
            "ждет отправки в журнал;;\r\n"
            "2/26;05.03.2026;'=1+2;Резервуар;ультразвуковой;/нет/такого.rpt;07.03.2026 "
            "09:30;lab;ws1;черновик;;\r\n"
            "1/26;05.03.2026;\"ООО \"\"Ромашка\"\"; филиал\";Резервуар;ультразвуковой;" +
            sKept +
            ";06.03.2026 09:30;lab;ws1;заменен;;1/26-1\r\n"
            "1/26-1;05.03.2026;;Резервуар;ультразвуковой;/1-26-1.rpt;05.03.2026 09:30;lab;ws1;"
            "выдан;1/26 от 05.03.2026;\r\n";
        QCOMPARE(QString::fromUtf8(fileBytes(sCsvPath)), sExpected);

        auto doubleClickRow = [pTable](int iRow) {
            const QRect rect = pTable->visualRect(pTable->model()->index(iRow, 0));
            QTest::mouseClick(pTable->viewport(), Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(pTable->viewport(), Qt::LeftButton, {}, rect.center());
        };
        doubleClickRow(1);
        QCOMPARE(dialogs.texts(), QStringList("Файл «/нет/такого.rpt» не найден."));
        // the range: protocols dated from the day typed on; none of these
        auto pFrom = child<QDateEdit>(pWindow, "dedt_from");
        QTest::mouseClick(pFrom->findChild<QLineEdit*>(), Qt::LeftButton);
        QTest::keyClicks(pFrom, "06032026");
        QTRY_COMPARE(pTable->model()->rowCount(), 0);
        QTest::keyClick(pFrom, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pFrom, Qt::Key_Backspace);
        QTRY_COMPARE(pTable->model()->rowCount(), 4);
        // each state in turn: the queue's row is in none of them
        auto pState = child<QComboBox>(pWindow, "cmb_state");
        QStringList lstShown;
        for (int i = 0; i < 3; ++i) {
            // the rows of the state chosen come a moment after the key
            QSignalSpy answered(pWindow->model(), &CJournalModel::answered);
            QTest::keyClick(pState, Qt::Key_Down);
            QVERIFY(answered.wait());
            const QModelIndex state = pTable->model()->index(0, 9);
            lstShown << pState->currentText() + ": " +
                            QString::number(pTable->model()->rowCount()) + " " +
                            state.data().toString() + " " + state.data(Qt::ToolTipRole).toString();
        }
        QCOMPARE(lstShown, QStringList({"черновик: 1 черновик ",
                                        "выдан: 1 выдан Взамен протокола "
                                        "№ 1/26 от 05.03.2026",
                                        "заменен: 1 заменен Заменен протоколом № 1/26-1"}));
        QTest::keyClick(pState, Qt::Key_Home);
        QTRY_COMPARE(pTable->model()->rowCount(), 4);
        typeText(child<QLineEdit>(pWindow, "edt_filter"), "ромашка");
        QTRY_COMPARE(pTable->model()->rowCount(), 1);
        form.controller().newProtocol();
        doubleClickRow(0);
        QCOMPARE(form.controller().currentFile(), sKept);

        // a PDF checked in the window is told as "--verify" tells it
        dialogs.lstFileNames << sPdf;
        QSignalSpy verified(pWindow, &CJournalWindow::verified);
        click(child<QPushButton>(pWindow, "btn_verifyPdf"));
        QVERIFY(verified.wait());
        QCOMPARE(dialogs.texts().last(), "1-26.pdf: протокол № 1/26 от 05.03.2026, выдан "
                                         "07.12.2026 14:03 (Иванов, ws1), заменен протоколом № "
                                         "1/26-1");

        // a journal that cannot be read writes no CSV, and says why
        QVERIFY(QFile(CJournal::fileIn(dir.path())).resize(0));
        pWindow->exportCsv(dir.filePath("none.csv"));
        QVERIFY(exported.wait());
        QCOMPARE(exported.last().value(0).toString(),
                 "Журнал недоступен: файл журнала «" + CJournal::fileIn(dir.path()) +
                     "» пуст (0 байт) и оставлен как есть: восстановите его из резервной копии. "
                     "Файл «" +
                     dir.filePath("none.csv") + "» не записан.");
        QVERIFY(!QFile::exists(dir.filePath("none.csv")));
    }

    // Another program holding the journal locked holds no window: the save
    // returns within the window's budget, the row waits with its cause,
    // and the retry timer sends it once the lock is gone.
    void lockedJournalQueuesTheRow_data() { engines(); }
    void lockedJournalQueuesTheRow() {
        QFETCH(bool, bServer);
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        const SJournalPlace place = use(bServer);
        CJournalLink::iJournalRetryMs = 200;
        CFusionWidget form(dir.path());
        typeNumber(form, "1/26");
        QVERIFY(form.controller().writeProtocol(dir.filePath("a.rpt")));
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(),
                     QStringList(g_pLockFlag) +
                         (bServer ? QStringList{place.sHost, QString::number(place.iPort),
                                                place.sDatabase, place.sUser}
                                  : QStringList(CJournal::fileIn(dir.path()))));
        QVERIFY(holder.waitForReadyRead());
        typeNumber(form, "2/26");
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(form.controller().writeProtocol(dir.filePath("b.rpt")));
        // the document and the lists are written besides
        QVERIFY2(elapsed.elapsed() < CJournalService::iAnswerMs + 150,
                 qPrintable(QString::number(elapsed.elapsed())));
        QTRY_COMPARE(status(form), waiting(CJournal::sBusy));
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished());
        QTRY_COMPARE(status(form), QString());
        CJournal journal(CJournal::fileIn(dir.path()), QString(), place);
        QCOMPARE(rows(journal),
                 QStringList({"1/26 " + dir.filePath("a.rpt"), "2/26 " + dir.filePath("b.rpt")}));
        // with nothing waiting, the lock met by the journal window says
        // nothing of rows, however often
        CVEKConclusion::connectCommandBar(form);
        for (int i = 0; i < 2; ++i) {
            holder.start(holder.program(), holder.arguments());
            QVERIFY(holder.waitForReadyRead());
            click(child<QToolButton>(&form, "btn_journal"));
            QTRY_COMPARE(form.controller().journalLink().journal()->waitingFor(), CJournal::sBusy);
            QCoreApplication::processEvents();
            QCOMPARE(status(form), QString());
            holder.closeWriteChannel();
            QVERIFY(holder.waitForFinished());
            QCOMPARE(asked<int>(form, &CJournal::waitingCount), 0);
        }
    }

    // A row the queue read before a newer save of its place and sent after
    // it leaves the newer row as it is.
    void lateQueuedRowUndoesNoNewerSave() {
        QTemporaryDir dir;
        const QString sQueue = dir.filePath(CJournal::sQueueFileName);
        const QDateTime dtOlder = QDateTime::currentDateTime();
        CJournalQueue(sQueue).add(entry("5/26", "/a.rpt", {}, dtOlder), false);
        CJournal journal(CJournal::fileIn(dir.path()), QString(), SJournalPlace());
        QCOMPARE(registerRow(journal, entry("6/26", "/a.rpt", {}, dtOlder.addMSecs(1)), false),
                 CJournal::EResult::Registered);
        CJournal late(CJournal::fileIn(dir.path()), sQueue, SJournalPlace());
        QCOMPARE(late.flushQueue(), 0);
        QCOMPARE(rows(journal), QStringList({"6/26 /a.rpt"}));
        QVERIFY(late.queuedRows().isEmpty());
    }

    // The reference folder chosen is away at start: it is named, the rows
    // wait in the user's own queue and reach its journal when it is back;
    // no other folder gets a journal. What only this user may read is 0600
    // in folders of 0700.
    void folderAwayAtStartGetsItsRowsBack() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        const QString sShare = dir.filePath("share"), sApp = dir.filePath("app");
        QVERIFY(QDir().mkpath(sApp));
        openSettings()->setValue(SettingsKey::sReferenceFolder, sShare);
        CJournalLink::iJournalRetryMs = 200;
        CVEKConclusion window(nullptr, sApp);
        QTRY_VERIFY(
            dialogs.texts().value(0).startsWith("Папка справочников «" + sShare + "» недоступна"));
        CFusionWidget& form = *window.composer();
        typeNumber(form, "5/" + g_sYear);
        QVERIFY(form.controller().writeProtocol(dir.filePath("a.rpt")));
        QTRY_COMPARE(status(form), waiting("папка «" + sShare + "» недоступна"));
        // a customer learnt meanwhile waits beside the rows: the line tells both
        enterChoice(form.sections()[eCustomer], QStringLiteral("ООО Ромашка"));
        QVERIFY(form.controller().writeProtocol(dir.filePath("a.rpt")));
        QTRY_COMPARE(status(form),
                     waiting("папка «" + sShare + "» недоступна") +
                         " · Изменения справочников ждут записи (1): Папка справочников «" +
                         sShare +
                         "» недоступна: изменения будут записаны, когда она станет "
                         "доступна");
        typeNumber(form, "6/" + g_sYear); // unsaved: the recovery timer keeps a copy
        QTRY_VERIFY(!form.controller().recoveryPath().isEmpty() &&
                    QFile::exists(form.controller().recoveryPath()));
        const QString sOwn = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString sSettings = openSettings()->fileName();
        const auto ePrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ReadUser | QFileDevice::WriteUser;
        for (const QString& sFile : {form.controller().journalLink().journal()->queueFile(),
                                     form.controller().recoveryPath(), sSettings}) {
            QCOMPARE(QFile::permissions(sFile), ePrivate);
            QCOMPARE(QFile::permissions(QFileInfo(sFile).absolutePath()),
                     ePrivate | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        }
        QVERIFY(QDir().mkpath(sShare));
        QTRY_COMPARE(status(form), QString());
        QVERIFY(form.controller().writeProtocol(dir.filePath("b.rpt")));
        // unmounted again, the share leaves its empty mount point: that is
        // no laboratory folder, and nothing is written into it
        const QString sMounted = sShare + ".mounted";
        QVERIFY(QDir().rename(sShare, sMounted) && QDir().mkpath(sShare));
        typeNumber(form, "7/" + g_sYear);
        QVERIFY(form.controller().writeProtocol(dir.filePath("c.rpt")));
        QVERIFY(!CSpellChecker::shared().addWord("дефектоскопист"));
        QTRY_COMPARE(status(form), waiting("папка «" + sShare +
                                           "» пуста, хотя в ней были справочники лаборатории; "
                                           "видимо, общая папка не подключена"));
        QVERIFY(QDir().rmdir(sShare)); // nothing was written there
        QVERIFY(QDir().rename(sMounted, sShare));
        QTRY_COMPARE(status(form), QString());
        CJournal journal(CJournal::fileIn(sShare), QString(), SJournalPlace());
        QCOMPARE(rows(journal), QStringList({"5/" + g_sYear + " " + dir.filePath("a.rpt"),
                                             "6/" + g_sYear + " " + dir.filePath("b.rpt"),
                                             "7/" + g_sYear + " " + dir.filePath("c.rpt")}));
        QVERIFY(!QFile::exists(CJournal::fileIn(sApp)) && !QFile::exists(CJournal::fileIn(sOwn)));
        // where the laboratory really empties its folder, it starts anew there
        QVERIFY(QDir(sShare).removeRecursively() && QDir().mkpath(sShare));
        dialogs.lstDialogActions << [](QDialog* pDialog) {
            pDialog->accept();
            return pDialog->result();
        };
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QToolButton>(&form, "btn_settings"));
        QVERIFY(dialogs.texts().last().endsWith(
            "Начать справочники и журнал лаборатории в этой папке заново?"));
        typeNumber(form, "8/" + g_sYear);
        QVERIFY(form.controller().writeProtocol(dir.filePath("d.rpt")));
        QCOMPARE(status(form), QString());
        QVERIFY(QFile::exists(QDir(sShare).filePath(CReferenceFiles::sTechniciansFile)));
    }

    // A folder that may not be written (a read-only share) is read and
    // left as it is; the rows wait with their cause, and the header it
    // cannot take is told once, not at every save.
    void readOnlyFolderIsReadAndToldOnce() {
        QTemporaryDir dir, docs;
        CScriptedDialogs dialogs;
        const QString sShare = dir.filePath("share"), sApp = dir.filePath("app");
        QVERIFY(QDir().mkpath(sApp) && QDir().mkpath(sShare));
        openSettings()->setValue(SettingsKey::sReferenceFolder, sShare);
        // what the window shows once it has saved, and once the folder
        // may be written again
        const auto save = [&](const QStringList& lstNumbers, QString* pShown = nullptr) {
            CVEKConclusion window(nullptr, sApp);
            CFusionWidget& form = *window.composer();
            QTest::qWait(1); // started before the user types
            for (const QString& sNumber : lstNumbers) {
                QLineEdit* pLab = child<QLineEdit>(&form, "edt_labName");
                pLab->selectAll();
                typeText(pLab, "Лаборатория " + sNumber);
                typeNumber(form, sNumber);
                form.controller().writeProtocol(docs.filePath(sNumber.left(1) + ".rpt"));
            }
            if (!pShown)
                return;
            *pShown = status(form);
            QProcess::execute("chattr", {"-i", sShare, CJournal::fileIn(sShare)});
            QTRY_COMPARE(status(form), QString()); // the rows reach the journal
        };
        save({"1/26"});
        const QString sTechnicians = QDir(sShare).filePath(CReferenceFiles::sTechniciansFile);
        const QByteArray lists = fileBytes(sTechnicians);
        // a read-only mount: SQLite opens the journal to be read only
        if (QProcess::execute("chattr", {"+i", sShare, CJournal::fileIn(sShare)}) != 0)
            QSKIP("chattr +i is not supported on this file system");
        CJournalLink::iJournalRetryMs = 200;
        QString sShown;
        save({"2/26", "3/26"}, &sShown);
        QProcess::execute("chattr", {"-i", sShare, CJournal::fileIn(sShare)});
        QCOMPARE(sShown, waiting("файл «" + CJournal::fileIn(sShare) + "» защищен от записи"));
        QCOMPARE(dialogs.texts().filter("недоступна для записи").size(), 1);
        QCOMPARE(fileBytes(sTechnicians), lists);
        CJournal journal(CJournal::fileIn(sShare), QString(), SJournalPlace());
        QCOMPARE(rows(journal).size(), 3);
    }

    // Two operating-system users of one group share the journal of a folder
    // the group may write; a folder it may not write names the file and
    // its owner. A document saved there is the group's to write too.
    void secondUserSharesTheJournal() {
        if (geteuid() != 0 || QProcess::execute("runuser", {"-u", "daemon", "--",
                                                            QCoreApplication::applicationFilePath(),
                                                            "-functions"}) != 0)
            QSKIP("runuser needs root, and a build folder other users may enter");
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755));
        const QString sShared = dir.filePath("shared"), sOwn = dir.filePath("own");
        for (const auto& [sFolder, sMode, sOwner] :
             {std::tuple{sShared, "2775", "root:users"}, {sOwn, "0755", "daemon:users"}}) {
            QVERIFY(QDir().mkpath(sFolder));
            QProcess::execute("chown", {sOwner, sFolder});
            QProcess::execute("chmod", {sMode, sFolder});
        }
        QCOMPARE(registerAsUser("daemon", CJournal::fileIn(sShared), "1/26"), "0 ");
        QCOMPARE(registerAsUser("bin", CJournal::fileIn(sShared), "2/26"), "0 ");
        QVERIFY(QFile::permissions(CJournal::fileIn(sShared)) & QFileDevice::WriteGroup);
        QCOMPARE(registerAsUser("daemon", CJournal::fileIn(sOwn), "3/26"), "0 ");
        QCOMPARE(registerAsUser("bin", CJournal::fileIn(sOwn), "4/26"),
                 "2 нет прав на запись в файл «" + CJournal::fileIn(sOwn) +
                     "», его владелец — daemon");
        QVERIFY(saveFileBytes(sShared + "/p.rpt", "protocol"));
        QVERIFY(QFile::permissions(sShared + "/p.rpt") & QFileDevice::WriteGroup);
    }

    // An emptied or damaged journal is kept as it is, named with its
    // cause, and the row waits.
    void damagedJournalIsKept_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("sCause");
        QTest::newRow("emptied") << QByteArray()
                                 << "файл журнала «%1» пуст (0 байт) и оставлен как есть: "
                                    "восстановите его из резервной копии";
        QTest::newRow("not a database") << QByteArray(4096, 'x')
                                        << "файл журнала «%1» поврежден и оставлен как есть "
                                           "(file is not a database)";
    }
    void damagedJournalIsKept() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sCause);
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        writeFile(CJournal::fileIn(dir.path()), bytes);
        CFusionWidget form(dir.path());
        typeNumber(form, "1/26");
        QVERIFY(form.controller().writeProtocol(dir.filePath("a.rpt")));
        QTRY_COMPARE(status(form), waiting(sCause.arg(CJournal::fileIn(dir.path()))));
        QCOMPARE(fileBytes(CJournal::fileIn(dir.path())), bytes);
        QCOMPARE(asked<int>(form, &CJournal::waitingCount), 1);
    }

    // The number offered follows the year's latest, past those the queue
    // holds; none is offered without its reason, and a save without one asks.
    void offeredNumbers() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        CFusionWidget form(dir.path());
        QVERIFY(form.controller().newProtocol());
        QTRY_COMPARE(status(form), "Номер протокола не предложен: в журнале нет протоколов " +
                                       QString::number(QDate::currentDate().year()) + " года");
        dialogs.lstAnswers << CUserDialogs::No;
        QVERIFY(!form.controller().writeProtocol(dir.filePath("a.rpt")));
        QCOMPARE(dialogs.texts(), QStringList("У протокола нет номера. Сохранить его без номера?"));
        dialogs.lstAnswers << CUserDialogs::Yes;
        QVERIFY(form.controller().writeProtocol(dir.filePath("none.rpt")));
        QVERIFY(form.controller().newProtocol());
        QTRY_VERIFY(!status(form).isEmpty());
        QVERIFY(form.controller().openDocument(dir.filePath("none.rpt"))); // a file, not new
        QCOMPARE(status(form), QString());
        QVERIFY(form.controller().newProtocol());
        QTRY_VERIFY(!status(form).isEmpty());
        typeNumber(form, "1/" + g_sYear); // the note has nothing more to say
        QTRY_COMPARE(status(form), QString());
        dialogs.lstAnswers << CUserDialogs::No; // the typed number is given up
        const QDateTime dtNow = QDateTime::currentDateTime();
        CJournal made(CJournal::fileIn(dir.path()), QString(), SJournalPlace());
        registerRow(made, entry(g_sYear + "/" + g_sYear, "/a.rpt", {}, dtNow, dtNow.date()), false);
        CJournalQueue(dir.filePath(CJournal::sQueueFileName))
            .add(entry(QString::number(g_sYear.toInt() + 1) + "/" + g_sYear, "/b.rpt", {}, dtNow,
                       dtNow.date()),
                 false);
        QVERIFY(form.controller().newProtocol());
        QCOMPARE(form.protocolNumber(), QString::number(g_sYear.toInt() + 2) + "/" + g_sYear);
    }

    // An issue is recorded once and found by its place and by its PDF; an
    // amendment is registered with its issue, marks the protocol it
    // replaces, which no second amendment replaces again, and sets no
    // pattern; "--verify" tells the issued PDF from a changed copy, an
    // unknown file and a missing one, by its exit status too.
    void issuesAreRecordedReplacedAndVerified_data() { engines(); }
    void issuesAreRecordedReplacedAndVerified() {
        QFETCH(bool, bServer);
        QTemporaryDir dir;
        CJournal journal(CJournal::fileIn(dir.path()), QString(), use(bServer));
        openSettings()->setValue(SettingsKey::sReferenceFolder, dir.path());
        const QString sPdf = dir.filePath("118-26.pdf");
        writeFile(sPdf, "%PDF-1.4 118/26");
        const SJournalEntry original = entry("118/26", "/118-26.rpt");
        QCOMPARE(registerRow(journal, original, false), CJournal::EResult::Registered);
        QVERIFY(journal.recordIssue(issued(original, sha256Of(sPdf)), original).isRecorded());
        QCOMPARE(journal.recordIssue(issued(original, sha256Of(sPdf)), original).sProblem,
                 "протокол № 118/26 от 05.03.2026 уже выдан 07.12.2026 14:03 (Иванов, ws1)");
        QCOMPARE(journal.nextAmendmentNumber("118/26").sNumber, "118/26-1");
        const SJournalEntry amendment = entry("118/26-1", "/118-26-1.rpt");
        const QString sOther = QString(64, QLatin1Char('b'));
        QVERIFY(journal.recordIssue(issued(amendment, sOther, "118/26"), amendment).isRecorded());
        QCOMPARE(journal.nextAmendmentNumber("118/26-1").sNumber, "118/26-2");
        QCOMPARE(journal.nextNumber(2026).sNumber, "119/26");
        const SJournalEntry second = entry("118/26-2", "/118-26-2.rpt");
        QCOMPARE(journal.recordIssue(issued(second, sOther, "118/26"), second).sProblem,
                 "протокол № 118/26 от 05.03.2026 уже заменен протоколом № 118/26-1");
        QCOMPARE(rows(journal), QStringList({"118/26 /118-26.rpt", "118/26-1 /118-26-1.rpt"}));
        const SIssueState state = journal.issueOf(original.place());
        QCOMPARE(state.record.describe(), "протокол № 118/26 от 05.03.2026, выдан 07.12.2026 "
                                          "14:03 (Иванов, ws1), заменен протоколом № 118/26-1");
        QCOMPARE(journal.issueOfPdf(sOther.toUpper()).record.sReplacesNumber, "118/26");
        QVERIFY(!journal.issueOf({"ws1", "/118-26-2.rpt"}).bIssued);
        registerRow(journal, entry("120/26", "/120-26.rpt"), false);
        QCOMPARE(numbersIn(journal, EProtocolState::Draft), QStringList("120/26"));
        QCOMPARE(numbersIn(journal, EProtocolState::Issued), QStringList("118/26-1"));
        QCOMPARE(numbersIn(journal, EProtocolState::Replaced), QStringList("118/26"));

        const QString sChanged = dir.filePath("118-26-changed.pdf");
        writeFile(sChanged, "%PDF-1.4 118/27");
        const QString sUnknown = dir.filePath("unknown.pdf");
        writeFile(sUnknown, "%PDF-1.4");
        const auto [sOut, iStatus] =
            verifyCommand({sPdf, sChanged, sUnknown, dir.filePath("none.pdf"), dir.path()});
        QCOMPARE(sOut, sPdf + ": " + state.record.describe() + "\n" + sChanged +
                           ": не найден среди выданных\n" + sUnknown +
                           ": не найден среди выданных\n" + dir.filePath("none.pdf") +
                           ": файл не найден\n" + dir.path() + ": это папка, а не файл\n");
        QCOMPARE(iStatus, 1);
        QCOMPARE(verifyCommand({sPdf}).second, 0);
    }

    // A journal of an earlier version keeps its rows, and takes issues; two
    // workstations' files of one path get a row each.
    void earlierJournalIsMigratedInPlace_data() { engines(); }
    void earlierJournalIsMigratedInPlace() {
        QFETCH(bool, bServer);
        QTemporaryDir dir;
        const SJournalPlace place = bServer ? server.place() : SJournalPlace();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(bServer ? "QPSQL" : "QSQLITE", "v1");
            db.setDatabaseName(bServer ? place.sDatabase : CJournal::fileIn(dir.path()));
            db.setHostName(place.sHost);
            db.setPort(place.iPort);
            db.setUserName(place.sUser);
            QVERIFY(db.open());
            QSqlQuery query(db);
            if (bServer)
                QVERIFY(query.exec("DROP TABLE IF EXISTS issues, protocols, journal_schema"));
            const QString sId =
                bServer ? "SERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT";
            for (const QString& sSql :
                 {QString("CREATE TABLE journal_schema (id INTEGER PRIMARY KEY CHECK (id = 1), "
                          "version INTEGER NOT NULL)"),
                  QString("INSERT INTO journal_schema VALUES (1, 1)"),
                  "CREATE TABLE protocols (id " + sId +
                      ", number TEXT, "
                      "year INTEGER NOT NULL, protocol_date TEXT NOT NULL, customer TEXT NOT "
                      "NULL, object TEXT NOT NULL, methods TEXT NOT NULL, path TEXT NOT NULL, "
                      "search TEXT NOT NULL, first_saved TEXT NOT NULL, saved TEXT NOT NULL, "
                      "user_name TEXT NOT NULL, host TEXT NOT NULL)",
                  QString("CREATE UNIQUE INDEX protocols_number_year ON protocols (number, year)"),
                  QString("CREATE INDEX protocols_path ON protocols (path)"),
                  QString("INSERT INTO protocols (number, year, protocol_date, customer, object, "
                          "methods, path, search, first_saved, saved, user_name, host) VALUES "
                          "('201/26', 2026, '2026-03-05', '', '', '', '/p.rpt', '201/26', "
                          "'2026-03-05 10:00:00', '2026-03-05 10:00:00', 'lab', 'ws1')")})
                QVERIFY2(query.exec(sSql), qPrintable(sSql));
        }
        QSqlDatabase::removeDatabase("v1");
        CJournal journal(CJournal::fileIn(dir.path()), QString(), place);
        SJournalEntry other = entry("202/26", "/p.rpt");
        other.sHost = "ws2";
        QCOMPARE(registerRow(journal, other, false), CJournal::EResult::Registered);
        QCOMPARE(rows(journal), QStringList({"201/26 /p.rpt", "202/26 /p.rpt"}));
        QSqlQuery version(journal.database());
        QVERIFY(version.exec("SELECT version FROM journal_schema") && version.next());
        QCOMPARE(version.value(0).toInt(), 3);
        const SJournalEntry kept = entry("201/26", "/p.rpt");
        QVERIFY(
            journal.recordIssue(issued(kept, QString(64, QLatin1Char('c'))), kept).isRecorded());
    }

    // A full disk is said to be full, for the document and for the journal.
    void fullDiskIsNamed() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        const QString sFull = dir.filePath("full");
        CFullDisk disk(sFull);
        if (!disk.isMounted())
            QSKIP("no file system of the test's own can be mounted here");
        CFusionWidget form(dir.path(), nullptr, dir.path(), sFull); // the queue has room
        typeNumber(form, "1/26");
        QVERIFY(form.controller().writeProtocol(sFull + "/a.rpt")); // the journal is made
        disk.fill();
        typeNumber(form, "2/26");
        QVERIFY(form.controller().writeProtocol(dir.filePath("b.rpt")));
        const QString sNoRoom = "на диске с папкой «" + sFull + "» нет места";
        QTRY_COMPARE(status(form), waiting(sNoRoom));
        typeNumber(form, "3/26");
        QVERIFY(!form.controller().writeProtocol(sFull + "/c.rpt"));
        QVERIFY2(
            dialogs.texts().last().endsWith("Файл «" + sFull + "/c.rpt» не записан: " + sNoRoom),
            qPrintable(dialogs.texts().last()));
    }

    // libpq reads no ~/.pgpass others may read, and says so only on its
    // standard error: the journal names the file and its mode.
    void ignoredPasswordFileIsNamed() {
        QTemporaryDir dir;
        const QString sFile = dir.filePath("pgpass");
        writeFile(sFile, "*:*:*:" + CPostgresServer::sPasswordUser.toUtf8() + ":" +
                             CPostgresServer::sPassword.toUtf8() + "\n");
        QFile::setPermissions(sFile, QFileDevice::Permissions(0x6644));
        qputenv("PGPASSFILE", sFile.toLocal8Bit());
        SJournalPlace place = server.place();
        place.sUser = CPostgresServer::sPasswordUser;
        QCOMPARE(CJournal::connectionProblem(place),
                 "пароль пользователя «secret» не принят: libpq не читает файл «" + sFile +
                     "»: его права 0644 открывают его другим пользователям; нужны права 0600 "
                     "(chmod 0600 " +
                     sFile + ")");
        // read now, the password gets the user in (who may make no tables)
        QFile::setPermissions(sFile, QFileDevice::Permissions(0x6600));
        QVERIFY(CJournal::connectionProblem(place).startsWith(
            "пользователю «secret» нельзя создавать таблицы"));
        qunsetenv("PGPASSFILE");
    }
};

int main(int argc, char* argv[]) {
    if (argc > 2 && qstrcmp(argv[1], g_pLockFlag) == 0) {
        QCoreApplication app(argc, argv);
        return holdLock(app.arguments().mid(2));
    }
    if (argc == 5 && qstrcmp(argv[1], g_pRegisterFlag) == 0) {
        QCoreApplication app(argc, argv);
        return registerAs(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                          QString::fromLocal8Bit(argv[4]));
    }
    QApplication app(argc, argv);
    TestJournal test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_journal.moc"
