#include "refdata/measuringtool.h"
#include "refdata/widgettool.h"
#include "support/bytes.h"
#include "support/typing.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {
const QString sCaption = QStringLiteral("Приборы и оборудование:");
const QString sFlaw = QStringLiteral("Дефектоскоп УД2-12");
const QString sGauge = QStringLiteral("Толщиномер");

// The flaw detector with devices 1234 (verification) and 5678 (calibration).
QList<Tool> storedTools() {
    return {Tool{sFlaw,
                 {Device{"1234", "С-1", QDate(2027, 1, 15), true},
                  Device{"5678", "К-2", QDate(2026, 8, 1), false}}}};
}

template <typename T> T* child(QWidget* pPanel, const char* pName) {
    return pPanel->findChild<T*>(QString::fromLatin1(pName));
}
QComboBox* toolBox(QWidget* p) {
    return child<QComboBox>(p, "cmb_tools");
}
QComboBox* numberBox(QWidget* p) {
    return child<QComboBox>(p, "cmb_numbers");
}
QPushButton* button(CMeasuringTool& s, const char* pName) {
    return child<QPushButton>(&s, pName);
}

// Types a text into an editable box's blank entry and presses Enter.
void enter(QComboBox* pBox, const QString& sText) {
    pBox->setCurrentIndex(0);
    typeText(pBox->lineEdit(), sText);
    QTest::keyClick(pBox->lineEdit(), Qt::Key_Return);
}

// Fills a panel by typing, as a new entry.
void fill(CWidgetTool* pPanel, const QString& sName, const QString& sNumber, const QString& sCert,
          const QDate& dt) {
    typeText(toolBox(pPanel)->lineEdit(), sName);
    typeText(numberBox(pPanel)->lineEdit(), sNumber);
    typeText(child<QLineEdit>(pPanel, "edt_certNumber"), sCert);
    child<QDateEdit>(pPanel, "dedt_validity")->setDate(dt);
}

QByteArray recordOf(const CMeasuringTool& section) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << section;
    return bytes;
}
} // namespace

class TestMeasuringTool : public QObject {
    Q_OBJECT
private slots:
    void lettersHeightsAndButtons() {
        CMeasuringTool section(10, sCaption, {}, nullptr);
        QSignalSpy spy(&section, &CMeasuringTool::widgetHeightChanged);
        QCOMPARE(section.height(), 180);
        QCOMPARE(section.panels()[0]->indexText(), QStringLiteral("a."));
        QVERIFY(button(section, "btn_delDevice")->isHidden());
        QTest::mouseClick(button(section, "btn_addDevice"), Qt::LeftButton);
        QTest::mouseClick(button(section, "btn_addDevice"), Qt::LeftButton);
        QCOMPARE(section.panels()[1]->indexText(), QStringLiteral("b."));
        QCOMPARE(section.panels()[2]->indexText(), QStringLiteral("c."));
        QCOMPARE(section.panels()[2]->geometry(), QRect(0, 240, 1000, 90));
        QCOMPARE(section.height(), 380);
        QCOMPARE(button(section, "btn_addDevice")->y(), 340);
        QCOMPARE(button(section, "btn_delDevice")->y(), 340);
        QVERIFY(!button(section, "btn_delDevice")->isHidden());
        QTest::mouseClick(button(section, "btn_delDevice"), Qt::LeftButton);
        QCOMPARE(section.height(), 280);
        QCOMPARE(button(section, "btn_addDevice")->y(), 240);
        QCOMPARE(spy.size(), 3);

        // the 27th panel is lettered "a." again; taking it away and adding
        // again gives "a.", taking the 26th away and adding gives "z."
        while (section.panels().size() < 27)
            section.findChild<QPushButton*>("btn_addDevice")->click();
        QCOMPARE(section.panels()[25]->indexText(), QStringLiteral("z."));
        QCOMPARE(section.panels()[26]->indexText(), QStringLiteral("a."));
        button(section, "btn_delDevice")->click();
        button(section, "btn_delDevice")->click();
        button(section, "btn_addDevice")->click();
        QCOMPARE(section.panels()[25]->indexText(), QStringLiteral("z."));
        QCOMPARE(section.toHtml(0).count(QStringLiteral("<tr>")), 26);
    }

