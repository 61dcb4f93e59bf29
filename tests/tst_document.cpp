// The protocol document. Guards: a new protocol's bytes and a two-method
// protocol written by hand, read, printed and written back byte for byte;
// records in any order; damaged documents read as far as sound, then
// counted as unsaved; a file that is no protocol refused with the form
// untouched; nothing of the previous protocol surviving an open; at most a
// thousand user items; save and reopen giving the same protocol; a Tab walk
// through the instruments changing no byte; instruments learnt on save; a
// save that cannot be written or committed reported, the old file kept.
#include "app/vekconclusion.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/reportheader.h"
#include "document/protocolmodel.h"
#include "items/extdatset.h"
#include "items/stdcomboitem.h"
#include "items/stditem.h"
#include "refdata/widgettool.h"
#include "results/conclusion.h"
#include "storage/recentdocuments.h"
#include "storage/referencefiles.h"
#include "storage/referencelists.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/largeprotocol.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>

namespace {
const QString sNumberCaption = QStringLiteral("Номер протокола");
const QString sDatesCaption = QStringLiteral("Дата проведения контроля:");
const QString sCustomer = QStringLiteral("Заказчик:");
const QString sReason = QStringLiteral("Основание для проведения контроля:");
const QString sStandards = QStringLiteral("Контроль выполнен согласно:");
const QString sAssessment = QStringLiteral("Оценка качества работ:");
const QString sToolsCaption = QStringLiteral("Приборы и оборудование:");
const QDate g_dtUnset(2000, 1, 1);

// clang-format off
// The records of a new protocol from the customer to the instruments.
CBytes& newProtocolItems(CBytes& b) {
    b.i16(6).i32(1).str(sDatesCaption).u32(1).date(g_dtUnset);
    b.i16(3).i32(2).str(sCustomer).str("").u32(0);
    b.i16(2).i32(3).str("Адрес проведения контроля:").str("");
    b.i16(3).i32(4).str(sReason).str("").u32(0);
    b.i16(2).i32(5).str("Наименование объекта:").str("");
    b.i16(2).i32(6).str("Объект контроля:").str("");
    b.i16(2).i32(7).str("Стадия контроля:").str("");
    b.i16(5).i32(8).str(sStandards).strList({""}).u32(0);
    return b.i16(5).i32(9).str(sAssessment).strList({""}).u32(0);
    // clang-format on
}
} // namespace

