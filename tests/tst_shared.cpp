// Several workstations on one folder of reference files. Guards: programs
// saving at the same time lose none of each other's entries; a deletion in
// one and an addition in another both take effect; a lock left by a killed
// program blocks nobody; a file another program wrote reaches a running
// form, whose chosen values stay; a damaged file is never overwritten; the
// folder chosen in "Настройки" is used, an unusable one refused.
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/settingsdialog.h"
#include "refdata/widgetspecial.h"
#include "refdata/widgettool.h"
#include "results/conclusion.h"
#include "storage/referencefiles.h"
#include "storage/referencestore.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const char* const g_pAddFlag = "--add";
const char* const g_pLockFlag = "--hold-lock";
constexpr int g_iEntries = 50;

// A child program: adds 50 entries of its own to one list, saving after each.
int addEntries(const QString& sDir, const QString& sTag) {
    CReferenceStore store(sDir, sDir);
    CReferenceStore::SLists lists = store.load();
    for (int i = 0; i < g_iEntries; ++i) {
        const QString sName = QStringLiteral("%1-%2").arg(sTag).arg(i);
        lists.lstTechnicians.append({sName, {}});
        lists.lstTools.append({sName, {{"1", "С", QDate(2027, 1, 1), true}}});
        lists.lstOrganizations.append({sName, {QStringLiteral("договор")}});
        if (store.writeTechnicians(lists.lstTechnicians) != CReferenceStore::EWrite::Written ||
            store.writeTools(lists.lstTools) != CReferenceStore::EWrite::Written ||
            store.writeOptional(lists) != CReferenceStore::EWrite::Written)
            return 1;
    }
    return 0;
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

QStringList names(const QList<Specialist>& lst) {
    QStringList lstNames;
    for (const Specialist& s : lst)
        lstNames << s.sName;
    return lstNames;
}
} // namespace

Q_DECLARE_METATYPE(CRefList)

class TestShared : public QObject {
    Q_OBJECT
private slots:
    // Every case of the three-way merge, on groups and on their entries:
    // what the file holds now, what this program last read or wrote (base),
    // what it holds now (mine), and the list written.
    void mergeTakesEachSidesChanges_data() {
        QTest::addColumn<CRefList>("lstFile");
        QTest::addColumn<CRefList>("lstBase");
        QTest::addColumn<CRefList>("lstMine");
        QTest::addColumn<CRefList>("lstResult");
        const SRefEntry e1{"1", "x"}, e1Mine{"1", "y"}, e1There{"1", "z"}, e2{"2", "x"},
            e3{"3", "x"};
        const SRefGroup a{"А", {e1}}, b{"Б", {}};
        auto group = [](const QList<SRefEntry>& lst) { return CRefList{{"А", lst}}; };
        // clang-format off
        QTest::newRow("group added here")     << CRefList{b} << CRefList{b} << CRefList{b, a} << CRefList{b, a};
        QTest::newRow("group added there")    << CRefList{b, a} << CRefList{b} << CRefList{b} << CRefList{b, a};
        QTest::newRow("group deleted here")   << CRefList{a, b} << CRefList{a, b} << CRefList{b} << CRefList{b};
        QTest::newRow("group deleted there")  << CRefList{b} << CRefList{a, b} << CRefList{a, b} << CRefList{b};
        QTest::newRow("entry added here")     << group({e1}) << group({e1}) << group({e1, e2}) << group({e1, e2});
        QTest::newRow("entry added there")    << group({e1, e2}) << group({e1}) << group({e1}) << group({e1, e2});
        QTest::newRow("entry deleted here")   << group({e1, e2, e3}) << group({e1, e2}) << group({e2}) << group({e2, e3});
        QTest::newRow("entry deleted there")  << group({e2}) << group({e1, e2}) << group({e1, e2}) << group({e2});
        QTest::newRow("entry changed here")   << group({e1, e2}) << group({e1, e2}) << group({e1Mine, e2}) << group({e1Mine, e2});
        QTest::newRow("entry changed there")  << group({e1There, e2}) << group({e1, e2}) << group({e1, e2}) << group({e1There, e2});
        QTest::newRow("both changed: mine")   << group({e1There}) << group({e1}) << group({e1Mine}) << group({e1Mine});
        QTest::newRow("changed here, added there") << group({e1, e3}) << group({e1}) << group({e1Mine}) << group({e1Mine, e3});
        // clang-format on
    }
    void mergeTakesEachSidesChanges() {
        QFETCH(CRefList, lstFile);
        QFETCH(CRefList, lstBase);
        QFETCH(CRefList, lstMine);
        QFETCH(CRefList, lstResult);
        QCOMPARE(mergeReferences(lstFile, lstBase, lstMine), lstResult);
    }

