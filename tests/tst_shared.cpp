// Several workstations on one folder of reference files. Guards: every
// change of the lists is one operation on what the folder holds at that
// moment, so nothing a colleague adds, changes or deletes is undone:
// programs saving at once lose nothing, nor does one that was busy while
// the other saved; a question left open acts on the entry it asked about;
// a deletion is not undone by another panel, another workstation or an
// older protocol; a change made while the folder was away waits, is
// written when it returns, and gives way to a later one of a colleague; a
// damaged file is named at start and never overwritten; a killed program's
// lock blocks nobody; words added to the shared dictionary at once are all
// kept; the folder chosen in "Настройки" is used.
#include "app/vekconclusion.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "items/spellchecker.h"
#include "refdata/widgetspecial.h"
#include "refdata/widgettool.h"
#include "results/conclusion.h"
#include "storage/referencefiles.h"
#include "storage/referencelists.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/largeprotocol.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const char* const g_pAddFlag = "--add";
const char* const g_pLockFlag = "--hold-lock";
const char* const g_pWordsFlag = "--add-words";
constexpr int g_iEntries = 50;
const QString g_sUltrasonic = QStringLiteral("ультразвуковому");

// Waits, turning the event loop, until nothing waits to be written.
bool allWritten(const CReferenceLists& lists) {
    QElapsedTimer timer;
    timer.start();
    while (lists.waitingChanges() > 0 && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return lists.waitingChanges() == 0;
}

// A child program: adds 50 specialists, instruments and customers of its
// own, one operation each.
int addEntries(const QString& sDir, const QString& sTag) {
    CReferenceLists lists(sDir, QString());
    for (int i = 0; i < g_iEntries; ++i) {
        const QString sName = QStringLiteral("%1-%2").arg(sTag).arg(i);
        lists.saveSpecialist({sName, "1", g_sUltrasonic, QDate(2027, 1, 1), 1, "НАКС"});
        lists.addTool({sName, {{"1", "С", QDate(2027, 1, 1), true}}});
        lists.addGround(sName, QStringLiteral("договор"));
    }
    return allWritten(lists) ? 0 : 1;
}

// A child program that takes a file's lock and waits to be killed.
int holdLock(const QString& sPath) {
    QLockFile lock(sPath + ".lock");
    if (!lock.lock())
        return 1;
    std::printf("locked\n");
    std::fflush(stdout);
    QThread::sleep(60);
    return 0;
}

// A child program adding 20 words of its own to the shared dictionary.
int addWords(const QString& sPath, const QString& sTag) {
    CSpellChecker checker{QString()};
    checker.setUserDictionary(sPath);
    for (int i = 0; i < 20; ++i) {
        if (!checker.addWord(QStringLiteral("квакз%1%2").arg(sTag).arg(QChar(0x430 + i))))
            return 1;
    }
    return 0;
}

QStringList names(const QList<Specialist>& lst) {
    QStringList lstNames;
    for (const Specialist& s : lst)
        lstNames << s.sName;
    return lstNames;
}
QStringList names(const QList<Tool>& lst) {
    QStringList lstNames;
    for (const Tool& t : lst)
        lstNames << t.sName;
    return lstNames;
}

SReferenceLists folderLists(const QString& sDir) {
    CReferenceStore store(sDir, QString());
    return store.load();
}

CWidgetSpecial* firstPanel(CFusionWidget& form) {
    return form.conclusions()[0]->panels()[0];
}

// "Сохранить данные" for a specialist typed into the first panel.
void saveSpecialist(CFusionWidget& form, const QString& sName, const QString& sNumber) {
    QComboBox* pName = child<QComboBox>(firstPanel(form), "cmb_name");
    pName->setCurrentIndex(0);
    pName->lineEdit()->clear();
    typeText(pName->lineEdit(), sName);
    typeText(child<QComboBox>(firstPanel(form), "cmb_licenseNum")->lineEdit(), sNumber);
    click(child<QPushButton>(firstPanel(form), "btn_saveSpec"));
}

// A new instrument name entered in the first instrument panel.
void enterInstrument(CFusionWidget& form, const QString& sName) {
    QComboBox* pBox = child<QComboBox>(form.findChildren<CWidgetTool*>().first(), "cmb_tools");
    pBox->setCurrentIndex(0);
    pBox->lineEdit()->clear();
    typeText(pBox->lineEdit(), sName);
    QTest::keyClick(pBox->lineEdit(), Qt::Key_Return);
    QCoreApplication::processEvents(); // the box is done with the Enter first
}

const Specialist ivanov{"Иванов",
                        {{"01", "НАКС", {{g_sUltrasonic, QDate(2027, 1, 1), 1}}},
                         {"02", "НАКС", {{"магнитному", QDate(2027, 2, 1), 1}}}}};
} // namespace