    void newNamesReachEveryPanelNewNumbersStayInOne() {
        CMeasuringTool section(10, sCaption, storedTools(), nullptr);
        button(section, "btn_addDevice")->click();
        CWidgetTool* pFirst = section.panels()[0];
        CWidgetTool* pSecond = section.panels()[1];
        enter(toolBox(pFirst), sGauge);
        QCOMPARE(toolBox(pFirst)->currentIndex(), 2);
        QVERIFY(!toolBox(pFirst)->isEditable());
        QCOMPARE(toolBox(pSecond)->count(), 3);
        QCOMPARE(section.tools().size(), 2);

        // a new serial number of a stored instrument stays in this panel's list
        toolBox(pSecond)->setCurrentIndex(1);
        QCOMPARE(numberBox(pSecond)->count(), 3);
        enter(numberBox(pSecond), QStringLiteral("9999"));
        QCOMPARE(pSecond->tools()[0].lstDevices.size(), 3);
        QCOMPARE(section.tools()[0].lstDevices.size(), 2);
        QCOMPARE(pFirst->tools()[0].lstDevices.size(), 2);

        // choosing a stored device shows its certificate
        numberBox(pSecond)->setCurrentIndex(2);
        QVERIFY(child<QRadioButton>(pSecond, "rbtn_calibration")->isChecked());
        QCOMPARE(child<QLineEdit>(pSecond, "edt_certNumber")->text(), QStringLiteral("К-2"));
        QCOMPARE(pSecond->currentEntry().dtValidity, QDate(2026, 8, 1));

        // Enter on a serial number while the name is new empties it
        toolBox(pFirst)->setCurrentIndex(0);
        typeText(toolBox(pFirst)->lineEdit(), QStringLiteral("Новый"));
        typeText(child<QLineEdit>(pFirst, "edt_certNumber"), QStringLiteral("X"));
        enter(numberBox(pFirst), QStringLiteral("77"));
        QCOMPARE(numberBox(pFirst)->currentText(), QString());
        QCOMPARE(child<QLineEdit>(pFirst, "edt_certNumber")->text(), QString());
        QCOMPARE(toolBox(pFirst)->currentText(), QStringLiteral("Новый"));

        // deleting an instrument from the list reaches the other panels
        toolBox(pFirst)->setCurrentIndex(2);
        QTest::mouseClick(child<QToolButton>(pFirst, "btn_deleteItem"), Qt::LeftButton);
        QCOMPARE(section.tools().size(), 1);
        QCOMPARE(toolBox(pSecond)->count(), 2);
    }

    void panelLinesOfThePrint() {
        CMeasuringTool section(10, sCaption, {}, nullptr);
        button(section, "btn_addDevice")->click();
        fill(section.panels()[0], QStringLiteral("Прибор <А>"), "1&2", "К-7", QDate(2000, 1, 1));
        child<QRadioButton>(section.panels()[0], "rbtn_calibration")->setChecked(true);
        fill(section.panels()[1], sGauge, "55", "С-9", QDate(2026, 12, 31));
        QCOMPARE(section.toHtml(1),
                 QStringLiteral(
                     "<p>9. Приборы и оборудование:</p>\n"
                     "<TABLE WIDTH=\"100%\" BORDER=0 CELLSPACING=\"0\" CELLPADDING=\"2\">\n"
                     "<tr> <td width=4%></td> <td align=CENTER width=2%>a.</td> <td align=LEFT "
                     "width=94%>Прибор &lt;А&gt; №1&amp;2, сертификат калибровки средств "
                     "измерений №К-7, действительно до __.__.____;</td> </tr>\n"
                     "<tr> <td width=4%></td> <td align=CENTER width=2%>b.</td> <td align=LEFT "
                     "width=94%>Толщиномер №55, свидетельство о поверке №С-9, действительно до "
                     "31.12.2026.</td> </tr>\n"
                     "</TABLE>\n"));
    }

