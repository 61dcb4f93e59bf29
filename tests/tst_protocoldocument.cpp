#include "composer/fusionwidget.h"
#include "composer/reportheader.h"
#include "items/extdatset.h"
#include "items/methodsset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "refdata/referencefiles.h"
#include "refdata/widgettool.h"
#include "results/conclusion.h"
#include "support/typing.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"

#include <QComboBox>
#include <QDataStream>
#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString sNumberCaption = QStringLiteral("Номер протокола");
const QString sDatesCaption = QStringLiteral("Дата проведения контроля:");
const QString sCustomer = QStringLiteral("Заказчик:");
const QString sReason = QStringLiteral("Основание для проведения контроля:");
const QString sStandards = QStringLiteral("Контроль выполнен согласно:");
const QString sAssessment = QStringLiteral("Оценка качества работ:");

QByteArray documentOf(CFusionWidget& form) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    form.writeDocument(out);
    return bytes;
}

bool readInto(CFusionWidget& form, const QByteArray& bytes) {
    QDataStream in(bytes);
    return form.readDocument(in);
}

} // namespace

class TestProtocolDocument : public QObject {
    Q_OBJECT
private slots:
    void newProtocolBytes() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        CBytes expected;
        expected.i16(0).nullStr().nullStr().str("").str("").str("");          // header
        expected.i16(2).i32(0).str(sNumberCaption).nullStr();                 // number
        expected.i16(1).date(QDate::currentDate());                           // protocol date
        expected.i16(4).i32(0).str(QStringLiteral("Методы контроля"))
            .strList({QStringLiteral("ультразвуковой")});                     // methods
        expected.i16(6).i32(1).str(sDatesCaption).u32(1).date(QDate(2000, 1, 1));
        expected.i16(3).i32(2).str(sCustomer).nullStr().u32(0);
        expected.i16(2).i32(3).str(QStringLiteral("Адрес проведения контроля:")).nullStr();
        expected.i16(3).i32(4).str(sReason).nullStr().u32(0);
        expected.i16(2).i32(5).str(QStringLiteral("Наименование объекта:")).nullStr();
        expected.i16(2).i32(6).str(QStringLiteral("Объект контроля:")).nullStr();
        expected.i16(2).i32(7).str(QStringLiteral("Стадия контроля:")).nullStr();
        expected.i16(5).i32(8).str(sStandards).strList({""}).u32(0);
        expected.i16(5).i32(9).str(sAssessment).strList({""}).u32(0);
        expected.i16(7).i32(10).str(QStringLiteral("Приборы и оборудование:"))
            .i32(0)                                                           // no instruments known
            .i32(1).str("").str("").str("").date(QDate(2000, 1, 1)).u8(1);    // panel "a."
        QStringList lstEmptyCells;
        for (int i = 0; i < 25; ++i)
            lstEmptyCells << QString("");
        expected.i16(8).i32(1)                                                // one conclusion
            .i32(0)                                                           // its specialists
            .i32(11).str(QStringLiteral("ультразвукового")).strList({})       // results block
            .i32(5).i32(5)
            .strList({QStringLiteral("Номер объекта"), QStringLiteral("Типоразмер"),
                      QStringLiteral("Результат контроля"), QStringLiteral("Заключение"),
                      QStringLiteral("Примечания")})
            .strList(lstEmptyCells)
            .u8(1).i32(12).str(QStringLiteral("ультразвукового")).str("")    // written conclusion
            .i32(1)                                                           // one panel
            .i32(13).i16(3).u8(1).str("").str("").str(QStringLiteral("ультразвуковому"))
            .date(QDate(2000, 1, 1)).i16(1).str("");
        expected.i16(9).i32(0);                                               // user items
        QCOMPARE(documentOf(form).toHex(), expected.data.toHex());
    }

    void handAssembledDocumentInAnyOrder() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
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
        doc.i16(6).i32(1).str(sDatesCaption).u32(2).date(QDate(2012, 5, 6)).date(QDate(2000, 1, 1));
        QVERIFY(readInto(form, doc.data));
        QVERIFY(dialogs.lstMessages.isEmpty());

        const auto& s = form.sections();
        QCOMPARE(qobject_cast<CReportHeader*>(s[eHeader])->issuedBy(), QStringLiteral("Ростехнадзор"));
        QCOMPARE(qobject_cast<CStdItem*>(s[eStage + 1])->value(), QStringLiteral("монтаж"));
        // the user item came back at its number, before the first greater number
        QCOMPARE(qobject_cast<CStdItem*>(s[eReason + 1])->name(), QStringLiteral("Примечание:"));
        // the customer and its ground became an organisation; the standards joined the list
        QCOMPARE(form.organizations(),
                 QList<Organization>({{QStringLiteral("ООО Ромашка"), {QStringLiteral("Договор 1")}}}));
        QCOMPARE(qobject_cast<CStdComboItem*>(s[eReason])->value(), QStringLiteral("Договор 1"));
        QCOMPARE(form.standards(), QStringList({"ГОСТ 1", "ГОСТ 2"}));
        QList<QDate> lstDates;
        qobject_cast<CExtDatSet*>(s[eControlDates])->collectDates(lstDates);
        QCOMPARE(lstDates, QList<QDate>({QDate(2012, 5, 6), QDate(2000, 1, 1)}));
        const QString sHtml = form.buildProtocolHtml();
        QVERIFY(sHtml.contains(QStringLiteral("<b>Лаборатория</b>")));
        QVERIFY(sHtml.contains(QStringLiteral("№12 от 05.03.2011 г.")));
        QVERIFY(sHtml.contains(QStringLiteral("<p>2. Заказчик: ООО Ромашка.</p>")));
    }

    void damagedDocumentsAreReadAsFarAsSound() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        const int iCount = form.sections().size();
        // a record cut in the middle: what came before stays
        CBytes cut;
        cut.i16(2).i32(7).str("Стадия контроля:").str("монтаж");
        cut.i16(2).i32(6).str("Объект контроля:").raw(QByteArray::fromHex("000000"));
        QVERIFY(!readInto(form, cut.data));
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("монтаж"));
        // an unknown tag stops the reading: its layout is unknown
        CBytes unknown;
        unknown.i16(42).i32(1).i16(2).i32(6).str("Объект контроля:").str("b");
        QVERIFY(!readInto(form, unknown.data));
        QCOMPARE(valueEdit(form.sections()[eObject])->text(), QString());
        // absurd or negative counts of user items create nothing
        QVERIFY(!readInto(form, CBytes().i16(9).i32(2000000000).i32(4).str("A:").str("b").data));
        QVERIFY(!readInto(form, CBytes().i16(9).i32(-5).data));
        QCOMPARE(form.sections().size(), iCount);
        // through the open dialog the user is told, and what was read is the protocol now
        writeFile(dir.filePath("cut.rpt"), cut.data);
        dialogs.lstAnswers << QMessageBox::No;
        dialogs.lstFileNames << dir.filePath("cut.rpt");
        form.slot_openSavedReport();
        QCOMPARE(dialogs.lstMessages.last().sTitle, QStringLiteral("Загрузить документ"));
        QCOMPARE(dialogs.lstMessages.last().sText,
                 QStringLiteral("Документ \"%1\" поврежден и прочитан только частично!")
                     .arg(dir.filePath("cut.rpt")));
        QVERIFY(!form.isChanged());
    }

    void atMostAThousandUserItems() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        const int iFixed = form.sections().size();
        CBytes doc;
        doc.i16(9).i32(1001);
        for (int i = 0; i < 1001; ++i)
            doc.i32(14 + i).str("Пункт:").str("");
        QVERIFY(!readInto(form, doc.data)); // the 1001st is damage
        QCOMPARE(form.userItems().size(), 1000);
        QCOMPARE(form.lastNumber(), 1013);
        // the form refuses another; no saved protocol is ever refused
        form.slot_addNewStdItem(5, QStringLiteral("Ещё:"), QString());
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QCOMPARE(dialogs.lstMessages[0].sTitle, QStringLiteral("Добавить пункт"));
        QCOMPARE(form.userItems().size(), 1000);
        // reading the next document removes them all and numbers the rest whole
        // again; its own item comes back with its saved number
        doc = CBytes();
        doc.i16(9).i32(1).i32(3).str("Примечание:").str("x");
        QVERIFY(readInto(form, doc.data));
        QCOMPARE(form.sections().size(), iFixed + 1);
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
        QTest::mouseClick(s[eMethods]->findChild<QToolButton*>("btn_add"), Qt::LeftButton);
        form.slot_addNewStdItem(10, QStringLiteral("Десятый:"), QStringLiteral("d"));
        form.slot_addNewStdItem(4, QStringLiteral("Четвёртый:"), QStringLiteral("c"));
        // a name typed without an extension gets ".rpt"
        dialogs.lstFileNames << dir.filePath("protocol");
        form.slot_saveReport();
        QVERIFY(dialogs.lstMessages.isEmpty());
        QCOMPARE(form.workDir(), dir.path());
        QVERIFY(!form.isChanged());
        // user items are written last, in the order they were added
        QFile file(dir.filePath("protocol.rpt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().endsWith(CBytes().i16(9).i32(2).i32(11).str("Десятый:").str("d")
                                            .i32(4).str("Четвёртый:").str("c").data));
        // the reference files were written beside the program
        QList<Organization> lstOrgs;
        QStringList lstStandards, lstAssessments;
        QVERIFY(CReferenceFiles::loadOptional(dir.path(), lstOrgs, lstStandards, lstAssessments));
        QCOMPARE(lstOrgs.value(0).lstGrounds, QStringList({"Договор 5"}));
        QCOMPARE(lstStandards, QStringList({"РД 34.17.302"}));

        // a new form offers what was learnt; its own user item gives way to the document's
        CFusionWidget other(dir.path());
        QCOMPARE(other.organizations().size(), 1);
        QCOMPARE(other.workDir(), dir.path());
        other.slot_addNewStdItem(2, QStringLiteral("Лишний:"), QString());
        dialogs.lstAnswers << QMessageBox::No;
        dialogs.lstFileNames << dir.filePath("protocol.rpt");
        other.slot_openSavedReport();
        QCOMPARE(dialogs.lstMessages.size(), 1); // only the unsaved-change question
        QCOMPARE(other.userItems().size(), 2);
        QCOMPARE(numbersFrom(other), numbersFrom(form));
        QCOMPARE(other.buildProtocolHtml(), form.buildProtocolHtml());
        QCOMPARE(documentOf(other), documentOf(form));
        QVERIFY(other.askSaveOnClose());
        QCOMPARE(dialogs.lstMessages.size(), 1);
    }

    void typedGroundSurvivesACustomerTypedWithoutEnter() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        enterChoice(form.sections()[eCustomer], QStringLiteral("Старый"));
        enterChoice(form.sections()[eReason], QStringLiteral("Основание 1"));
        // a new customer is typed but not entered, then saved
        choiceBox(form.sections()[eCustomer])->setCurrentIndex(0);
        choiceBox(form.sections()[eCustomer])->lineEdit()->setText(QStringLiteral("Новый"));
        choiceBox(form.sections()[eReason])->lineEdit()->setText(QStringLiteral("Основание 2"));
        form.commitEdits();
        QCOMPARE(form.organizations().value(1),
                 Organization({QStringLiteral("Новый"), {QStringLiteral("Основание 2")}}));
        QCOMPARE(qobject_cast<CStdComboItem*>(form.sections()[eReason])->value(),
                 QStringLiteral("Основание 2"));
    }

    void twoMethodDocumentWrittenByHand() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        const QString sUz = QStringLiteral("ультразвукового");
        const QString sMag = QStringLiteral("магнитного");
        const QString sFlaw = QStringLiteral("Дефектоскоп УД2-12");
        const QStringList lstTitles = {QStringLiteral("Номер объекта"),
                                       QStringLiteral("Результат контроля")};
        // the list every conclusion carries
        auto specialists = [&](CBytes& b) -> CBytes& {
            return b.i32(2)
                .str(QStringLiteral("Иванов И.И.")).i32(1).str("0001").str("НАКС")
                .i32(1).str("ультразвуковому").date(QDate(2027, 5, 1)).i16(1)
                .str(QStringLiteral("Петров П.П.")).i32(1).str("0002").str("РОНКТД")
                .i32(1).str("магнитному").date(QDate(2026, 3, 1)).i16(2);
        };
        CBytes doc;
        doc.i16(0).str("ИЛ НК").str("г. Тверь").str("123").str("45").str("РОСС");
        doc.i16(2).i32(0).str(sNumberCaption).str("7-НК");
        doc.i16(1).date(QDate(2026, 12, 1));
        doc.i16(4).i32(0).str(QStringLiteral("Методы контроля"))
            .strList({QStringLiteral("ультразвуковой"), QStringLiteral("магнитный")});
        doc.i16(6).i32(1).str(sDatesCaption).u32(1).date(QDate(2026, 11, 30));
        doc.i16(3).i32(2).str(sCustomer).str("ООО Ромашка").strList({"ООО Ромашка"});
        doc.i16(2).i32(3).str(QStringLiteral("Адрес проведения контроля:")).str("г. Тверь");
        doc.i16(3).i32(4).str(sReason).str("Договор 5").strList({"Договор 5"});
        doc.i16(2).i32(5).str(QStringLiteral("Наименование объекта:")).str("Котёл");
        doc.i16(2).i32(6).str(QStringLiteral("Объект контроля:")).str("Швы");
        doc.i16(2).i32(7).str(QStringLiteral("Стадия контроля:")).str("Монтаж");
        doc.i16(5).i32(8).str(sStandards).strList({"ГОСТ 1"}).strList({"ГОСТ 1"});
        doc.i16(5).i32(9).str(sAssessment).strList({"Годен"}).strList({"Годен"});
        doc.i16(7).i32(10).str(QStringLiteral("Приборы и оборудование:"))
            .i32(1).str(sFlaw).i32(1).str("1234").str("С-1").date(QDate(2027, 1, 15)).u8(1)
            .i32(1).str(sFlaw).str("1234").str("С-1").date(QDate(2027, 1, 15)).u8(1);
        doc.i16(8).i32(2);
        specialists(doc)
            .i32(11).str(sUz).strList({}).i32(1).i32(2).strList(lstTitles)
            .strList({"Шов 1", "Годен"})
            .u8(1).i32(12).str(sUz).str("Дефектов не обнаружено.\nКонтроль завершён.")
            .i32(1)
            .i32(13).i16(3).u8(1).str(QStringLiteral("Иванов И.И.")).str("0001")
            .str("ультразвуковому").date(QDate(2027, 5, 1)).i16(1).str("НАКС");
        specialists(doc)
            .i32(14).str(sMag).strList({sUz}).i32(1).i32(2).strList(lstTitles)
            .strList({"Шов 2", "Годен"})
            .u8(0).i32(15).str(sMag).str("")
            .i32(2)
            .i32(15).i16(1).u8(0).str(QStringLiteral("Петров П.П.")).str("0002")
            .str("магнитному").date(QDate(2026, 3, 1)).i16(2).str("РОНКТД")
            .i32(0).i16(4).u8(0).str(QStringLiteral("Сидоров <С.С.>")).str("77")
            .str("магнитному").date(QDate(2000, 1, 1)).i16(0).str("");
        doc.i16(9).i32(1).i32(16).str("Примечание:").str("нет");
        writeFile(dir.filePath("two.rpt"), doc.data);
        dialogs.lstFileNames << dir.filePath("two.rpt");
        form.slot_openSavedReport();
        QVERIFY(dialogs.lstMessages.isEmpty());

        QCOMPARE(form.conclusions().size(), 2);
        QCOMPARE(numbersFrom(form).mid(9), QList<int>({10, 11, 14, 16}));
        const QString sTable1 = QStringLiteral(
            "<TABLE ALIGN=\"CENTER\" WIDTH=100% BORDER=\"1\" CELLSPACING=\"0\" CELLPADDING=\"1\">\n"
            "<TR><TD ALIGN=\"CENTER\">№</TD><TD ALIGN=\"CENTER\">Номер объекта</TD>"
            "<TD ALIGN=\"CENTER\">Результат контроля</TD></TR>\n"
            "<TR><TD ALIGN=\"CENTER\">1</TD><TD ALIGN=\"CENTER\">Шов 1</TD>"
            "<TD ALIGN=\"CENTER\">Годен</TD></TR>\n</TABLE>\n");
        QString sTable2 = sTable1;
        sTable2.replace(QStringLiteral("Шов 1"), QStringLiteral("Шов 2"));
        const QString sFirst =
            QStringLiteral("<p>11. Результаты ультразвукового контроля.</p>\n") + sTable1
            + QStringLiteral(
                "<br>\n<p>12. Заключение по результатам ультразвукового контроля: Дефектов не "
                "обнаружено.<br>Контроль завершён.</p>\n<br>\n"
                "<p><b>Провел контроль и выдал заключение:</b></p>\n"
                "<p>Специалист 2 уровня НК, удостоверение №0001, выданное НАКС, действительно "
                "до 01.05.2027</p>\n<p>____________________Иванов И.И.</p>\n<br>\n");
        const QString sSecond =
            QStringLiteral("<p>13. Результаты магнитного контроля.</p>\n") + sTable2
            + QStringLiteral(
                "<br>\n<p><b>Провел контроль:</b></p>\n"
                "<p>Специалист 3 уровня НК, удостоверение №0002, выданное РОНКТД, действительно "
                "до 01.03.2026</p>\n<p>____________________Петров П.П.</p>\n<br>\n"
                "<p><b>Руководитель:</b></p>\n"
                "<p>Специалист 1 уровня НК, удостоверение №77, выданное , действительно "
                "до 01.01.2000</p>\n<p>____________________Сидоров &lt;С.С.&gt;</p>\n<br>\n");
        const QString sTools = QStringLiteral(
            "<p>10. Приборы и оборудование:</p>\n"
            "<TABLE WIDTH=\"100%\" BORDER=0 CELLSPACING=\"0\" CELLPADDING=\"2\">\n"
            "<tr> <td width=4%></td> <td align=CENTER width=2%>a.</td> <td align=LEFT "
            "width=94%>Дефектоскоп УД2-12 №1234, свидетельство о поверке №С-1, действительно "
            "до 15.01.2027.</td> </tr>\n</TABLE>\n");
        QVERIFY(form.buildProtocolHtml().endsWith(
            sTools + sFirst + sSecond + QStringLiteral("<p>14. Примечание: нет.</p>\n")));
        QVERIFY(form.protocolHeading().contains(
            QStringLiteral("ультразвуковым и магнитным методами №7-НК от 01.12.2026 г.")));
        // written back byte for byte
        QCOMPARE(documentOf(form).toHex(), doc.data.toHex());
        QVERIFY(!form.isChanged());

        // printed to PDF: every conclusion reaches the page
        QPrinter* pPrinter = form.printer();
        pPrinter->setOutputFormat(QPrinter::PdfFormat);
        pPrinter->setOutputFileName(dir.filePath("two.pdf"));
        // an expired and a missing validity are asked about first
        dialogs.lstAnswers << QMessageBox::Yes;
        dialogs.lstDialogActions << [](QDialog*) { return int(QDialog::Accepted); };
        form.slot_printReport();
        QCOMPARE(dialogs.texts(),
                 QStringList({QStringLiteral(
                     "Сроки действия истекли или не указаны:\n"
                     "Специалист Петров П.П., удостоверение № 0002: истекло 01.03.2026\n"
                     "Специалист Сидоров <С.С.>, удостоверение № 77: срок действия не указан\n\n"
                     "Печатать протокол все равно?")}));
        QVERIFY(QFileInfo(dir.filePath("two.pdf")).size() > 1000);
    }

    void instrumentsLearntOnSaveAreOfferedNextTime() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        QWidget* pTools = form.sections()[eTools];
        QTest::mouseClick(pTools->findChild<QPushButton*>("btn_addDevice"), Qt::LeftButton);
        const auto lstPanels = pTools->findChildren<CWidgetTool*>();
        QCOMPARE(lstPanels.size(), 2);
        // one complete entry; one with a date in 2012, which is not kept
        const QList<ToolEntry> lstEntries = {
            {QStringLiteral("Толщиномер"), "11", "С-5", QDate(2015, 6, 1), false},
            {QStringLiteral("Твердомер"), "22", "С-6", QDate(2012, 6, 1), true}};
        for (int i = 0; i < 2; ++i) {
            CWidgetTool* pPanel = lstPanels[i];
            typeText(pPanel->findChild<QComboBox*>("cmb_tools")->lineEdit(), lstEntries[i].sToolName);
            typeText(pPanel->findChild<QComboBox*>("cmb_numbers")->lineEdit(), lstEntries[i].sNumber);
            typeText(pPanel->findChild<QLineEdit*>("edt_certNumber"), lstEntries[i].sCertNumber);
            pPanel->findChild<QDateEdit*>("dedt_validity")->setDate(lstEntries[i].dtValidity);
            pPanel->findChild<QRadioButton*>(lstEntries[i].bVerification ? "rbtn_checking"
                                                                         : "rbtn_calibration")
                ->setChecked(true);
        }
        dialogs.lstFileNames << dir.filePath("p.rpt");
        QVERIFY(form.saveReport());
        const QByteArray expected = CBytes().i32(1).str(QStringLiteral("Толщиномер"))
                                        .i32(1).str("11").str("С-5").date(QDate(2015, 6, 1)).u8(0)
                                        .data;
        QFile file(dir.filePath("tools.hmdb"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toHex(), expected.toHex());
        // the saved panel shows the stored device chosen
        QCOMPARE(lstPanels[0]->findChild<QComboBox*>("cmb_tools")->currentIndex(), 1);
        QVERIFY(!form.isChanged());

        CFusionWidget next(dir.path());
        QComboBox* pBox = next.sections()[eTools]->findChild<QComboBox*>("cmb_tools");
        QCOMPARE(pBox->count(), 2);
        pBox->setCurrentIndex(1);
        QComboBox* pNumbers = next.sections()[eTools]->findChild<QComboBox*>("cmb_numbers");
        pNumbers->setCurrentIndex(1);
        QCOMPARE(next.sections()[eTools]->findChild<QLineEdit*>("edt_certNumber")->text(),
                 QStringLiteral("С-5"));
    }

    void fileDialogRefusalsAndFailures() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        // an upper-case extension is refused
        writeFile(dir.filePath("a.RPT"), CBytes().i16(9).i32(0).data);
        dialogs.lstFileNames << dir.filePath("a.RPT");
        form.slot_openSavedReport();
        QCOMPARE(dialogs.texts().last(), QStringLiteral("Указан файл \"%1\"\nс неправильным "
                                                        "расширением!").arg(dir.filePath("a.RPT")));
        // a file that cannot be opened
        dialogs.lstFileNames << dir.filePath("missing.rpt");
        form.slot_openSavedReport();
        QCOMPARE(dialogs.texts().last(), QStringLiteral("Не удалось открыть файл \"%1\" для "
                                                        "чтения!").arg(dir.filePath("missing.rpt")));
        // a save that cannot be written leaves the old file and takes no snapshot
        enterValue(form.sections()[eStage], QStringLiteral("x"));
        const QString sBad = dir.filePath("no/such/dir/p.rpt");
        dialogs.lstFileNames << sBad;
        QVERIFY(!form.saveReport());
        QCOMPARE(dialogs.lstMessages.last().sTitle, QStringLiteral("Сохранить документ"));
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("Не удалось открыть файл \"%1\"\nдля записи!").arg(sBad));
        QVERIFY(form.isChanged());
        QVERIFY(!QFile::exists(dir.filePath("optional.hmdb")));
        // a reference file that cannot be written is reported; the document is saved
        QVERIFY(QDir(dir.path()).mkdir("tools.hmdb"));
        dialogs.lstFileNames << dir.filePath("p.rpt");
        QVERIFY(form.saveReport());
        QVERIFY(dialogs.texts().last().contains(dir.filePath("tools.hmdb")));
        QVERIFY(QFile::exists(dir.filePath("optional.hmdb")));
        QVERIFY(!form.isChanged());
    }

    void openingAChangedProtocolAsksFirst() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        enterValue(form.sections()[eStage], QStringLiteral("изменено"));
        // Yes, then the save dialog cancelled: the open is abandoned
        dialogs.lstAnswers << QMessageBox::Yes;
        form.slot_openSavedReport();
        QVERIFY(dialogs.lstFileRequests.size() == 1 && dialogs.lstFileRequests[0].bSave);
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("изменено"));
        // Yes with a save goes on to the open dialog
        dialogs.lstAnswers << QMessageBox::Yes;
        dialogs.lstFileNames << dir.filePath("saved.rpt") << QString();
        form.slot_openSavedReport();
        QVERIFY(dialogs.lstFileRequests.size() == 3 && !dialogs.lstFileRequests[2].bSave);
        QVERIFY(QFile::exists(dir.filePath("saved.rpt")));
    }
};

QTEST_MAIN(TestProtocolDocument)
#include "tst_protocoldocument.moc"
