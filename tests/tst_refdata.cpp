// Reference data. Guards: the reference files read from hand-written bytes
// and written back byte for byte, damaged ones read as far as sound (a
// level outside I-III is damage), "program_wd" in Windows-1251, a failed
// write leaving the old file; the specialist panel saves, overwrites after
// a warning, deletes through its small dialog and matches names exactly;
// the instrument panels letter themselves, share new names, keep every
// typed value when a box is entered and left and when the section merges
// its entries on save, and print and read their lines; validity marks.
#include "document/protocoldocument.h"
#include "refdata/measuringtool.h"
#include "refdata/panelinput.h"
#include "refdata/widgetspecial.h"
#include "refdata/widgettool.h"
#include "render/sectionhtml.h"
#include "storage/referencefiles.h"
#include "storage/referencelists.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/largeprotocol.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <sys/resource.h>

namespace {
const QDate g_dtUnset(2000, 1, 1);
const QString sUltrasonic = QStringLiteral("ультразвуковому");
const QString sMagnetic = QStringLiteral("магнитному");
const QString sCaption = QStringLiteral("Приборы и оборудование:");
const QString sFlaw = QStringLiteral("Дефектоскоп УД2-12");
const QString sGauge = QStringLiteral("Толщиномер");

// Ivanov holds certificate 0001 for the ultrasonic method (level II, valid
// until 2027-05-01) and 0002 for the magnetic and the ultrasonic ones.
// clang-format off
QList<Specialist> storedSpecialists() {
    Certificate first{"0001", QStringLiteral("НАКС"), {{sUltrasonic, QDate(2027, 5, 1), 1}}};
    Certificate second{"0002", QStringLiteral("РОНКТД"),
                       {{sMagnetic, QDate(2026, 1, 1), 2}, {sUltrasonic, QDate(2026, 2, 1), 0}}};
    return {Specialist{QStringLiteral("Иванов И.И."), {first, second}},
            Specialist{QStringLiteral("Петров П.П."), {}}};
}
QByteArray techniciansBytes(qint16 iLastLevel = 0) {
    return CBytes().i32(1).str("Иванов").i32(2).str("А-123").str("НОАП")
        .i32(2).str(sUltrasonic).date(QDate(2015, 6, 30)).i16(1).str(sMagnetic).date(g_dtUnset).i16(2)
        .str("77").str("").i32(1).str("радиографическому").date(QDate(2016, 1, 15)).i16(iLastLevel).data;
}
// The flaw detector with devices 1234 (verification) and 5678 (calibration).
// clang-format on
QList<Tool> storedTools() {
    return {Tool{sFlaw,
                 {Device{"1234", "С-1", QDate(2027, 1, 15), true},
                  Device{"5678", "К-2", QDate(2026, 8, 1), false}}}};
}

QComboBox* nameBox(QWidget* p) {
    return child<QComboBox>(p, "cmb_name");
}
QComboBox* licenseBox(QWidget* p) {
    return child<QComboBox>(p, "cmb_licenseNum");
}
QComboBox* toolBox(QWidget* p) {
    return child<QComboBox>(p, "cmb_tools");
}
QComboBox* numberBox(QWidget* p) {
    return child<QComboBox>(p, "cmb_numbers");
}
QDateEdit* validityEdit(QWidget* p) {
    return child<QDateEdit>(p, "dedt_validity");
}
QLineEdit* certEdit(QWidget* p) {
    return child<QLineEdit>(p, "edt_certNumber");
}

// A protocol of today holding the instruments record.
ProtocolDocument savedWith(const ToolsRecord& record) {
    return {{DateRecord{QDate::currentDate()}, record}};
}

// Types a text into an editable box's blank entry and presses Enter.
void enter(QComboBox* pBox, const QString& sText) {
    pBox->setCurrentIndex(0);
    typeText(pBox->lineEdit(), sText);
    QTest::keyClick(pBox->lineEdit(), Qt::Key_Return);
}
// Fills an instrument panel by typing, as a new entry.
void fill(CWidgetTool* pPanel, const QString& sName, const QString& sNumber, const QString& sCert,
          const QDate& dt) {
    typeText(toolBox(pPanel)->lineEdit(), sName);
    typeText(numberBox(pPanel)->lineEdit(), sNumber);
    typeText(certEdit(pPanel), sCert);
    validityEdit(pPanel)->setDate(dt);
}
} // namespace