    void completeEntriesAreMergedOnSave() {
        CMeasuringTool section(10, sCaption, storedTools(), nullptr);
        button(section, "btn_addDevice")->click();
        button(section, "btn_addDevice")->click();
        // a date in 2012 is not complete; the same instrument in 2015 is
        fill(section.panels()[0], sGauge, "1", "С-1", QDate(2015, 3, 1));
        fill(section.panels()[1], QStringLiteral("Старый"), "2", "С-2", QDate(2012, 12, 31));
        // a new device of the stored flaw detector, and its first device typed anew
        fill(section.panels()[2], sFlaw, "1234", "С-1", QDate(2027, 1, 15));
        section.mergeIntoTools();
        const QList<Tool> lstTools = section.tools();
        QCOMPARE(lstTools.size(), 2);
        QCOMPARE(lstTools[1], Tool({sGauge, {Device{"1", "С-1", QDate(2015, 3, 1), true}}}));
        QCOMPARE(lstTools[0], storedTools()[0]);
        // the merged and stored entries are shown chosen, with the stored data
        QCOMPARE(toolBox(section.panels()[0])->currentIndex(), 2);
        QCOMPARE(numberBox(section.panels()[0])->currentIndex(), 1);
        QCOMPARE(toolBox(section.panels()[2])->currentIndex(), 1);
        QCOMPARE(numberBox(section.panels()[2])->currentIndex(), 1);
        QCOMPARE(toolBox(section.panels()[1])->currentIndex(), 0);
        QCOMPARE(section.panels()[1]->currentEntry().sToolName, QStringLiteral("Старый"));

        // two panels with complete entries for one device: the first prevails
        CMeasuringTool other(10, sCaption, {}, nullptr);
        button(other, "btn_addDevice")->click();
        fill(other.panels()[0], sGauge, "1", "новое", QDate(2020, 1, 1));
        fill(other.panels()[1], sGauge, "1", "старое", QDate(2020, 1, 1));
        other.mergeIntoTools();
        QCOMPARE(other.tools(),
                 QList<Tool>({{sGauge, {Device{"1", "новое", QDate(2020, 1, 1), true}}}}));
    }

    void readingKeepsKnownDevicesAndRefusesAbsurdCounts() {
        CMeasuringTool section(10, sCaption, storedTools(), nullptr);
        CBytes b;
        b.i32(12)
            .str(sCaption)
            .i32(2)
            .str(sFlaw)
            .i32(2)
            .str("1234")
            .str("другой")
            .date(QDate(2030, 1, 1))
            .u8(0) // known: keeps its data
            .str("4321")
            .str("С-4")
            .date(QDate(2026, 5, 5))
            .u8(1) // new serial number
            .str(sGauge)
            .i32(0)
            .i32(2)
            .str(sFlaw)
            .str("4321")
            .str("С-4")
            .date(QDate(2026, 5, 5))
            .u8(1)
            .str(sGauge)
            .str("")
            .str("")
            .date(QDate(2000, 1, 1))
            .u8(0);
        QDataStream in(b.data);
        in.setVersion(QDataStream::Qt_4_6);
        in >> section;
        QCOMPARE(in.status(), QDataStream::Ok);
        QCOMPARE(section.number(), 12);
        QCOMPARE(section.panels().size(), 2);
        QCOMPARE(section.tools()[0].lstDevices[0], storedTools()[0].lstDevices[0]);
        QCOMPARE(section.tools()[0].lstDevices.size(), 3);
        QCOMPARE(section.tools()[1].sName, sGauge);
        QCOMPARE(section.panels()[1]->currentEntry().bVerification, false);
        QCOMPARE(toolBox(section.panels()[0])->currentText(), sFlaw);
        QCOMPARE(toolBox(section.panels()[0])->count(), 3);

        // a negative count or one the bytes cannot hold creates nothing
        for (const qint32 n : {-1, 1000000}) {
            QDataStream bad(CBytes().i32(3).str("X").i32(0).i32(n).str("a").data);
            bad.setVersion(QDataStream::Qt_4_6);
            bad >> section;
            QCOMPARE(bad.status(), QDataStream::ReadCorruptData);
            QCOMPARE(section.number(), 12);
            QCOMPARE(section.panels().size(), 2);
        }
    }
};

QTEST_MAIN(TestMeasuringTool)
#include "tst_measuringtool.moc"