namespace {
// The process's peak memory, VmHWM of /proc/self/status, in kB.
qint64 peakMemoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}
// Sets the peak back to the memory held now (Linux: "5" to clear_refs); that.
qint64 resetPeakMemoryKb() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    return peakMemoryKb();
}
} // namespace

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    // A new protocol, as its records write it and as a new form shows it.
    void newProtocolBytes() {
        // clang-format off
        CBytes expected;
        expected.i16(0).str("Лаборатория").nullStr().str("").str("").str("");
        expected.i16(2).i32(0).str(sNumberCaption).str("");
        expected.i16(1).date(QDate::currentDate());
        expected.i16(4).i32(0).str("Методы контроля").strList({"ультразвуковой"});
        newProtocolItems(expected);
        expected.i16(7).i32(10).str(sToolsCaption).i32(0)                 // no instruments known
            .i32(1).str("").str("").str("").date(g_dtUnset).u8(1);        // panel "a."
        expected.i16(8).i32(1).i32(0)                                     // one conclusion, no specialists
            .i32(11).str("ультразвукового").strList({}).i32(5).i32(5)
            .strList({"Номер объекта", "Типоразмер", "Результат контроля", "Заключение", "Примечания"})
            .strList(QStringList(25, ""))
            .u8(1).i32(12).str("ультразвукового").str("")                 // written conclusion
            .i32(1).i32(13).i16(3).u8(1).str("").str("").str("ультразвуковому")
            .date(g_dtUnset).i16(1).str("");
        expected.i16(9).i32(0);
        // clang-format on
        HeaderRecord header;
        header.sName = QStringLiteral("Лаборатория");
        header.sPhone = header.sLicence = header.sIssuedBy = QStringLiteral("");
        const ProtocolDocument blank = blankProtocol(header, QDate::currentDate());
        QCOMPARE(protocolBytes(blank).toHex(), expected.data.toHex());
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        header.sName.clear();
        QCOMPARE(form.document(), blankProtocol(header, QDate::currentDate()));
    }

    // What the form cannot show of a document read is named, and the
    // protocol counts as changed and is not written over in place: a method
    // none of the nine names (never shown or printed as another one), a
    // caption no section has, more dates than the form holds, a date it
    // cannot show.
    void whatCannotBeShownIsNamed_data() {
        QTest::addColumn<QString>("sNamed");
        QTest::addColumn<int>("iKind");
        QTest::newRow("unknown method") << "течеискание" << 0;
        QTest::newRow("unknown caption") << "Исполнитель:" << 1;
        QTest::newRow("150 dates") << sDatesCaption << 2;
        QTest::newRow("a date before 2012") << sDatesCaption << 3;
    }
    void whatCannotBeShownIsNamed() {
        QFETCH(QString, sNamed);
        QFETCH(int, iKind);
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        ProtocolDocument doc = blankProtocol({"Лаборатория", "", "", "", ""}, QDate(2026, 3, 2));
        for (SectionRecord& record : doc.lstRecords) {
            if (auto* p = std::get_if<MethodsRecord>(&record); p && iKind == 0)
                p->lstTexts << sNamed;
            if (auto* p = std::get_if<ConclusionsRecord>(&record); p && iKind == 0) {
                p->lstConclusions << p->lstConclusions[0];
                p->lstConclusions[1].report.sDescription = QStringLiteral("течь не выявлена");
                p->iCount = 2;
            }
            if (auto* p = std::get_if<DateSetRecord>(&record); p && iKind == 2)
                p->lstDates = QList<QDate>(150, QDate(2026, 3, 1));
            if (auto* p = std::get_if<DateSetRecord>(&record); p && iKind == 3)
                p->lstDates = {QDate(2011, 5, 6)};
        }
        if (iKind == 1)
            doc.lstRecords.insert(5, StdItemRecord{5, sNamed, QStringLiteral("Петров")});
        writeFile(dir.filePath("p.rpt"), protocolBytes(doc));
        QVERIFY(!form.controller().openDocument(dir.filePath("p.rpt")));
        QVERIFY2(dialogs.texts().value(0).contains(sNamed), qPrintable(dialogs.texts().value(0)));
        QVERIFY(form.controller().isChanged() && form.controller().currentFile().isEmpty());
        const QString sHtml = form.buildProtocolHtml();
        QVERIFY(!sHtml.contains("акустико") && !sHtml.contains("течь не выявлена"));
    }

    // Every field of an instrument's certificate is a change, its kind too.
    void choosingCalibrationIsAChange() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        QVERIFY(!form.controller().isChanged());
        click(child<QRadioButton>(form.findChildren<CWidgetTool*>().first(), "rbtn_calibration"));
        QTRY_VERIFY(form.controller().isModified());
    }

    // The form gives the document it shows, and shows the document it is
    // given, down to the last cell of a large protocol.
    void largeProtocolShownAndGivenBackWhole() {
        QTemporaryDir dir;
        writeSpecialists(dir.path(), knownSpecialists(100));
        CFusionWidget form(dir.path());
        fillProtocol(form, g_largeProtocol);
        const ProtocolDocument doc = form.document();
        // every section's edits reached the model, record by record
        QCoreApplication::processEvents();
        QVERIFY(form.model().document() == doc);
        CFusionWidget other(dir.path());
        other.setDocument(doc);
        QVERIFY(other.document() == doc);
        QCoreApplication::processEvents();
        QVERIFY(other.model().document() == doc);
        QCOMPARE(other.buildProtocolHtml(), form.buildProtocolHtml());
        form.setDocument(doc);
        QVERIFY(form.document() == doc);
    }

    // The next protocol of the same work, made from the one on screen: what
    // they share kept, field by field; the rest empty; the next number.
    void newFromCurrentKeepsTheWork() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeSpecialists(dir.path(), knownSpecialists(3));
        CFusionWidget form(dir.path());
        CVEKConclusion::connectCommandBar(form);
        fillProtocol(form, {2, 7, 3, 2, 2, 2, 3});
        enterChoice(form.sections()[eCustomer], QStringLiteral("ООО Ромашка"));
        for (int i : {eAddress, eObjectName, eObject, eStage})
            enterValue(form.sections()[i], QStringLiteral("поле %1").arg(i));
        enterChoice(form.sections()[eStandards], QStringLiteral("СП 70"));
        form.sections()[eControlDates]->findChild<QDateEdit*>()->setDate(QDate(2026, 3, 2));
        child<QDateEdit>(form.sections()[eDate], "dedt_date")->setDate(QDate(2026, 3, 3));
        typeText(child<QTextEdit>(form.conclusions()[1], "tedt_description"), "Годен");
        typeText(valueEdit(form.sections()[eNumber]), QStringLiteral("118/26"));
        dialogs.lstFileNames << dir.filePath("118.rpt");
        QVERIFY(form.controller().saveReport());
        const ProtocolDocument before = form.document();

        click(child<QToolButton>(&form, "btn_newFromCurrent"));
        const ProtocolDocument after = form.document();
        QCOMPARE(after.lstRecords.size(), before.lstRecords.size());
        int iEmptied = 0;
        for (int i = 0; i < after.lstRecords.size(); ++i) {
            const SectionRecord& was = before.lstRecords[i];
            const SectionRecord& is = after.lstRecords[i];
            if (const auto* p = std::get_if<DateRecord>(&is)) {
                QCOMPARE(p->dtDate, QDate::currentDate());
            } else if (const auto* p = std::get_if<StdItemRecord>(&is);
                       p && p->sName == Caption::sNumber) {
                QCOMPARE(p->sValue, QStringLiteral("119/26"));
            } else if (const auto* p = std::get_if<DateSetRecord>(&is)) {
                QCOMPARE(p->lstDates, QList<QDate>({g_dtUnset}));
            } else if (const auto* p = std::get_if<ConclusionsRecord>(&is)) {
                const auto& lstWere = std::get<ConclusionsRecord>(was).lstConclusions;
                QCOMPARE(p->lstConclusions.size(), 2);
                for (int c = 0; c < 2; ++c) {
                    const ConclusionRecord& now = p->lstConclusions[c];
                    const ConclusionRecord& then = lstWere[c];
                    const TableRecord& table = now.results.table;
                    QCOMPARE(table.lstTitles, then.results.table.lstTitles);
                    QVERIFY(table.iColumns == 3 && table.iRows == 7);
                    QCOMPARE(table.lstCells, QStringList(21, QString("")));
                    QVERIFY(now.report.sDescription.isEmpty() && now.report.bOn);
                    QCOMPARE(now.lstPanels, then.lstPanels);
                    QCOMPARE(now.results.sMethod, then.results.sMethod);
                }
                ++iEmptied;
            } else {
                QVERIFY2(is == was, qPrintable(QString::number(i))); // kept as it was
            }
        }
        QCOMPARE(iEmptied, 1);
        QVERIFY(form.controller().currentFile().isEmpty() && !form.controller().isModified());
        QCOMPARE(fileBytes(dir.filePath("118.rpt")),
                 protocolBytes(before)); // the old one untouched
        // the object kept is named before the protocol goes out, until it is changed
        const QString sKept = "объект контроля взят из предыдущего протокола и не изменен: поле " +
                              QString::number(eObject);
        form.slot_printReport();
        QVERIFY(dialogs.texts().value(0).contains(sKept));
        enterValue(form.sections()[eObject], QStringLiteral("шов 2"));
        dialogs.lstMessages.clear();
        form.slot_printReport();
        QVERIFY(!dialogs.texts().value(0).contains("объект контроля"));
    }

    void recordsInAnyOrder() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        // clang-format off
        CBytes doc;
        doc.i16(9).i32(1).i32(4).str("Примечание:").str("текст");       // user item first
        doc.i16(2).i32(7).str("Стадия контроля:").str("монтаж");
        doc.i16(2).i32(1).str("Нет такого пункта:").str("x");              // dropped
        doc.i16(1).date(QDate(2011, 3, 5));
        doc.i16(0).str("Лаборатория").str("г. Москва").str("123").str("45").str("Ростехнадзор");
        doc.i16(2).i32(0).str(sNumberCaption).str("12");
        doc.i16(3).i32(2).str(sCustomer).str("ООО Ромашка").strList({"ООО Ромашка"});
        doc.i16(3).i32(4).str(sReason).str("Договор 1").strList({});
        doc.i16(5).i32(8).str(sStandards).strList({"ГОСТ 1", "ГОСТ 2"}).strList({"ГОСТ 2", "ГОСТ 1"});
        doc.i16(6).i32(1).str(sDatesCaption).u32(2).date(QDate(2012, 5, 6)).date(g_dtUnset);
        // clang-format on
        QVERIFY(readInto(form, doc.data));
        const auto& s = form.sections();
        QCOMPARE(qobject_cast<CStdItem*>(s[eReason + 1])->name(), QStringLiteral("Примечание:"));
        // the customer and its ground became an organisation; the standards joined the list
        QCOMPARE(form.lists().organizations(),
                 QList<Organization>({{"ООО Ромашка", {"Договор 1"}}}));
        QCOMPARE(form.lists().standards(), QStringList({"ГОСТ 1", "ГОСТ 2"}));
        QList<QDate> lstDates;
        qobject_cast<CExtDatSet*>(s[eControlDates])->collectDates(lstDates);
        QCOMPARE(lstDates, QList<QDate>({QDate(2012, 5, 6), g_dtUnset}));
        const QString sHtml = form.buildProtocolHtml();
        QVERIFY(sHtml.contains("<b>Лаборатория</b>") && sHtml.contains("№12 от 05.03.2011 г."));
        QVERIFY(sHtml.contains("<p>2. Заказчик: ООО Ромашка.</p>") && sHtml.contains("монтаж"));
    }

    void damagedOrForeignFiles() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        const int iCount = form.sections().size();
        // an unknown tag stops the reading; absurd counts of user items create nothing
        QVERIFY(!readInto(
            form, CBytes().i16(42).i32(1).i16(2).i32(6).str("Объект контроля:").str("b").data));
        QVERIFY(!readInto(form, CBytes().i16(9).i32(2000000000).i32(4).str("A:").str("b").data));
        QVERIFY(!readInto(form, CBytes().i16(9).i32(-5).data));
        QVERIFY(form.sections().size() == iCount &&
                valueEdit(form.sections()[eObject])->text().isEmpty());
        // a filled protocol on screen
        addMethodRow(form);
        form.conclusions()[1]->setData(1, 1, {"T"}, {"дефект"});
        enterValue(form.sections()[eObject], QStringLiteral("Котёл"));
        form.slot_addNewStdItem(3, QStringLiteral("Своё:"), QString());
        const QString sBefore = form.buildProtocolHtml();
        // an empty file, or one with no sound record, is no protocol: nothing changes
        writeFile(dir.filePath("empty.rpt"), {});
        writeFile(dir.filePath("noise.rpt"), CBytes().i16(8).i32(3).u32(7).data);
        for (const char* pName : {"empty.rpt", "noise.rpt"}) {
            QVERIFY(!form.controller().openDocument(dir.filePath(pName)));
            QCOMPARE(dialogs.texts().last(),
                     QStringLiteral("Файл «%1» не является протоколом.").arg(dir.filePath(pName)));
            QCOMPARE(form.buildProtocolHtml(), sBefore);
        }
        // a document cut after its first records: nothing of the previous protocol survives
        // clang-format off
        const CBytes cut = CBytes().i16(2).i32(7).str("Стадия контроля:").str("монтаж")
                               .i16(2).i32(6).str("Объект контроля:").raw(QByteArray(3, 0));
        // clang-format on
        writeFile(dir.filePath("cut.rpt"), cut.data);
        QVERIFY(!form.controller().openDocument(dir.filePath("cut.rpt")));
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("Документ \"%1\" поврежден и прочитан только "
                                "частично!")
                     .arg(dir.filePath("cut.rpt")));
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("монтаж"));
        QVERIFY(valueEdit(form.sections()[eObject])->text().isEmpty());
        QVERIFY(form.conclusions().size() == 1 && form.userItems().isEmpty());
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QVERIFY(form.controller().isChanged()); // read only partly: closing asks
        // 8 MB of empty cells for a table of 2,000,000 rows, or for one cell:
        // damage, refused before the cells take any memory (they took 500 MB)
        for (const int iRows : {2000000, 1}) {
            CBytes huge;
            huge.i16(2).i32(7).str("Стадия контроля:").str("сварка");
            huge.i16(8).i32(1).i32(0).i32(11).str("ультразвукового").strList({});
            huge.i32(iRows).i32(1).strList({"Шов"}).i32(2000000).raw(QByteArray(8000000, 0));
            writeFile(dir.filePath("huge.rpt"), huge.data);
            const qint64 iBefore = resetPeakMemoryKb();
            QVERIFY(!form.controller().openDocument(dir.filePath("huge.rpt")));
            QVERIFY2(peakMemoryKb() - iBefore < 32 * 1024,
                     qPrintable(QString::number(peakMemoryKb() - iBefore)));
            QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("сварка"));
            QVERIFY(dialogs.texts().last().contains("поврежден"));
        }
    }

    void atMostAThousandUserItems() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        CBytes doc;
        doc.i16(9).i32(1001);
        for (int i = 0; i < 1001; ++i)
            doc.i32(14 + i).str("Пункт:").str("");
        QVERIFY(!readInto(form, doc.data)); // the 1001st is damage
        QCOMPARE(form.userItems().size(), 1000);
        form.slot_addNewStdItem(5, QStringLiteral("Ещё:"), QString()); // the form refuses another
        QVERIFY(dialogs.lstMessages.size() == 1 && form.userItems().size() == 1000);
        // the next document removes them all; its own comes back at its number
        QVERIFY(readInto(form, CBytes().i16(9).i32(1).i32(3).str("Примечание:").str("x").data));
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    }

    void saveAndReopenGivesTheSameProtocol() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        const auto& s = form.sections();
        enterValue(s[eNumber], QStringLiteral("17/2"));
        enterChoice(s[eCustomer], QStringLiteral("ООО Ромашка"));
        enterChoice(s[eReason], QStringLiteral("Договор 5"));
        enterChoice(s[eStandards], QStringLiteral("РД 34.17.302"));
        addMethodRow(form);
        // a customer typed without Enter and a ground typed for it are kept
        choiceBox(s[eCustomer])->setCurrentIndex(0);
        choiceBox(s[eCustomer])->lineEdit()->setText(QStringLiteral("Новый"));
        choiceBox(s[eReason])->lineEdit()->setText(QStringLiteral("Основание 2"));
        form.slot_addNewStdItem(10, QStringLiteral("Десятый:"), QStringLiteral("d"));
        form.slot_addNewStdItem(4, QStringLiteral("Четвёртый:"), QStringLiteral("c"));
        dialogs.lstFileNames << dir.filePath("protocol"); // no extension: ".rpt" is added
        QVERIFY(form.controller().saveReport());
        QVERIFY(dialogs.lstMessages.isEmpty() && !form.controller().isChanged());
        QCOMPARE(form.lists().organizations().value(1), Organization({"Новый", {"Основание 2"}}));
        // user items are written last, in the order they were added
        // clang-format off
        QVERIFY(fileBytes(dir.filePath("protocol.rpt")).endsWith(CBytes().i16(9).i32(2)
            .i32(11).str("Десятый:").str("d").i32(4).str("Четвёртый:").str("c").data));
        // clang-format on
        // a new form offers what was learnt; its own user item gives way to the document's
        CFusionWidget other(dir.path());
        QCOMPARE(other.lists().organizations().size(), 2);
        QCOMPARE(other.controller().workDir(), dir.path());
        other.slot_addNewStdItem(2, QStringLiteral("Лишний:"), QString());
        dialogs.lstAnswers << CUserDialogs::No;
        dialogs.lstFileNames << dir.filePath("protocol.rpt");
        other.slot_openSavedReport();
        QCOMPARE(dialogs.lstMessages.size(), 1); // only the unsaved-change question
        QCOMPARE(numbersFrom(other), numbersFrom(form));
        QCOMPARE(documentOf(other), documentOf(form));
        QVERIFY(!other.controller().isChanged());
    }

    void twoMethodDocumentWrittenByHand() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        const QString sUz = QStringLiteral("ультразвукового"), sMag = QStringLiteral("магнитного");
        const QString sFlaw = QStringLiteral("Дефектоскоп УД2-12");
        const QStringList lstTitles = {"Номер объекта", "Результат контроля"};
        // clang-format off
        auto specialists = [](CBytes& b) -> CBytes& {
            return b.i32(2).str("Иванов И.И.").i32(1).str("0001").str("НАКС")
                .i32(1).str("ультразвуковому").date(QDate(2027, 5, 1)).i16(1)
                .str("Петров П.П.").i32(1).str("0002").str("РОНКТД")
                .i32(1).str("магнитному").date(QDate(2026, 3, 1)).i16(2);
        };
        CBytes doc;
        doc.i16(0).str("ИЛ НК").str("г. Тверь").str("123").str("45").str("РОСС");
        doc.i16(2).i32(0).str(sNumberCaption).str("7-НК");
        doc.i16(1).date(QDate(2026, 12, 1));
        doc.i16(4).i32(0).str("Методы контроля").strList({"ультразвуковой", "магнитный"});
        doc.i16(6).i32(1).str(sDatesCaption).u32(1).date(QDate(2026, 11, 30));
        doc.i16(3).i32(2).str(sCustomer).str("ООО Ромашка").strList({"ООО Ромашка"});
        doc.i16(2).i32(3).str("Адрес проведения контроля:").str("г. Тверь");
        doc.i16(3).i32(4).str(sReason).str("Договор 5").strList({"Договор 5"});
        doc.i16(2).i32(5).str("Наименование объекта:").str("Котёл");
        doc.i16(2).i32(6).str("Объект контроля:").str("Швы");
        doc.i16(2).i32(7).str("Стадия контроля:").str("Монтаж");
        doc.i16(5).i32(8).str(sStandards).strList({"ГОСТ 1"}).strList({"ГОСТ 1"});
        doc.i16(5).i32(9).str(sAssessment).strList({"Годен"}).strList({"Годен"});
        doc.i16(7).i32(10).str(sToolsCaption)
            .i32(1).str(sFlaw).i32(1).str("1234").str("С-1").date(QDate(2027, 1, 15)).u8(1)
            .i32(1).str(sFlaw).str("1234").str("С-1").date(QDate(2027, 1, 15)).u8(1);
        doc.i16(8).i32(2);
        specialists(doc).i32(11).str(sUz).strList({}).i32(1).i32(2).strList(lstTitles)
            .strList({"Шов 1", "Годен"}).u8(1).i32(12).str(sUz)
            .str("Дефектов не обнаружено.\nКонтроль завершён.").i32(1)
            .i32(13).i16(3).u8(1).str("Иванов И.И.").str("0001").str("ультразвуковому")
            .date(QDate(2027, 5, 1)).i16(1).str("НАКС");
        specialists(doc).i32(14).str(sMag).strList({sUz}).i32(1).i32(2).strList(lstTitles)
            .strList({"Шов 2", "Годен"}).u8(0).i32(15).str(sMag).str("").i32(2)
            .i32(15).i16(1).u8(0).str("Петров П.П.").str("0002").str("магнитному")
            .date(QDate(2026, 3, 1)).i16(2).str("РОНКТД")
            .i32(0).i16(4).u8(0).str("Сидоров <С.С.>").str("77").str("магнитному")
            .date(g_dtUnset).i16(0).str("");
        doc.i16(9).i32(1).i32(16).str("Примечание:").str("нет");
        // clang-format on
        writeFile(dir.filePath("two.rpt"), doc.data);
        dialogs.lstFileNames << dir.filePath("two.rpt");
        form.slot_openSavedReport();
        QVERIFY(dialogs.lstMessages.isEmpty());
        QCOMPARE(numbersFrom(form).mid(9), QList<int>({10, 11, 14, 16}));
        const QString sTable1 = QStringLiteral(
            "<TABLE ALIGN=\"CENTER\" WIDTH=100% BORDER=\"1\" CELLSPACING=\"0\" CELLPADDING=\"1\">\n"
            "<TR><TD ALIGN=\"CENTER\">№</TD><TD ALIGN=\"CENTER\">Номер объекта</TD>"
            "<TD ALIGN=\"CENTER\">Результат контроля</TD></TR>\n"
            "<TR><TD ALIGN=\"CENTER\">1</TD><TD ALIGN=\"CENTER\">Шов 1</TD>"
            "<TD ALIGN=\"CENTER\">Годен</TD></TR>\n</TABLE>\n");
        const QString sTable2 = QString(sTable1).replace("Шов 1", "Шов 2");
        const QString sExpected =
            "<p>10. Приборы и оборудование:</p>\n"
            "<TABLE WIDTH=\"100%\" BORDER=0 CELLSPACING=\"0\" CELLPADDING=\"2\">\n"
            "<tr> <td width=4%></td> <td align=CENTER width=2%>a.</td> <td align=LEFT "
            "width=94%>Дефектоскоп УД2-12 №1234, свидетельство о поверке №С-1, действительно "
            "до 15.01.2027.</td> </tr>\n</TABLE>\n"
            "<p>11. Результаты ультразвукового контроля.</p>\n" +
            sTable1 +
            "<br>\n<p>12. Заключение по результатам ультразвукового контроля: Дефектов не "
            "обнаружено.<br>Контроль завершён.</p>\n<br>\n"
            "<p><b>Провел контроль и выдал заключение:</b></p>\n"
            "<p>Специалист 2 уровня НК, удостоверение №0001, выданное НАКС, действительно "
            "до 01.05.2027</p>\n<p>____________________Иванов И.И.</p>\n<br>\n"
            "<p>13. Результаты магнитного контроля.</p>\n" +
            sTable2 +
            "<br>\n<p><b>Провел контроль:</b></p>\n"
            "<p>Специалист 3 уровня НК, удостоверение №0002, выданное РОНКТД, действительно "
            "до 01.03.2026</p>\n<p>____________________Петров П.П.</p>\n<br>\n"
            "<p><b>Руководитель:</b></p>\n"
            "<p>Специалист 1 уровня НК, удостоверение №77, выданное , действительно "
            "до __.__.____</p>\n<p>____________________Сидоров &lt;С.С.&gt;</p>\n<br>\n"
            "<p>14. Примечание: нет.</p>\n";
        QVERIFY(form.buildProtocolHtml().endsWith(sExpected));
        QVERIFY(form.protocolHeading().contains(
            "ультразвуковым и магнитным методами №7-НК от 01.12.2026 г."));
        // written back byte for byte: by the records alone, and by the form showing them
        QCOMPARE(protocolBytes(readProtocol(doc.data).document).toHex(), doc.data.toHex());
        QCOMPARE(documentOf(form).toHex(), doc.data.toHex());
        QVERIFY(!form.controller().isChanged());
        // printed to PDF after the question on the expired and the missing validity
        form.printer()->setOutputFormat(QPrinter::PdfFormat);
        form.printer()->setOutputFileName(dir.filePath("two.pdf"));
        dialogs.lstAnswers << CUserDialogs::Yes;
        dialogs.lstDialogActions << [](QDialog*) { return int(QDialog::Accepted); };
        form.slot_printReport();
        QCOMPARE(dialogs.texts(),
                 QStringList(
                     {"Сроки действия истекли или не указаны:\n"
                      "Специалист Петров П.П., удостоверение № 0002: истекло 01.03.2026\n"
                      "Специалист Сидоров <С.С.>, удостоверение № 77: срок действия не указан\n\n"
                      "Печатать протокол все равно?"}));
        // the PDF of one step: the pages of the print, titled, with the validity asked first
        dialogs.lstAnswers << CUserDialogs::Yes;
        dialogs.lstFileNames << dir.filePath("three");
        form.slot_exportPdf();
        QCOMPARE(dialogs.lstFileRequests.last().sDir, dir.filePath("7-НК.pdf"));
        QVERIFY(dialogs.texts().last().endsWith("\n\nСохранить протокол в PDF все равно?"));
        QCOMPARE(pdfInfo(dir.filePath("three.pdf"), "Title"),
                 QStringLiteral("Протокол №7-НК от 01.12.2026"));
        QCOMPARE(pdfInfo(dir.filePath("three.pdf"), "Creator"),
                 QStringLiteral("Подготовка отчета 1.0"));
        QCOMPARE(pdfInfo(dir.filePath("three.pdf"), "Pages"),
                 pdfInfo(dir.filePath("two.pdf"), "Pages"));
        QCOMPARE(pdfInfo(dir.filePath("three.pdf"), "Page size"),
                 pdfInfo(dir.filePath("two.pdf"), "Page size"));
    }

    // Tab through every field of a filled instruments section, as a user
    // checks it, and save again: the document does not change by a byte.
    void tabWalkThroughInstrumentsChangesNothing() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeListFiles(dir.path(), {{}, {{QStringLiteral("Толщиномер"), {}}}, {}, {}, {}},
                       eToolsFile);
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        CFusionWidget& form = *window.composer();
        QWidget* pTools = form.sections()[eTools];
        click(child<QPushButton>(pTools, "btn_addDevice"));
        const auto lstPanels = pTools->findChildren<CWidgetTool*>();
        // a stored name typed, not chosen, with a new number and certificate; no date
        const QList<ToolEntry> lstEntries = {{"Толщиномер", "11", "С-5", QDate(2026, 6, 1), false},
                                             {"Толщиномер", "22", "К-6", g_dtUnset, true}};
        for (int i = 0; i < 2; ++i) {
            typeText(child<QComboBox>(lstPanels[i], "cmb_tools")->lineEdit(),
                     lstEntries[i].sToolName);
            typeText(child<QComboBox>(lstPanels[i], "cmb_numbers")->lineEdit(),
                     lstEntries[i].sNumber);
            typeText(child<QLineEdit>(lstPanels[i], "edt_certNumber"), lstEntries[i].sCertNumber);
            child<QDateEdit>(lstPanels[i], "dedt_validity")->setDate(lstEntries[i].dtValidity);
            child<QRadioButton>(lstPanels[i],
                                lstEntries[i].bVerification ? "rbtn_checking" : "rbtn_calibration")
                ->setChecked(true);
        }
        dialogs.lstFileNames << dir.filePath("p.rpt") << dir.filePath("p.rpt");
        QVERIFY(form.controller().saveReport());
        QCOMPARE(form.sections()[eTools]->findChildren<CWidgetTool*>().value(1)->currentEntry(),
                 lstEntries[1]);
        const QByteArray saved = fileBytes(dir.filePath("p.rpt"));
        click(child<QComboBox>(lstPanels[0], "cmb_tools"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // the list of a chosen name
        for (int i = 0; i < 20 && pTools->isAncestorOf(QApplication::focusWidget()); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(!pTools->isAncestorOf(QApplication::focusWidget())); // every field was passed
        QVERIFY(form.controller().saveReport());
        QCOMPARE(fileBytes(dir.filePath("p.rpt")).toHex(), saved.toHex());
        // the complete entry was learnt; the other one is as typed
        // clang-format off
        QCOMPARE(fileBytes(dir.filePath("tools.hmdb")), CBytes().i32(1).str("Толщиномер")
                     .i32(1).str("11").str("С-5").date(QDate(2026, 6, 1)).u8(0).data);
        // clang-format on
    }

    void failedSavesAreReportedTheOldFileKept() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        writeFile(dir.filePath("a.RPT"), CBytes().i16(9).i32(0).data); // an upper-case extension
        dialogs.lstFileNames << dir.filePath("a.RPT") << dir.filePath("missing.rpt");
        form.slot_openSavedReport();
        form.slot_openSavedReport();
        QCOMPARE(dialogs.texts(),
                 QStringList({QStringLiteral("Указан файл \"%1\"\nс неправильным расширением!")
                                  .arg(dir.filePath("a.RPT")),
                              QStringLiteral("Не удалось открыть файл \"%1\" для чтения!")
                                  .arg(dir.filePath("missing.rpt"))}));
        // a file that cannot be created: reported, nothing written, still changed
        enterValue(form.sections()[eStage], QStringLiteral("x"));
        const QString sCannot = QStringLiteral("Не удалось открыть файл \"%1\"\nдля записи!");
        dialogs.lstFileNames << dir.filePath("no/such/dir/p.rpt");
        QVERIFY(!form.controller().saveReport());
        QCOMPARE(dialogs.texts().last(), sCannot.arg(dir.filePath("no/such/dir/p.rpt")) +
                                             "\n\nПапка «" + dir.filePath("no/such/dir") +
                                             "» недоступна для записи");
        QVERIFY(form.controller().isChanged() && !QFile::exists(dir.filePath("optional.hmdb")));
        // the last step, replacing the old file, refused by a directory that
        // lets files be made but none renamed (append-only)
        QTemporaryDir local(QDir::current().filePath("commit-XXXXXX"));
        const QString sOld = local.filePath("old.rpt");
        writeFile(sOld, "old protocol");
        if (QProcess::execute("chattr", {"+a", local.path()}) != 0)
            QSKIP("chattr +a is not supported on this file system");
        dialogs.lstFileNames << sOld;
        const bool bSaved = form.controller().saveReport();
        QProcess::execute("chattr", {"-a", local.path()});
        QVERIFY(!bSaved && form.controller().isChanged());
        // the reason in Russian, whatever language the system's messages are in
        QCOMPARE(dialogs.texts().last(),
                 "Файл «" + sOld +
                     "» не записан: прежний файл не удалось заменить: он защищен от изменения "
                     "или открыт другой программой");
        QCOMPARE(fileBytes(sOld), QByteArray("old protocol"));
        // an old file that may not be written at all is named as such, not
        // taken for a full disk
        const QString sLocked = local.filePath("locked.rpt");
        writeFile(sLocked, "locked");
        QProcess::execute("chattr", {"+i", sLocked});
        dialogs.lstFileNames << sLocked;
        const bool bLockedSaved = form.controller().saveReport();
        QProcess::execute("chattr", {"-i", sLocked});
        QVERIFY(!bLockedSaved);
        QCOMPARE(dialogs.texts().last(), sCannot.arg(sLocked) + "\n\nФайл «" + sLocked +
                                             "» не записан: он защищен от записи");
        // an instrument the list cannot take yet waits, named on the status line; the
        // document is saved
        QVERIFY(QDir(dir.path()).mkdir("tools.hmdb"));
        CWidgetTool* pTool = form.findChildren<CWidgetTool*>().first();
        typeText(child<QComboBox>(pTool, "cmb_tools")->lineEdit(), "УД2-12");
        typeText(child<QComboBox>(pTool, "cmb_numbers")->lineEdit(), "5");
        typeText(child<QLineEdit>(pTool, "edt_certNumber"), "С-1");
        child<QDateEdit>(pTool, "dedt_validity")->setDate(QDate(2027, 1, 1));
        dialogs.lstFileNames << dir.filePath("p.rpt");
        QVERIFY(form.controller().saveReport() && !form.controller().isChanged());
        QVERIFY(child<QLabel>(form.sections()[eBar], "lbl_status")
                    ->text()
                    .contains(dir.filePath("tools.hmdb")));
    }

    // What every document editor does: save in place, the file in the title,
    // save as, recent documents, a new protocol, files dropped on the window.
    void documentBasics() {
        QTemporaryDir dir;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("settings"));
        CScriptedDialogs dialogs;
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        CFusionWidget& form = *window.composer();
        window.composer()->controller().startRecovery(
            dir.path()); // recovery copies here: no place for documents
        // a protocol not saved yet: the title alone, "*" within a turn of the
        // event loop once anything is typed
        QCOMPARE(window.windowTitle(), QStringLiteral("Подготовка отчета[*]"));
        QVERIFY(!window.isWindowModified());
        typeText(valueEdit(form.sections()[eNumber]), QStringLiteral("118/26"));
        QCoreApplication::processEvents();
        QVERIFY(window.isWindowModified());
        child<QLineEdit>(form.sections()[eHeader], "edt_labName")->setText(QStringLiteral("ИЛ НК"));
        // the first save asks, offering the number as the name; the next saves in place
        const QString sA = dir.filePath("a.rpt"), sB = dir.filePath("b.rpt");
        dialogs.lstFileNames << sA;
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        const QString sOffered = dialogs.lstFileRequests.value(0).sDir;
        QVERIFY(sOffered.endsWith("/118-26.rpt") &&
                QFileInfo(sOffered).absolutePath() != dir.path());
        QCOMPARE(window.windowTitle(), QStringLiteral("a.rpt[*] — Подготовка отчета"));
        QVERIFY(!window.isWindowModified());
        enterValue(form.sections()[eStage], QStringLiteral("второе"));
        QCoreApplication::processEvents();
        QVERIFY(window.isWindowModified());
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.lstFileRequests.size(), 1);
        QCOMPARE(fileBytes(sA), documentOf(form));
        QVERIFY(!window.isWindowModified());
        // save as: asked from the current file; the first file stays as it was
        const QByteArray first = fileBytes(sA);
        enterValue(form.sections()[eStage], QStringLiteral("третье"));
        dialogs.lstFileNames << sB;
        dialogs.lstAnswers << CUserDialogs::Yes; // the number, registered for a.rpt, goes along
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(dialogs.lstFileRequests.value(1).sDir, sA);
        QVERIFY(fileBytes(sA) == first && fileBytes(sB) == documentOf(form));
        QCOMPARE(window.windowTitle(), QStringLiteral("b.rpt[*] — Подготовка отчета"));
        // the open button's menu: newest first; a vanished document leaves it with a message
        QMenu* pRecent = child<QMenu>(form.sections()[eBar], "menu_recent");
        QCOMPARE(pRecent->actions().size(), 2);
        QCOMPARE(pRecent->actions().value(0)->text(), QDir::toNativeSeparators(sB));
        QFile::remove(sB);
        pRecent->actions().value(0)->trigger();
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("Документ «%1» не найден и удален из списка "
                                "последних документов.")
                     .arg(sB));
        QCOMPARE(pRecent->actions().size(), 1);
        // a new protocol: Cancel keeps this one; No gives a new one under the same header
        enterValue(form.sections()[eStage], QStringLiteral("четвёртое"));
        dialogs.lstAnswers << CUserDialogs::Cancel << CUserDialogs::No;
        QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("четвёртое"));
        QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(valueEdit(form.sections()[eStage])->text().isEmpty() &&
                !form.controller().isChanged());
        QCOMPARE(valueEdit(form.sections()[eNumber])->text(), QStringLiteral("119/26"));
        QCOMPARE(qobject_cast<CReportHeader*>(form.sections()[eHeader])->labName(), "ИЛ НК");
        QCOMPARE(window.windowTitle(), QStringLiteral("Подготовка отчета[*]"));
        // a ".rpt" dropped anywhere opens; another file is refused with the open's message
        for (const QString& sFile : {dir.filePath("x.txt"), sA}) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(sFile)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(valueEdit(form.sections()[eObject]), &enter);
            QApplication::sendEvent(valueEdit(form.sections()[eObject]), &drop);
            QVERIFY(valueEdit(form.sections()[eObject])->text().isEmpty());
        }
        QTRY_COMPARE(form.controller().currentFile(), sA);
        QCOMPARE(dialogs.texts().value(dialogs.texts().size() - 1),
                 QStringLiteral("Указан файл \"%1\"\nс неправильным расширением!")
                     .arg(dir.filePath("x.txt")));
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("второе"));
    }

    void openingAChangedProtocolAsksFirst() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        enterValue(form.sections()[eStage], QStringLiteral("изменено"));
        // Cancel, or Yes with the save dialog cancelled: the open is abandoned
        dialogs.lstAnswers << CUserDialogs::Cancel << CUserDialogs::Yes << CUserDialogs::Yes;
        form.slot_openSavedReport();
        form.slot_openSavedReport();
        QVERIFY(dialogs.lstFileRequests.size() == 1 && dialogs.lstFileRequests[0].bSave);
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("изменено"));
        dialogs.lstFileNames << dir.filePath("saved.rpt") << QString(); // Yes with a save goes on
        form.slot_openSavedReport();
        QVERIFY(dialogs.lstFileRequests.size() == 3 && !dialogs.lstFileRequests[2].bSave);
    }
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