class TestRefData : public QObject {
    Q_OBJECT
private slots:
    void referenceFilesAgainstHandWrittenBytes() {
        SReferenceLists lists;
        QVERIFY(readListFile(eTechniciansFile, techniciansBytes(), lists));
        QCOMPARE(listFileBytes(eTechniciansFile, lists), techniciansBytes());
        // a level outside I-III, or a cut, ends the list; what came before stays
        const int iCut = techniciansBytes().indexOf(CBytes().str("77").data) + 6;
        for (const QByteArray& damaged : {techniciansBytes(3), techniciansBytes().left(iCut)}) {
            QVERIFY(!readListFile(eTechniciansFile, damaged, lists));
            const QList<Specialist>& lstTech = lists.lstTechnicians;
            QVERIFY(lstTech.size() == 1 && lstTech[0].lstCertificates[0].lstMethods.size() == 2);
            QVERIFY(lstTech[0].lstCertificates.value(1).lstMethods.isEmpty());
        }
        // a calibration is the bool byte 0; counts are never trusted
        // clang-format off
        const QByteArray tools = CBytes().i32(2).str("УД2-12").i32(2).str("1021").str("п-15")
                                     .date(QDate(2015, 2, 3)).u8(1).str("1022").str("к-7")
                                     .date(g_dtUnset).u8(0).str("Линейка").i32(0).data;
        // clang-format on
        QVERIFY(readListFile(eToolsFile, tools, lists));
        QCOMPARE(lists.lstTools[0].lstDevices.value(1), Device({"1022", "к-7", g_dtUnset, false}));
        QCOMPARE(listFileBytes(eToolsFile, lists), tools);
        QVERIFY(!readListFile(eToolsFile, CBytes().i32(0x7FFFFFFF).str("X").i32(0x7FFFFFFF).data,
                              lists));
        QCOMPARE(lists.lstTools, QList<Tool>({{"X", {}}}));

        // clang-format off
        const QByteArray orgs = CBytes().i32(2).str("ООО «Газ»").strList({"договор 5", "письмо"})
                                    .str("Завод").i32(0).data;
        // clang-format on
        const QByteArray optional = orgs + CBytes().strList({"ГОСТ"}).strList({"да"}).data;
        QVERIFY(readListFile(eOptionalFile, optional, lists));
        QCOMPARE(lists.lstOrganizations.value(0).lstGrounds + lists.lstStandards +
                     lists.lstAssessments,
                 QStringList({"договор 5", "письмо", "ГОСТ", "да"}));
        QCOMPARE(listFileBytes(eOptionalFile, lists), optional);
        readListFile(eOptionalFile, orgs, lists); // ends after the customers: no choices
        QVERIFY(lists.lstOrganizations.size() == 2 && lists.lstStandards.isEmpty());
        // the actions beside a list: kind, entry, time in ms (UTC) and whether deleted
        const QDateTime dt(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
        const QByteArray actions = CBytes()
                                       .i32(1)
                                       .i16(SEntryAction::eCertificate)
                                       .str("Иванов")
                                       .str("А-123")
                                       .raw(bytesOf(qint64(dt.toMSecsSinceEpoch())))
                                       .u8(1)
                                       .data;
        CEntryActions lstActions;
        QVERIFY(readEntryActions(actions, lstActions));
        QCOMPARE(lstActions,
                 CEntryActions({{SEntryAction::eCertificate, "Иванов", "А-123", dt, true}}));
        QCOMPARE(entryActionsBytes(lstActions), actions);
    }

    // "program_wd" in Windows-1251; a list write failing on the size limit,
    // while writing or on the final flush, leaves the old file and no other.
    void workDirAndFailedWrites() {
        QTemporaryDir dir;
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());
        const QString sProtocols = dir.filePath(QStringLiteral("Протоколы"));
        QVERIFY(QDir().mkpath(sProtocols));
        QVERIFY(CReferenceFiles::saveWorkDir(dir.path(), sProtocols));
        const QByteArray baDir = dir.path().toUtf8() + "/\xCF\xF0\xEE\xF2\xEE\xEA\xEE\xEB\xFB";
        QCOMPARE(fileBytes(dir.filePath("program_wd")), baDir + "\n");
        for (const QByteArray& wd :
             {baDir + "\r\nsecond\n", dir.path().toUtf8() + "/removed\n", "\n" + baDir}) {
            writeFile(dir.filePath("program_wd"), wd);
            QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()),
                     wd.contains('\r') ? sProtocols : dir.path());
        }
        writeFile(dir.filePath("technicians.hmdb"), QByteArray(4, '\0'));
        CReferenceStore store(dir.path(), QString());
        SReferenceLists lists = store.load();
        std::signal(SIGXFSZ, SIG_IGN); // a write over the limit fails instead
        rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        // room for the lock beside the file, none for the lists
        const rlimit small = {256, limit.rlim_max};
        for (const auto& lst : {QList<Specialist>(2000, storedSpecialists()[0]),
                                QList<Specialist>(3, storedSpecialists()[0])}) {
            setrlimit(RLIMIT_FSIZE, &small);
            const auto eWrite = store.change(
                eTechniciansFile,
                [&](SReferenceLists& l, CEntryActions&) {
                    l.lstTechnicians = lst;
                    return EApplied::Changed;
                },
                lists);
            setrlimit(RLIMIT_FSIZE, &limit);
            QVERIFY(eWrite == CReferenceStore::EWrite::Failed &&
                    fileBytes(dir.filePath("technicians.hmdb")) == QByteArray(4, '\0'));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                     QStringList({"program_wd", "technicians.hmdb"}));
            QVERIFY(store.problem("technicians.hmdb").contains(dir.filePath("technicians.hmdb")));
        }
    }

    void specialistSavedChosenAndMatchedExactly() {
        SLabLists lab({storedSpecialists(), {}, {}, {}, {}});
        const CReferenceLists& lists = *lab.pLists;
        CWidgetSpecial panel(nullptr, lab.pLists, sUltrasonic, eControlerAndAuthor, true, 13);
        QSignalSpy spy(lab.pLists, &CReferenceLists::listsChanged);
        // a name typed in another case is no stored name, even with Enter
        typeText(nameBox(&panel)->lineEdit(), QStringLiteral("иванов и.и.\r"));
        QCOMPARE(nameBox(&panel)->currentIndex(), 0);
        nameBox(&panel)->lineEdit()->clear();
        typeText(nameBox(&panel)->lineEdit(), QStringLiteral("Сидоров С.С."));
        QVERIFY(!child<QPushButton>(&panel, "btn_saveSpec")->isEnabled()); // no certificate yet
        typeText(licenseBox(&panel)->lineEdit(), QStringLiteral("0007"));
        validityEdit(&panel)->setDate(QDate(2028, 3, 4));
        child<QComboBox>(&panel, "cmb_qual")->setCurrentIndex(2);
        typeText(child<QLineEdit>(&panel, "edt_certlab"), QStringLiteral("НАКС"));
        click(child<QPushButton>(&panel, "btn_saveSpec"));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(lists.technicians().last(),
                 Specialist(
                     {"Сидоров С.С.", {{"0007", "НАКС", {{sUltrasonic, QDate(2028, 3, 4), 2}}}}}));
        QVERIFY(nameBox(&panel)->currentIndex() == 3 && !isBoxEditable(nameBox(&panel)));
        QVERIFY(!child<QPushButton>(&panel, "btn_saveSpec")->isEnabled());
        // a click on the name shown opens the list once the button is let go:
        // opened on the press, the release would choose and close it at once
        panel.show();
        QLineEdit* pName = nameBox(&panel)->lineEdit();
        QTest::mousePress(pName, Qt::LeftButton, {}, pName->rect().center());
        QVERIFY(!nameBox(&panel)->view()->isVisible());
        QTest::mouseRelease(pName, Qt::LeftButton, {}, pName->rect().center());
        QTRY_VERIFY(nameBox(&panel)->view()->isVisible());
        nameBox(&panel)->hidePopup();
        // a stored specialist shows the first certificate covering the method
        CWidgetSpecial magnetic(nullptr, lab.pLists, sMagnetic, eControler, false, 0);
        nameBox(&magnetic)->setCurrentIndex(1);
        QCOMPARE(licenseBox(&magnetic)->currentText(), QStringLiteral("0002"));
        QVERIFY(magnetic.currentEntry().iLevel == 2 &&
                magnetic.currentEntry().dtValidity == QDate(2026, 1, 1));
        nameBox(&magnetic)->setCurrentIndex(2); // none covers it: blank certificate fields
        QVERIFY(licenseBox(&magnetic)->currentIndex() == 0 &&
                magnetic.currentEntry().dtValidity == g_dtUnset);
    }

    void storedCertificateOverwrittenAfterAWarning() {
        CScriptedDialogs dialogs;
        SLabLists lab({storedSpecialists(), {}, {}, {}, {}});
        const CReferenceLists& lists = *lab.pLists;
        CWidgetSpecial panel(nullptr, lab.pLists, sMagnetic, eControler, false, 0);
        QSignalSpy spy(lab.pLists, &CReferenceLists::listsChanged);
        nameBox(&panel)->setCurrentIndex(1);
        licenseBox(&panel)->setCurrentIndex(1); // 0001 does not cover the method: gains it silently
        validityEdit(&panel)->setDate(QDate(2029, 1, 1));
        click(child<QPushButton>(&panel, "btn_saveSpec"));
        QVERIFY(dialogs.lstMessages.isEmpty() && spy.size() == 1);
        QCOMPARE(lists.technicians()[0].lstCertificates[0].lstMethods.last(),
                 CertificateMethod({sMagnetic, QDate(2029, 1, 1), 1}));
        // a changed date of a covered method asks, with a warning; No changes nothing
        validityEdit(&panel)->setDate(QDate(2030, 6, 1));
        dialogs.lstAnswers << CUserDialogs::No << CUserDialogs::Yes;
        const QList<Specialist> lstBefore = lists.technicians();
        click(child<QPushButton>(&panel, "btn_saveSpec"));
        QCOMPARE(dialogs.lstMessages.value(0).eIcon, CUserDialogs::Warning);
        QCOMPARE(dialogs.texts().value(0),
                 QStringLiteral("В существующей базе данных присутствует специалист Иванов И.И. с "
                                "удостоверением № 0001,\nпо методу контроля \"магнитному\"!\n"
                                "Желаете переписать его данные?"));
        QVERIFY(lists.technicians() == lstBefore && spy.size() == 1);
        click(child<QPushButton>(&panel, "btn_saveSpec"));
        QCOMPARE(lists.technicians()[0].lstCertificates[0].lstMethods.last().dtValidity,
                 QDate(2030, 6, 1));
        // a new number of a stored specialist is appended to him
        licenseBox(&panel)->setCurrentIndex(0);
        typeText(licenseBox(&panel)->lineEdit(), QStringLiteral("0003"));
        click(child<QPushButton>(&panel, "btn_saveSpec"));
        QVERIFY(lists.technicians()[0].lstCertificates.size() == 3 && spy.size() == 3);
    }

    void deletingThroughTheSmallDialog() {
        CScriptedDialogs dialogs;
        SLabLists lab({storedSpecialists(), {}, {}, {}, {}});
        const CReferenceLists& lists = *lab.pLists;
        CWidgetSpecial panel(nullptr, lab.pLists, sUltrasonic, eControler, false, 0);
        nameBox(&panel)->setCurrentIndex(1);
        licenseBox(&panel)->setCurrentIndex(2); // covers two methods
        click(child<QPushButton>(&panel, "btn_deleteData"));
        QPointer<CAskDeleteSD> pAsk = panel.deleteDialog();
        QVERIFY(pAsk && pAsk->isVisible() && !pAsk->parent());
        click(child<QPushButton>(pAsk, "btn_delete")); // the current certificate, whole
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!pAsk && lists.technicians()[0].lstCertificates.size() == 1);
        QVERIFY(nameBox(&panel)->currentText().isEmpty());
        // a certificate of another method asks, with a warning; No leaves everything
        const QList<Specialist> lstBefore = lists.technicians();
        CWidgetSpecial other(nullptr, lab.pLists, sMagnetic, eControler, false, 0);
        nameBox(&other)->setCurrentIndex(1);
        licenseBox(&other)->setCurrentIndex(1);
        click(child<QPushButton>(&other, "btn_deleteData"));
        dialogs.lstAnswers << CUserDialogs::No;
        click(child<QPushButton>(other.deleteDialog(), "btn_delete"));
        QCOMPARE(dialogs.lstMessages.value(0).eIcon, CUserDialogs::Warning);
        QCOMPARE(lists.technicians(), lstBefore);
        // "Всю информацию о специалисте" removes him; a dialog still open dies with its panel
        click(child<QPushButton>(&other, "btn_deleteData"));
        child<QRadioButton>(other.deleteDialog(), "rb_delSpec")->setChecked(true);
        click(child<QPushButton>(other.deleteDialog(), "btn_delete"));
        QCOMPARE(lists.technicians().value(0).sName, QStringLiteral("Петров П.П."));
        auto pPanel = new CWidgetSpecial(nullptr, lab.pLists, sMagnetic, eControler, false, 0);
        nameBox(pPanel)->setCurrentIndex(1);
        click(child<QPushButton>(pPanel, "btn_deleteData"));
        QPointer<CAskDeleteSD> pOpen = pPanel->deleteDialog();
        delete pPanel;
        QVERIFY(!pOpen);
    }

    void rolesFollowTheBoxes() {
        CWidgetSpecial panel(nullptr, nullptr, sUltrasonic, eControler, false, 0);
        const QList<std::pair<const char*, ERankState>> lstClicks = {
            {"chb_controler", eAuthor}, // unticking the only role passes to the other
            {"chb_controler", eControlerAndAuthor},
            {"chb_boss", eBoss}, // the head excludes both
            {"chb_author", eAuthor},
            {"chb_author", eControler}};
        for (const auto& [pBox, eRole] : lstClicks) {
            click(child<QCheckBox>(&panel, pBox));
            QCOMPARE(panel.role(), eRole);
        }
        QVERIFY(!child<QCheckBox>(&panel, "chb_boss")->isChecked());
    }

    // The panel's print and record are read back byte for byte in the two-method
    // document; here what no panel can show: a role outside the four, a level outside I-III.
    void damagedPanelRecords() {
        // clang-format off
        auto record = [](qint16 iRole, qint16 iLevel) {
            return CBytes().i32(14).i16(iRole).u8(0).str("").str("").str(sUltrasonic)
                .date(g_dtUnset).i16(iLevel).str("").data;
        };
        // clang-format on
        for (const QByteArray& damaged :
             {record(0, 1), record(5, 1), record(1, 3), record(1, -1)}) {
            QDataStream bad(damaged);
            bad.setVersion(QDataStream::Qt_4_6);
            PanelRecord r;
            QVERIFY(!readRecord(bad, r) && bad.status() == QDataStream::ReadCorruptData);
        }
    }

    void instrumentLettersAndButtons() {
        CMeasuringTool section(10, sCaption, nullptr, nullptr);
        QSignalSpy spy(&section, &CMeasuringTool::widgetHeightChanged);
        auto pAdd = child<QPushButton>(&section, "btn_addDevice");
        auto pDelete = child<QPushButton>(&section, "btn_delDevice");
        QVERIFY(pDelete->isHidden());
        click(pAdd);
        click(pAdd);
        QVERIFY(section.height() == 380 && pAdd->y() == 340 && !pDelete->isHidden());
        click(pDelete);
        QVERIFY(section.height() == 280 && spy.size() == 3);
        // the 27th panel is "a." again; taking two away and adding one gives "z."
        while (section.panels().size() < 27)
            pAdd->click();
        QCOMPARE(section.panels()[26]->indexText(), QStringLiteral("a."));
        pDelete->click();
        pDelete->click();
        pAdd->click();
        QCOMPARE(section.panels()[25]->indexText(), QStringLiteral("z."));
    }

    void instrumentNamesAndNumbers() {
        CScriptedDialogs dialogs;
        SLabLists lab({{}, storedTools(), {}, {}, {}});
        const CReferenceLists& lists = *lab.pLists;
        CMeasuringTool section(10, sCaption, lab.pLists, nullptr);
        section.findChild<QPushButton*>("btn_addDevice")->click();
        CWidgetTool* pFirst = section.panels()[0];
        CWidgetTool* pSecond = section.panels()[1];
        enter(toolBox(pFirst), sGauge); // a new name joins the list, offered by every panel
        QTRY_VERIFY(toolBox(pFirst)->currentIndex() == 2 && toolBox(pSecond)->count() == 3);
        QCOMPARE(lists.tools().size(), 2);
        // a new serial number of a stored instrument stays typed in this panel
        toolBox(pSecond)->setCurrentIndex(1);
        typeText(certEdit(pSecond), QStringLiteral("Н-5"));
        enter(numberBox(pSecond), QStringLiteral("9999"));
        QVERIFY(lists.tools()[0].lstDevices.size() == 2 && numberBox(pSecond)->count() == 3);
        QCOMPARE(pSecond->currentEntry(), ToolEntry({sFlaw, "9999", "Н-5", g_dtUnset, true}));
        numberBox(pSecond)->setCurrentIndex(2); // a stored device shows its certificate
        QVERIFY(child<QRadioButton>(pSecond, "rbtn_calibration")->isChecked());
        QCOMPARE(certEdit(pSecond)->text(), QStringLiteral("К-2"));
        // Enter on a serial number while the name is new keeps what was typed
        toolBox(pFirst)->setCurrentIndex(0);
        typeText(toolBox(pFirst)->lineEdit(), QStringLiteral("Новый"));
        typeText(certEdit(pFirst), QStringLiteral("X"));
        enter(numberBox(pFirst), QStringLiteral("77"));
        QCOMPARE(pFirst->currentEntry(), ToolEntry({"Новый", "77", "X", g_dtUnset, true}));
        // deleting an instrument from the list asks, and reaches the other panels
        toolBox(pFirst)->setCurrentIndex(2);
        dialogs.lstAnswers << CUserDialogs::No << CUserDialogs::Yes;
        click(child<QToolButton>(pFirst, "btn_deleteItem"));
        QCOMPARE(dialogs.texts().value(0), QStringLiteral("Удалить «Толщиномер» из справочника?"));
        QCOMPARE(lists.tools().size(), 2);
        click(child<QToolButton>(pFirst, "btn_deleteItem"));
        QVERIFY(lists.tools().size() == 1 && toolBox(pSecond)->count() == 2);
        // and the panel names no other instrument instead
        QCOMPARE(pFirst->currentEntry(), ToolEntry({"", "", "", g_dtUnset, true}));
    }

    // Entering and leaving the name or the number, by mouse, changes nothing:
    // Qt would choose the stored instrument the text names and blank the rest.
    void instrumentBoxesEnteredAndLeft() {
        QWidget window;
        SLabLists lab({{}, storedTools(), {}, {}, {}});
        CMeasuringTool section(10, sCaption, lab.pLists, &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        CWidgetTool* pPanel = section.panels()[0];
        fill(pPanel, sFlaw, "4321", "С-9", QDate(2027, 3, 3));
        click(child<QRadioButton>(pPanel, "rbtn_calibration"));
        const ToolEntry typed = pPanel->currentEntry();
        for (QComboBox* pBox : {toolBox(pPanel), numberBox(pPanel)}) {
            click(pBox->lineEdit());
            QTRY_VERIFY(pBox->hasFocus());
            click(certEdit(pPanel));
            QTRY_VERIFY(certEdit(pPanel)->hasFocus());
            QCOMPARE(pPanel->currentEntry(), typed);
        }
    }

    void instrumentsLearntOnSaveKeepWhatWasTyped() {
        SLabLists lab({{}, storedTools(), {}, {}, {}});
        const CReferenceLists& lists = *lab.pLists;
        CMeasuringTool section(10, sCaption, lab.pLists, nullptr);
        for (int i = 0; i < 3; ++i)
            section.findChild<QPushButton*>("btn_addDevice")->click();
        fill(section.panels()[0], sGauge, "1", "С-1", QDate(2015, 3, 1));
        fill(section.panels()[1], QStringLiteral("Старый"), "2", "С-2",
             QDate(2012, 12, 31));                                           // not complete
        fill(section.panels()[2], sFlaw, "1234", "С-1", QDate(2027, 1, 15)); // as stored
        toolBox(section.panels()[3])->setCurrentIndex(1); // stored name, new number, no date
        enter(numberBox(section.panels()[3]), QStringLiteral("8888"));
        typeText(certEdit(section.panels()[3]), QStringLiteral("Н-1"));
        const QList<ToolEntry> lstTyped = section.collectEntries();
        lab.pLists->learn(savedWith(section.record()), false);
        QCOMPARE(section.collectEntries(), lstTyped); // nothing typed is lost
        QCOMPARE(lists.tools(),
                 storedTools() +
                     QList<Tool>({{sGauge, {Device{"1", "С-1", QDate(2015, 3, 1), true}}}}));
        // complete entries are shown chosen
        QVERIFY(toolBox(section.panels()[0])->currentIndex() == 2 &&
                numberBox(section.panels()[0])->currentIndex() == 1);
        QCOMPARE(numberBox(section.panels()[2])->currentIndex(), 1);
        // two panels with one device: the first prevails
        SLabLists empty;
        CMeasuringTool other(10, sCaption, empty.pLists, nullptr);
        other.findChild<QPushButton*>("btn_addDevice")->click();
        fill(other.panels()[0], sGauge, "1", "новое", QDate(2020, 1, 1));
        fill(other.panels()[1], sGauge, "1", "старое", QDate(2020, 1, 1));
        empty.pLists->learn(savedWith(other.record()), false);
        QCOMPARE(empty.pLists->tools(),
                 QList<Tool>({{sGauge, {Device{"1", "новое", QDate(2020, 1, 1), true}}}}));
    }

    void instrumentLinesAndRecord() {
        SLabLists lab({{}, storedTools(), {}, {}, {}});
        CMeasuringTool section(10, sCaption, lab.pLists, nullptr);
        section.findChild<QPushButton*>("btn_addDevice")->click();
        fill(section.panels()[0], QStringLiteral("Прибор <А>"), "1&2", "К-7", g_dtUnset);
        child<QRadioButton>(section.panels()[0], "rbtn_calibration")->setChecked(true);
        fill(section.panels()[1], sGauge, "55", "С-9", QDate(2026, 12, 31));
        const QString sRow =
            QStringLiteral("<tr> <td width=4%></td> <td align=CENTER width=2%>%1</td> "
                           "<td align=LEFT width=94%>%2</td> </tr>\n");
        QCOMPARE(
            sectionHtml(section.record(), 1),
            "<p>9. Приборы и оборудование:</p>\n<TABLE WIDTH=\"100%\" BORDER=0 CELLSPACING=\"0\" "
            "CELLPADDING=\"2\">\n" +
                sRow.arg("a.", "Прибор &lt;А&gt; №1&amp;2, сертификат калибровки средств "
                               "измерений №К-7, действительно до __.__.____;") +
                sRow.arg("b.", "Толщиномер №55, свидетельство о поверке №С-9, действительно "
                               "до 31.12.2026.") +
                "</TABLE>\n");
        // opened: known devices keep their data, new numbers join
        // clang-format off
        const QByteArray record = CBytes().i32(12).str(sCaption).i32(1).str(sFlaw).i32(2)
            .str("1234").str("другой").date(QDate(2030, 1, 1)).u8(0)
            .str("4321").str("С-4").date(QDate(2026, 5, 5)).u8(1)
            .i32(1).str(sFlaw).str("4321").str("С-4").date(QDate(2026, 5, 5)).u8(1).data;
        // clang-format on
        QVERIFY(showRecord(section, record));
        ToolsRecord read;
        QDataStream in(record);
        in.setVersion(QDataStream::Qt_4_6);
        QVERIFY(readRecord(in, read));
        lab.pLists->learn(savedWith(read), true);
        QVERIFY(section.number() == 12 && section.panels().size() == 1);
        QCOMPARE(lab.pLists->tools()[0].lstDevices[0], storedTools()[0].lstDevices[0]);
        QCOMPARE(lab.pLists->tools()[0].lstDevices.size(), 3);
        QCOMPARE(section.panels()[0]->currentEntry(),
                 ToolEntry({sFlaw, "4321", "С-4", QDate(2026, 5, 5), true}));
        // a negative count, or one the bytes cannot hold, creates nothing
        for (const qint32 n : {-1, 1000000}) {
            QVERIFY(!showRecord(section, CBytes().i32(3).str("X").i32(0).i32(n).str("a").data));
            QVERIFY(section.number() == 12 && section.panels().size() == 1);
        }
    }

    // A validity up to 2001 was never really entered: both panels take it
    // as unset, from 2002 on as given.
    void earlyValidityIsUnset_data() {
        QTest::addColumn<QDate>("dtShown");
        QTest::addColumn<QDate>("dtEntry");
        QTest::newRow("2001") << QDate(2001, 12, 31) << g_dtUnset;
        QTest::newRow("2002") << QDate(2002, 1, 1) << QDate(2002, 1, 1);
    }
    void earlyValidityIsUnset() {
        QFETCH(QDate, dtShown);
        QFETCH(QDate, dtEntry);
        CWidgetSpecial specialist(nullptr, {}, sUltrasonic, eControler, false, 0);
        CWidgetTool tool(nullptr, "a.", {});
        validityEdit(&specialist)->setDate(dtShown);
        validityEdit(&tool)->setDate(dtShown);
        QCOMPARE(specialist.currentEntry().dtValidity, dtEntry);
        QCOMPARE(tool.currentEntry().dtValidity, dtEntry);
    }

    void validityMarks() {
        const QDate dtProtocol(2026, 6, 10);
        CWidgetSpecial panel(nullptr, nullptr, sUltrasonic, eControler, false, 0);
        panel.setProtocolDate(dtProtocol);
        QCOMPARE(panel.validity(), EValidity::Valid); // no fault until someone is named
        typeText(nameBox(&panel)->lineEdit(), QStringLiteral("Иванов"));
        QCOMPARE(validityEdit(&panel)->toolTip(), QStringLiteral("Срок действия не указан"));
        const struct {
            int iDays;
            EValidity e;
            QString sTip;
        } cases[] = {{-1, EValidity::Expired, "Срок действия истек 09.06.2026"},
                     {0, EValidity::ExpiringSoon, "Срок действия истекает 10.06.2026"},
                     {30, EValidity::ExpiringSoon, "Срок действия истекает 10.07.2026"},
                     {31, EValidity::Valid, ""}};
        for (const auto& c : cases) {
            validityEdit(&panel)->setDate(dtProtocol.addDays(c.iDays));
            QCOMPARE(panel.validity(), c.e);
            QCOMPARE(validityEdit(&panel)->toolTip(), c.sTip);
            QCOMPARE(validityEdit(&panel)->palette().color(QPalette::Base) ==
                         panel.palette().color(QPalette::Base),
                     c.e == EValidity::Valid);
        }
        CWidgetTool tool(nullptr, QStringLiteral("a."), {}); // the same rule for an instrument
        tool.setProtocolDate(dtProtocol);
        fill(&tool, sGauge, "5", "", dtProtocol.addDays(-1));
        QCOMPARE(tool.validity(), EValidity::Expired);
        validityEdit(&tool)->setDate(g_dtUnset);
        QCOMPARE(tool.validity(), EValidity::Missing);
    }
};

QTEST_MAIN(TestRefData)
#include "tst_refdata.moc"