class TestShared : public QObject {
    Q_OBJECT
private slots:
    void programsSavingAtOnceLoseNothing() {
        QTemporaryDir dir;
        writeListFiles(dir.path(),
                       {{{"Иванов", {}}}, {}, {{"ООО Ромашка", {"договор 1"}}}, {}, {}});
        QList<QProcess*> lstChildren;
        for (const char* pTag : {"A", "B", "C"}) {
            auto pChild = new QProcess(this);
            pChild->start(QCoreApplication::applicationFilePath(), {g_pAddFlag, dir.path(), pTag});
            lstChildren << pChild;
        }
        for (QProcess* pChild : lstChildren) {
            QVERIFY(pChild->waitForFinished(100000));
            QCOMPARE(pChild->exitCode(), 0);
        }
        const SReferenceLists read = folderLists(dir.path());
        QCOMPARE(read.lstTechnicians.size(), 1 + 3 * g_iEntries);
        QCOMPARE(read.lstTools.size(), 3 * g_iEntries);
        QCOMPARE(read.lstOrganizations.size(), 1 + 3 * g_iEntries);
        QVERIFY(names(read.lstTechnicians).contains("C-49"));
    }

    // A is busy (no turn of its event loop) while B saves a specialist; A
    // then saves two of its own: B's is kept, in the file and in both forms.
    void oneBusyWhileTheOtherSaves() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget a(dir.path()), b(dir.path());
        saveSpecialist(b, "Спец B-1", "B1");
        saveSpecialist(a, "Спец A-1", "A1");
        QTest::qWait(300);
        saveSpecialist(a, "Спец A-2", "A2");
        const QStringList lstAll = {"Спец B-1", "Спец A-1", "Спец A-2"};
        QCOMPARE(names(folderLists(dir.path()).lstTechnicians), lstAll);
        QTRY_COMPARE(names(b.lists().technicians()), lstAll);
        QCOMPARE(names(a.lists().technicians()), lstAll);
        QCOMPARE(child<QComboBox>(firstPanel(b), "cmb_name")->count(), 4);
    }

    // Two programs add twelve entries each, in turn, each taking in the
    // other's between: specialists, instruments and customers.
    void addingInTurnLosesNothing_data() {
        QTest::addColumn<int>("iKind");
        QTest::newRow("specialists") << 0;
        QTest::newRow("instruments") << 1;
        QTest::newRow("customers") << 2;
    }
    void addingInTurnLosesNothing() {
        QFETCH(int, iKind);
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget a(dir.path()), b(dir.path());
        const auto add = [iKind](CFusionWidget& form, const QString& sName) {
            if (iKind == 0)
                saveSpecialist(form, sName, "1");
            else if (iKind == 1)
                enterInstrument(form, sName);
            else
                enterChoice(form.sections()[eCustomer], sName);
        };
        const auto count = [iKind](const SReferenceLists& lists) {
            return iKind == 0   ? lists.lstTechnicians.size()
                   : iKind == 1 ? lists.lstTools.size()
                                : lists.lstOrganizations.size();
        };
        for (int i = 0; i < 12; ++i) {
            add(a, QStringLiteral("А-%1").arg(i));
            QTRY_COMPARE(count(b.lists().lists()), 2 * i + 1);
            add(b, QStringLiteral("Б-%1").arg(i));
            QTRY_COMPARE(count(a.lists().lists()), 2 * i + 2);
        }
        QCOMPARE(count(folderLists(dir.path())), 24);
        QVERIFY(dialogs.lstMessages.isEmpty());
    }

    // The lists change while the question is open: the answer acts on the
    // entry asked about, and nothing crashes.
    void anOpenQuestionActsOnTheEntryAskedAbout() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeListFiles(
            dir.path(),
            {{ivanov}, {{"А-прибор", {}}, {"Б-прибор", {}}, {"В-прибор", {}}}, {}, {}, {}});
        CFusionWidget a(dir.path());
        CReferenceLists other(dir.path(), QString());
        // "-" on Б while the other deletes А
        CWidgetTool* pPanel = a.findChildren<CWidgetTool*>().first();
        child<QComboBox>(pPanel, "cmb_tools")->setCurrentIndex(2);
        dialogs.lstWhileOpen << [&] {
            other.deleteTool("А-прибор");
            QTRY_COMPARE(a.lists().tools().size(), 2);
        };
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QToolButton>(pPanel, "btn_deleteItem"));
        QCOMPARE(names(folderLists(dir.path()).lstTools), QStringList({"В-прибор"}));
        // "Желаете переписать его данные?" while the other saves a specialist
        CWidgetSpecial* pSpecial = firstPanel(a);
        child<QComboBox>(pSpecial, "cmb_name")->setCurrentIndex(1);
        child<QDateEdit>(pSpecial, "dedt_validity")->setDate(QDate(2030, 1, 1));
        dialogs.lstWhileOpen << [&] {
            other.saveSpecialist({"Петров", "05", g_sUltrasonic, QDate(2028, 1, 1), 1, ""});
            QTRY_COMPARE(a.lists().technicians().size(), 2);
        };
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QPushButton>(pSpecial, "btn_saveSpec"));
        const QList<Specialist> lst = folderLists(dir.path()).lstTechnicians;
        QCOMPARE(names(lst), QStringList({"Иванов", "Петров"}));
        QCOMPARE(lst[0].lstCertificates[0].lstMethods[0].dtValidity, QDate(2030, 1, 1));
        QCOMPARE(lst[0].lstCertificates.size(), 2);
    }

    // A deleted entry is brought back neither by another panel that still
    // shows it, nor by a protocol older than the deletion; a colleague who
    // edits a specialist deleted meanwhile gets him back whole.
    void aDeletionHolds() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeListFiles(dir.path(), {{ivanov}, {{"УД2-12", {}}}, {}, {}, {}});
        CFusionWidget a(dir.path());
        // an older protocol naming the instrument, complete
        valueEdit(a.sections()[eNumber])->setText("1");
        QDateEdit* pDate = a.sections()[eDate]->findChild<QDateEdit*>();
        pDate->setDate(QDate(2025, 3, 1));
        click(child<QPushButton>(a.sections()[eTools], "btn_addDevice"));
        for (CWidgetTool* pPanel : a.findChildren<CWidgetTool*>()) {
            child<QComboBox>(pPanel, "cmb_tools")->setCurrentIndex(1);
            typeText(child<QComboBox>(pPanel, "cmb_numbers")->lineEdit(), "7");
            typeText(child<QLineEdit>(pPanel, "edt_certNumber"), "С-1");
            child<QDateEdit>(pPanel, "dedt_validity")->setDate(QDate(2026, 1, 1));
        }
        dialogs.lstFileNames << dir.filePath("old.rpt");
        QVERIFY(a.controller().saveReport());
        QCOMPARE(folderLists(dir.path()).lstTools[0].lstDevices.size(), 1);
        // "-" on one of the two panels; the other still names it; today's protocol saved
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QToolButton>(a.findChildren<CWidgetTool*>().first(), "btn_deleteItem"));
        valueEdit(a.sections()[eNumber])->setText("2");
        pDate->setDate(QDate::currentDate());
        dialogs.lstFileNames << dir.filePath("new.rpt");
        QVERIFY(a.controller().saveReportAs());
        QVERIFY(folderLists(dir.path()).lstTools.isEmpty());
        // another workstation saves the older protocol again
        CFusionWidget b(dir.path());
        QVERIFY(b.controller().openDocument(dir.filePath("old.rpt")));
        QVERIFY(b.controller().writeProtocol(dir.filePath("old.rpt")));
        QVERIFY(folderLists(dir.path()).lstTools.isEmpty() && b.lists().tools().isEmpty());
        // A deletes Ivanov while B asks whether to write over his first
        // certificate, and B takes the deletion in before the answer
        CWidgetSpecial* pPanel = firstPanel(b);
        child<QComboBox>(pPanel, "cmb_name")->setCurrentIndex(1);
        child<QDateEdit>(pPanel, "dedt_validity")->setDate(QDate(2031, 1, 1));
        dialogs.lstWhileOpen << [&] {
            a.lists().deleteSpecialist("Иванов");
            QTRY_VERIFY(!b.lists().specialist("Иванов"));
        };
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QPushButton>(pPanel, "btn_saveSpec"));
        const QList<Specialist> lst = folderLists(dir.path()).lstTechnicians;
        QCOMPARE(names(lst), QStringList({"Иванов"}));
        QCOMPARE(lst[0].lstCertificates.size(), 2); // whole, never in part
        QCOMPARE(lst[0].lstCertificates[0].lstMethods[0].dtValidity, QDate(2031, 1, 1));
    }

    // The folder is away at start (a share not mounted): the lists come
    // from the last good copy in the user's own folder, named; a change
    // waits, survives a restart, and is written once the folder is back. A
    // deletion that waited gives way to a colleague's later edit.
    void aFolderAwayWaits() {
        QTemporaryDir dir, own, share;
        CScriptedDialogs dialogs;
        writeListFiles(share.path(), {{ivanov}, {}, {}, {}, {}});
        const QString sLink = dir.filePath("share");
        QVERIFY(QFile::link(share.path(), sLink));
        {
            CReferenceLists lists(sLink, QString());
            lists.setOwnDir(own.path()); // the last good copy is taken
        }
        QVERIFY(QFile::remove(sLink));
        {
            CReferenceLists lists(sLink, QString());
            QVERIFY(lists.problems().value(0).contains("недоступна"));
            lists.setOwnDir(own.path());
            QCOMPARE(names(lists.technicians()), QStringList({"Иванов"}));
            lists.deleteSpecialist("Иванов");
            lists.addStandard("ГОСТ 1");
            QVERIFY(lists.waitingChanges() == 2 && lists.technicians().isEmpty());
        }
        // a colleague edits Ivanov after the deletion was made here
        QTest::qWait(5);
        CReferenceLists colleague(share.path(), QString());
        colleague.saveSpecialist({"Иванов", "03", g_sUltrasonic, QDate(2029, 1, 1), 1, ""});
        CReferenceLists lists(sLink, QString());
        QSignalSpy problems(&lists, &CReferenceLists::problemFound);
        lists.setOwnDir(own.path());
        QCOMPARE(lists.waitingChanges(), 2); // kept over the restart
        QVERIFY(QFile::link(share.path(), sLink));
        QTRY_COMPARE(lists.waitingChanges(), 0);
        const SReferenceLists read = folderLists(share.path());
        QCOMPARE(read.lstStandards, QStringList({"ГОСТ 1"}));
        QCOMPARE(read.lstTechnicians.value(0).lstCertificates.size(), 3);
        QVERIFY(problems.size() == 1 && problems[0][0].toString().contains("Иванов"));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty()); // nothing private beside it
    }

    void aKilledProgramsLockBlocksNobody() {
        QTemporaryDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {g_pLockFlag, dir.filePath("technicians.hmdb")});
        QVERIFY(child.waitForReadyRead(10000));
        child.kill();
        QVERIFY(child.waitForFinished());
        CReferenceLists lists(dir.path(), QString());
        QElapsedTimer timer;
        timer.start();
        lists.saveSpecialist({"Иванов", "1", g_sUltrasonic, QDate(2027, 1, 1), 1, ""});
        QVERIFY(lists.waitingChanges() == 0 && timer.elapsed() < CReferenceStore::iLockWaitMs);
    }

    // Words two programs add at once are all kept, and a third running
    // program knows them.
    void wordsAddedAtOnceAreAllKept() {
        QTemporaryDir dir;
        const QString sPath = dir.filePath("dictionary.txt");
        CSpellChecker checker{CSpellChecker::sSystemDictionaryDir};
        checker.setUserDictionary(sPath);
        checker.ensureLoading();
        QTRY_VERIFY(checker.isReady() || !checker.hasDictionary());
        QVERIFY(!checker.hasDictionary() || !checker.isCorrect("квакзаа"));
        QList<QProcess*> lstChildren;
        for (const char* pTag : {"а", "б"}) {
            auto pChild = new QProcess(this);
            pChild->start(QCoreApplication::applicationFilePath(),
                          {g_pWordsFlag, sPath, QString::fromUtf8(pTag)});
            lstChildren << pChild;
        }
        for (QProcess* pChild : lstChildren) {
            QVERIFY(pChild->waitForFinished(60000));
            QCOMPARE(pChild->exitCode(), 0);
        }
        QCOMPARE(QString::fromUtf8(fileBytes(sPath)).split('\n', Qt::SkipEmptyParts).size(), 40);
        if (checker.hasDictionary())
            QTRY_VERIFY(checker.isCorrect("квакзбу") && checker.isCorrect("квакзаа"));
    }

    void anotherProgramsEntriesReachTheForm() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeListFiles(dir.path(), {{{"Абрамов", {}}, {"Иванов", {}}}, {}, {}, {}, {}});
        CFusionWidget form(dir.path());
        QComboBox* pName = child<QComboBox>(firstPanel(form), "cmb_name");
        pName->setCurrentIndex(2);
        // the other program deletes the one before the chosen one, and adds one
        CReferenceLists other(dir.path(), QString());
        other.deleteSpecialist("Абрамов");
        other.saveSpecialist({"Сидоров", "1", g_sUltrasonic, QDate(2027, 1, 1), 1, ""});
        QTRY_COMPARE(names(form.lists().technicians()), QStringList({"Иванов", "Сидоров"}));
        QCOMPARE(pName->currentText(), QStringLiteral("Иванов"));
        QCOMPARE(pName->count(), 3);
    }

    // A damaged file is named at start and left as it is; the program's
    // change goes beside it.
    void damagedFileIsNamedAndKept() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        const QByteArray damaged = CBytes().i32(3).str("Иванов").u32(7).data;
        writeFile(dir.filePath("technicians.hmdb"), damaged);
        CFusionWidget form(dir.path());
        QTRY_VERIFY(dialogs.texts().value(0).contains(dir.filePath("technicians.hmdb")));
        QVERIFY(dialogs.texts().value(0).contains("поврежден"));
        saveSpecialist(form, "Петров", "5");
        QCOMPARE(fileBytes(dir.filePath("technicians.hmdb")), damaged);
        QVERIFY(dialogs.texts().last().contains(dir.filePath("technicians.hmdb.recovered")));
        SReferenceLists lists;
        QVERIFY(readListFile(eTechniciansFile,
                             fileBytes(dir.filePath("technicians.hmdb.recovered")), lists));
        QVERIFY(names(lists.lstTechnicians).contains("Петров"));
    }

    void settingsChooseTheFolder() {
        QTemporaryDir dir, shared;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("settings"));
        CScriptedDialogs dialogs;
        writeSpecialists(shared.path(), {{"Общий", {}}});
        CFusionWidget form(dir.path());
        CVEKConclusion::connectCommandBar(form);
        saveSpecialist(form, "Свой", "1");
        writeFile(dir.filePath("file"), "x");
        for (const QString& sFolder : {dir.filePath("file"), shared.path()}) {
            dialogs.lstDialogActions << [sFolder](QDialog* pDialog) {
                child<QLineEdit>(pDialog, "edt_folder")->setText(sFolder);
                pDialog->accept();
                return pDialog->result();
            };
            click(child<QToolButton>(form.sections()[eBar], "btn_settings"));
        }
        QCOMPARE(dialogs.texts(),
                 QStringList({QStringLiteral("В папке «%1» нельзя читать и записывать "
                                             "файлы. Выберите другую папку.")
                                  .arg(dir.filePath("file"))}));
        QCOMPARE(form.controller().referenceDir(), shared.path());
        QCOMPARE(CReferenceFiles::chosenDir(), shared.path());
        // the folder's lists, this program's joining them
        QCOMPARE(names(form.lists().technicians()), QStringList({"Общий", "Свой"}));
        QCOMPARE(names(folderLists(shared.path()).lstTechnicians), QStringList({"Общий", "Свой"}));
    }
};

int main(int argc, char* argv[]) {
    if (argc > 1 && argv[1][0] == '-' && argv[1][1] == '-')
        qputenv("QT_QPA_PLATFORM", "offscreen"); // a child program shows nothing
    QApplication app(argc, argv);
    const QString sArg2 = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString sArg3 = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (argc == 4 && qstrcmp(argv[1], g_pAddFlag) == 0)
        return addEntries(sArg2, sArg3);
    if (argc == 4 && qstrcmp(argv[1], g_pWordsFlag) == 0)
        return addWords(sArg2, sArg3);
    if (argc == 3 && qstrcmp(argv[1], g_pLockFlag) == 0)
        return holdLock(sArg2);
    TestShared test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shared.moc"
