// The protocol journal, on SQLite and on a PostgreSQL server of the test's
// own. Guards: a save registers its row and a second save does not add one;
// a number another file holds is asked about, No writing nothing and Yes
// moving the row while keeping when it was first registered; two
// workstations racing for one number cannot both get it; a server out of
// reach loses no row; the next number follows the laboratory's pattern; the
// window filters, opens, says when a file is gone and exports the bytes a
// spreadsheet reads.
#include "base/settings.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/journalwindow.h"
#include "storage/journal.h"
#include "storage/settingskeys.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/postgresserver.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QSqlQuery>
#include <QtTest>
#include <QtWidgets>

#include <atomic>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString g_sJournalFile = QStringLiteral("journal.sqlite");

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
                    const QDateTime& dtSaved = QDateTime::currentDateTime()) {
    SJournalEntry e;
    e.sNumber = sNumber;
    e.dtDate = QDate(2026, 3, 5);
    e.sCustomer = sCustomer;
    e.sObject = QStringLiteral("Резервуар");
    e.sMethods = QStringLiteral("ультразвуковой");
    e.sPath = sPath;
    e.dtSaved = dtSaved;
    e.sUser = QStringLiteral("lab");
    e.sHost = QStringLiteral("ws1");
    return e;
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
    }

    // the next test starts with the journal and folder of its own
    void cleanup() {
        SJournalPlace().store();
        openSettings()->remove(SettingsKey::sReferenceFolder);
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
        QCOMPARE(dialogs.texts().last(),
                 "Протокол №118/26 уже зарегистрирован: " + a +
                     ". Следующий свободный номер: 119/26. Сохранить с этим номером?");

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
                    journal.registerProtocol(entry("7/26", QString("/ws%1.rpt").arg(i)), false);
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
        CFusionWidget form(dir.path());
        typeNumber(form, "200/26");
        QVERIFY(server.stop());
        QVERIFY(form.controller().writeProtocol(dir.filePath("a.rpt")));
        QVERIFY(dialogs.lstMessages.isEmpty());
        auto pStatus = child<QLabel>(&form, "lbl_status");
        QCOMPARE(pStatus->text(),
                 QStringLiteral("Журнал недоступен: запись будет добавлена позже"));
        // closing now says the row waits for the next start
        form.controller().announceWaitingRows();
        QCOMPARE(dialogs.texts(),
                 QStringList({"Записей журнала ждут отправки на сервер: 1. Они будут отправлены "
                              "при следующем запуске программы, когда сервер будет доступен."}));

        QCOMPARE(server.start(), QString());
        form.controller().flushJournal();
        QTRY_COMPARE(pStatus->text(), QString());
        form.controller().announceWaitingRows(); // nothing waits: nothing said
        QCOMPARE(dialogs.texts().size(), 1);
        CJournal journal(QString(), QString(), server.place());
        QCOMPARE(rows(journal), QStringList({"200/26 " + dir.filePath("a.rpt")}));
    }

    void replacingARegisteredProtocolIsAsked() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        CFusionWidget form(dir.path());
        const QString sFirst = dir.filePath("1-26.rpt");
        typeNumber(form, "1/26");
        QVERIFY(form.controller().writeProtocol(sFirst));
        const QByteArray first = fileBytes(sFirst);
        CJournal& journal = *form.controller().journal();
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
        CJournal::iRetryAfterMs = 0; // every save asks the server again
        CFusionWidget a(homeA.path(), nullptr, homeA.path(), shared.path());
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
        b.controller().flushJournal();
        a.controller().flushJournal();
        const QString sRefused = "Протокол «" + sA +
                                 "» не внесен в журнал: номер 7/26 уже зарегистрирован (" + sB +
                                 ").";
        QTRY_COMPARE(dialogs.texts(), QStringList({sRefused}));
        // kept, shown with its file, and told once
        a.controller().flushJournal();
        click(child<QToolButton>(&a, "btn_journal"));
        auto pWindow = a.findChild<CJournalWindow*>();
        QTRY_VERIFY(pWindow && pWindow->model()->refusedCount() == 1);
        QCOMPARE(pWindow->model()->pathAt(0), sA);
        QCOMPARE(dialogs.texts().size(), 1);
        // saved under another number, it is registered and leaves the queue
        typeNumber(a, "8/26");
        QVERIFY(a.controller().writeProtocol(sA));
        QVERIFY(a.controller().journal()->queuedRows().isEmpty());
        QCOMPARE(rows(*a.controller().journal()), QStringList({"7/26 " + sB, "8/26 " + sA}));

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
        CJournal::iRetryAfterMs = 10000;
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
        QCOMPARE(target.registerProtocol(entry("2/26", other.filePath("x.rpt")), false),
                 CJournal::EResult::Registered);
        CFusionWidget form(dir.path());
        for (const char* pNumber : {"1/26", "2/26"}) {
            typeNumber(form, pNumber);
            QVERIFY(
                form.controller().writeProtocol(dir.filePath(QString(pNumber).left(1) + ".rpt")));
        }
        dialogs.lstDialogActions << [&](QDialog* pDialog) {
            child<QLineEdit>(pDialog, "edt_folder")->setText(other.path());
            pDialog->accept();
            return pDialog->result();
        };
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QToolButton>(&form, "btn_settings"));
        QCOMPARE(dialogs.texts().value(0),
                 "Журнал протоколов теперь: " + CJournal::fileIn(other.path()) + " (был: " +
                     CJournal::fileIn(dir.path()) + ").\nПеренести записей журнала: 1?");
        QVERIFY(dialogs.texts().value(1).endsWith("2/26 (" + dir.filePath("2.rpt") + ")"));
        QCOMPARE(rows(target),
                 QStringList({"1/26 " + dir.filePath("1.rpt"), "2/26 " + other.filePath("x.rpt")}));
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
        QVERIFY(form.controller().journal()->entryOf(sPath, &entry));
        QCOMPARE(entry.sNumber + '|' + entry.sCustomer, QStringLiteral("118/26|ООО Ромашка"));
        QVERIFY(form.protocolHeading().contains("№118/26 от "));
        QVERIFY(form.buildProtocolHtml().contains("<p>2. Заказчик: ООО Ромашка.</p>"));
    }

    void windowFiltersOpensAndExports() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        use(false);
        CFusionWidget form(dir.path());
        const QString sKept = dir.filePath("kept.rpt");
        QVERIFY(form.controller().writeProtocol(sKept));
        QVERIFY(form.controller().openDocument(sKept)); // the folder the user works in
        CJournal& journal = *form.controller().journal();
        const QDateTime dtSaved(QDate(2026, 3, 6), QTime(9, 30));
        journal.registerProtocol(entry("1/26", sKept, "ООО \"Ромашка\"; филиал", dtSaved), true);
        journal.registerProtocol(entry("2/26", "/нет/такого.rpt", "=1+2", dtSaved.addDays(1)),
                                 false);

        click(child<QToolButton>(&form, "btn_journal"));
        auto pWindow = form.findChild<CJournalWindow*>();
        QVERIFY(pWindow && pWindow->isVisible());
        auto pTable = child<QTableView>(pWindow, "tab_journal");
        QCOMPARE(pTable->model()->rowCount(), 2);
        const QString sCsvPath = dir.filePath("journal.csv");
        dialogs.lstFileNames << sCsvPath;
        click(child<QPushButton>(pWindow, "btn_export"));
        QCOMPARE(dialogs.lstFileRequests.last().sDir, dir.filePath("журнал.csv"));
        const QString sExpected =
            "\uFEFFНомер;Дата;Заказчик;Объект;Методы;Документ;Сохранен;Пользователь;Компьютер\r\n"
            "2/26;05.03.2026;'=1+2;Резервуар;ультразвуковой;/нет/такого.rpt;07.03.2026 "
            "09:30;lab;ws1\r\n"
            "1/26;05.03.2026;\"ООО \"\"Ромашка\"\"; филиал\";Резервуар;ультразвуковой;" +
            sKept + ";06.03.2026 09:30;lab;ws1\r\n";
        QCOMPARE(QString::fromUtf8(fileBytes(sCsvPath)), sExpected);

        auto doubleClickRow = [pTable](int iRow) {
            const QRect rect = pTable->visualRect(pTable->model()->index(iRow, 0));
            QTest::mouseClick(pTable->viewport(), Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(pTable->viewport(), Qt::LeftButton, {}, rect.center());
        };
        doubleClickRow(0);
        QCOMPARE(dialogs.texts(), QStringList("Файл «/нет/такого.rpt» не найден."));
        // the range: protocols dated from the day typed on; none of these
        auto pFrom = child<QDateEdit>(pWindow, "dedt_from");
        QTest::mouseClick(pFrom->findChild<QLineEdit*>(), Qt::LeftButton);
        QTest::keyClicks(pFrom, "06032026");
        QCOMPARE(pTable->model()->rowCount(), 0);
        QTest::keyClick(pFrom, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pFrom, Qt::Key_Backspace);
        QCOMPARE(pTable->model()->rowCount(), 2);
        typeText(child<QLineEdit>(pWindow, "edt_filter"), "ромашка");
        QCOMPARE(pTable->model()->rowCount(), 1);
        form.controller().newProtocol();
        doubleClickRow(0);
        QCOMPARE(form.controller().currentFile(), sKept);
    }
};

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