    void programsSavingAtOnceLoseNothing() {
        QTemporaryDir dir;
        CReferenceStore seed(dir.path(), dir.path());
        CReferenceStore::SLists lists = seed.load();
        lists.lstTechnicians = {{"Иванов", {}}, {"Петров", {}}};
        lists.lstOrganizations = {{"ООО Ромашка", {"договор 1"}}};
        QVERIFY(seed.writeTechnicians(lists.lstTechnicians) == CReferenceStore::EWrite::Written);
        QVERIFY(seed.writeOptional(lists) == CReferenceStore::EWrite::Written);
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
        CReferenceStore check(dir.path(), dir.path());
        const CReferenceStore::SLists read = check.load();
        QCOMPARE(read.lstTechnicians.size(), 2 + 3 * g_iEntries);
        QCOMPARE(read.lstTools.size(), 3 * g_iEntries);
        QCOMPARE(read.lstOrganizations.size(), 1 + 3 * g_iEntries);
        QVERIFY(names(read.lstTechnicians).contains("Иванов") &&
                names(read.lstTechnicians).contains("C-49"));
    }

    void deletionAndAdditionBothTakeEffect() {
        QTemporaryDir dir;
        CReferenceStore first(dir.path(), dir.path()), second(dir.path(), dir.path());
        QList<Specialist> lst = {{"Иванов", {{"01", "НАКС", {}}}}, {"Петров", {}}};
        first.load();
        QVERIFY(first.writeTechnicians(lst) == CReferenceStore::EWrite::Written);
        QList<Specialist> lstSecond = second.load().lstTechnicians;
        lst.removeFirst(); // the first program deletes Ivanov
        QVERIFY(first.writeTechnicians(lst) == CReferenceStore::EWrite::Written);
        lstSecond[1].lstCertificates.append({"02", "РОНКТД", {}}); // the second adds to Petrov
        lstSecond.append(Specialist{"Сидоров", {}});
        QVERIFY(second.writeTechnicians(lstSecond) == CReferenceStore::EWrite::Written);
        QCOMPARE(lstSecond,
                 QList<Specialist>({{"Петров", {{"02", "РОНКТД", {}}}}, {"Сидоров", {}}}));
    }

    void aKilledProgramsLockBlocksNobody() {
        QTemporaryDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {g_pLockFlag, dir.filePath("technicians.hmdb")});
        QVERIFY(child.waitForReadyRead(10000));
        child.kill();
        QVERIFY(child.waitForFinished());
        CReferenceStore store(dir.path(), dir.path());
        QList<Specialist> lst = {{"Иванов", {}}};
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(store.writeTechnicians(lst), CReferenceStore::EWrite::Written);
        QVERIFY(timer.elapsed() < CReferenceStore::iLockWaitMs);
    }

    void anotherProgramsEntriesReachTheForm() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CReferenceStore other(dir.path(), dir.path());
        QList<Specialist> lst = {{"Абрамов", {}}, {"Иванов", {}}};
        other.load();
        QVERIFY(other.writeTechnicians(lst) == CReferenceStore::EWrite::Written);
        CFusionWidget form(dir.path());
        QComboBox* pName = child<QComboBox>(form.conclusions()[0]->panels()[0], "cmb_name");
        pName->setCurrentIndex(2);
        // the other program deletes the one before the chosen one, and adds one
        lst = {{"Иванов", {}}, {"Сидоров", {}}};
        QVERIFY(other.writeTechnicians(lst) == CReferenceStore::EWrite::Written);
        QTRY_COMPARE(names(form.technicians()), QStringList({"Иванов", "Сидоров"}));
        QCOMPARE(pName->currentText(), QStringLiteral("Иванов"));
        QCOMPARE(pName->count(), 3);
    }

    // A enters instruments, a standard and a customer; B saves meanwhile;
    // A's form takes B's lists in, then A saves: nothing of either is lost.
    void entriesTypedOnOneSurviveTheOthersSave() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget a(dir.path()), b(dir.path());
        const QStringList lstMine = {"УД2-12", "УД4-76", "ВИК-1", "Линейка", "Лупа"};
        auto pTools = a.sections()[eTools];
        for (int i = 0; i < lstMine.size(); ++i) {
            if (i > 0)
                click(child<QPushButton>(pTools, "btn_addDevice"));
            QComboBox* pName = child<QComboBox>(a.findChildren<CWidgetTool*>().last(), "cmb_tools");
            typeText(pName->lineEdit(), lstMine[i]);
            QTest::keyClick(pName->lineEdit(), Qt::Key_Return);
        }
        enterChoice(a.sections()[eStandards], "ГОСТ А");
        enterChoice(a.sections()[eCustomer], "ООО А");
        enterChoice(b.sections()[eStandards], "ГОСТ Б");
        enterChoice(b.sections()[eCustomer], "ООО Б");
        QComboBox* pOther = child<QComboBox>(b.findChildren<CWidgetTool*>().first(), "cmb_tools");
        typeText(pOther->lineEdit(), "Прибор Б");
        QTest::keyClick(pOther->lineEdit(), Qt::Key_Return);
        valueEdit(b.sections()[eNumber])->setText("1");
        QVERIFY(b.controller().writeProtocol(dir.filePath("b.rpt")));
        QTRY_VERIFY(a.standards().contains("ГОСТ Б"));
        // A's panels keep what was typed, each with its entry's "-"
        const auto lstPanels = a.findChildren<CWidgetTool*>();
        for (int i = 0; i < lstMine.size(); ++i) {
            QCOMPARE(child<QComboBox>(lstPanels[i], "cmb_tools")->currentText(), lstMine[i]);
            QVERIFY(child<QToolButton>(lstPanels[i], "btn_deleteItem")->isVisibleTo(lstPanels[i]));
        }
        valueEdit(a.sections()[eNumber])->setText("2");
        QVERIFY(a.controller().writeProtocol(dir.filePath("a.rpt")));
        CReferenceStore store(dir.path(), dir.path());
        const CReferenceStore::SLists written = store.load();
        QStringList lstTools;
        for (const Tool& tool : written.lstTools)
            lstTools << tool.sName;
        QCOMPARE(lstTools, QStringList({"Прибор Б"}) + lstMine);
        QCOMPARE(written.lstStandards, QStringList({"ГОСТ Б", "ГОСТ А"}));
        QCOMPARE(written.lstOrganizations.size(), 2);
        QTRY_COMPARE(b.tools().size(), 6);
    }

    void damagedFileIsKept() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        const QByteArray damaged = CBytes().i32(3).str("Иванов").u32(7).data;
        writeFile(dir.filePath("technicians.hmdb"), damaged);
        CFusionWidget form(dir.path());
        nameSpecialistAndSave(form);
        QCOMPARE(fileBytes(dir.filePath("technicians.hmdb")), damaged);
        QVERIFY(dialogs.texts().value(0).contains(dir.filePath("technicians.hmdb.recovered")));
        QList<Specialist> lst;
        QVERIFY(CReferenceFiles::readStreamFile(dir.filePath("technicians.hmdb.recovered"),
                                                [&](QDataStream& in) { readRecordList(in, lst); }));
        QVERIFY(names(lst).contains("Петров"));
    }

    void settingsChooseTheFolder() {
        QTemporaryDir dir, shared;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("settings"));
        CScriptedDialogs dialogs;
        CReferenceStore other(shared.path(), shared.path());
        QList<Specialist> lst = {{"Общий", {}}};
        other.load();
        other.writeTechnicians(lst);
        CFusionWidget form(dir.path());
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
        QCOMPARE(CDocumentController::chosenReferenceDir(), shared.path());
        QCOMPARE(names(form.technicians()), QStringList({"Общий"}));
    }

private:
    static void nameSpecialistAndSave(CFusionWidget& form) {
        CWidgetSpecial* pPanel = form.conclusions()[0]->panels()[0];
        child<QComboBox>(pPanel, "cmb_name")->lineEdit()->setText(QStringLiteral("Петров"));
        child<QComboBox>(pPanel, "cmb_licenseNum")->lineEdit()->setText(QStringLiteral("5"));
        click(child<QPushButton>(pPanel, "btn_saveSpec"));
    }
};

int main(int argc, char* argv[]) {
    if (argc > 1 && argv[1][0] == '-' && argv[1][1] == '-')
        qputenv("QT_QPA_PLATFORM", "offscreen"); // a child program shows nothing
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], g_pAddFlag) == 0)
        return addEntries(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 3 && qstrcmp(argv[1], g_pLockFlag) == 0)
        return holdLock(QString::fromLocal8Bit(argv[2]));
    TestShared test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shared.moc"
