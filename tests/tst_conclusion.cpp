#include "items/report.h"
#include "refdata/widgetspecial.h"
#include "results/conclusion.h"
#include "results/resulttable.h"
#include "support/bytes.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

namespace {
QPushButton* addButton(CConclusion& c) {
    return c.findChild<QPushButton*>(QStringLiteral("btn_addTechnician"));
}
QPushButton* deleteButton(CConclusion& c) {
    return c.findChild<QPushButton*>(QStringLiteral("btn_delTechnician"));
}
QCheckBox* reportSwitch(QWidget& w) {
    return w.findChild<QCheckBox*>(QStringLiteral("cb_reportOn"));
}
QTextEdit* reportText(QWidget& w) {
    return w.findChild<QTextEdit*>(QStringLiteral("tedt_description"));
}
QLabel* panelNumber(CWidgetSpecial* pPanel) {
    return pPanel->findChild<QLabel*>(QStringLiteral("lbl_num"));
}
QByteArray recordOf(const CConclusion& c) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    c.writeRecord(out);
    return bytes;
}
// One stored panel: number, role, lock and an empty entry of the method.
CBytes& panelRecord(CBytes& b, int iNum, int iRole, bool bLock) {
    return b.i32(iNum)
        .i16(qint16(iRole))
        .u8(bLock)
        .str("")
        .str("")
        .str(QStringLiteral("ультразвуковому"))
        .date(QDate(2000, 1, 1))
        .i16(1)
        .str("");
}
// A results block numbered iNum with one row and one column, and a written
// conclusion numbered iNum + 1.
CBytes& tableAndReport(CBytes& b, int iNum, bool bOn) {
    return b.i32(iNum)
        .str(QStringLiteral("ультразвукового"))
        .strList({})
        .i32(1)
        .i32(1)
        .strList({"K"})
        .strList({"x"})
        .u8(bOn)
        .i32(iNum + 1)
        .str(QStringLiteral("ультразвукового"))
        .str("Годен");
}
} // namespace

class TestConclusion : public QObject {
    Q_OBJECT
private slots:
    void writtenConclusionSwitchAndPrint() {
        CReport report(nullptr, QString(), 12);
        QSignalSpy spy(&report, &CReport::itemNumbersChanged);
        QCOMPARE(report.findChild<QLabel*>("lbl_title")->text(),
                 QStringLiteral("Заключение по результатам ____________ контроля"));
        report.setMethod(QStringLiteral("ультразвукового"));
        reportText(report)->setPlainText(
            QStringLiteral("Дефектов не обнаружено.\nКонтроль <завершён>."));
        // typed line breaks print as breaks; typed text is escaped
        QCOMPARE(report.toHtml(2),
                 QStringLiteral("<p>10. Заключение по результатам ультразвукового контроля: "
                                "Дефектов не обнаружено.<br>Контроль &lt;завершён&gt;.</p>\n"));
        // switched off: greyed, kept, not printed; switching back prints it unchanged
        QTest::mouseClick(reportSwitch(report), Qt::LeftButton);
        QVERIFY(!report.isOn() && !reportText(report)->isEnabled());
        QCOMPARE(report.toHtml(0), QString());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 12);
        QTest::mouseClick(reportSwitch(report), Qt::LeftButton);
        QVERIFY(report.toHtml(0).contains(QStringLiteral("Дефектов не обнаружено.<br>")));
        QCOMPARE(spy.size(), 2);

        // a stored section that is off switches this one off, announcing the old number
        QByteArray bytes = CBytes().u8(0).i32(7).str("____________").str("текст").data;
        QDataStream in(bytes);
        in.setVersion(QDataStream::Qt_4_6);
        in >> report;
        QCOMPARE(spy.size(), 3);
        QCOMPARE(spy.at(2).at(0).toInt(), 12);
        QCOMPARE(report.number(), 7);
        QCOMPARE(report.description(), QStringLiteral("текст"));
        QDataStream again(bytes);
        again.setVersion(QDataStream::Qt_4_6);
        again >> report;
        QCOMPARE(spy.size(), 3); // the same state announces nothing
    }

    void layoutAndNumbering() {
        CConclusion c(nullptr, {});
        QCOMPARE(c.height(), 590);
        QCOMPARE(c.findChild<CResultTable*>()->geometry(), QRect(0, 0, 1000, 220));
        QCOMPARE(c.findChild<CReport*>()->geometry(), QRect(0, 230, 1000, 160));
        QCOMPARE(c.panels().value(0)->geometry(), QRect(0, 400, 1000, 140));
        QCOMPARE(addButton(c)->y(), 550);
        QVERIFY(!deleteButton(c)->isEnabled());

        c.setNumber(11);
        QCOMPARE(c.number(), 11);
        QCOMPARE(c.specialistNumber(), 13);
        QSignalSpy spy(&c, &CConclusion::lastNumberChanged);
        QTest::mouseClick(reportSwitch(c), Qt::LeftButton);
        QCOMPARE(c.specialistNumber(), 12);
        QCOMPARE(spy.size(), 1);
        c.setNumber(11);
        QCOMPARE(c.specialistNumber(), 12);
        QTest::mouseClick(reportSwitch(c), Qt::LeftButton);
        QCOMPARE(panelNumber(c.panels()[0])->text(), QStringLiteral("13"));
    }

    void addingAndDeletingSpecialists() {
        CConclusion c(nullptr, {});
        c.setNumber(11);
        QSignalSpy heights(&c, &CConclusion::widgetHeightChanged);
        QTest::mouseClick(addButton(c), Qt::LeftButton);
        QTest::mouseClick(addButton(c), Qt::LeftButton);
        QCOMPARE(c.height(), 890);
        QCOMPARE(heights.size(), 2);
        QCOMPARE(addButton(c)->y(), 850);
        QCOMPARE(deleteButton(c)->y(), 850);
        QVERIFY(deleteButton(c)->isEnabled());
        QCOMPARE(c.panels()[2]->geometry(), QRect(0, 700, 1000, 140));
        QVERIFY(!c.panels()[0]->isRoleLocked());
        QCOMPARE(c.panels()[1]->role(), eControler);
        QCOMPARE(panelNumber(c.panels()[1])->text(), QString()); // only the first is numbered

        // one head per conclusion
        c.panels()[0]->setRole(eBoss);
        QTest::mouseClick(c.panels()[2]->findChild<QCheckBox*>("chb_boss"), Qt::LeftButton);
        QCOMPARE(c.panels()[2]->role(), eBoss);
        QCOMPARE(c.panels()[0]->role(), eControler);

        QTest::mouseClick(deleteButton(c), Qt::LeftButton);
        QTest::mouseClick(deleteButton(c), Qt::LeftButton);
        QCOMPARE(c.height(), 590);
        QCOMPARE(addButton(c)->y(), 550);
        QCOMPARE(c.panels().size(), 1);
        QCOMPARE(c.panels()[0]->role(), eControlerAndAuthor);
        QVERIFY(c.panels()[0]->isRoleLocked());
        QVERIFY(!deleteButton(c)->isEnabled());
    }

    void tableGrowthMovesEverythingBelow() {
        CConclusion c(nullptr, {});
        QTest::mouseClick(addButton(c), Qt::LeftButton);
        const int h0 = c.height();
        const int yReport = c.findChild<CReport*>()->y();
        const int yPanel = c.panels()[1]->y();
        const int yButtons = addButton(c)->y();
        int iRows, iColumns;
        QStringList lstTitles, lstCells;
        c.getData(iRows, iColumns, lstTitles, lstCells);
        c.setData(iRows + 2, iColumns, lstTitles, lstCells);
        const int iDelta = c.height() - h0;
        QCOMPARE(iDelta, 60); // two rows of 30
        QCOMPARE(c.findChild<CReport*>()->y(), yReport + iDelta);
        QCOMPARE(c.panels()[1]->y(), yPanel + iDelta);
        QCOMPARE(addButton(c)->y(), yButtons + iDelta);
        QCOMPARE(c.findChild<CResultTable*>()->height(), 280);
    }

    void recordsAddPanelsAndRefuseDamage() {
        CConclusion c(nullptr, {});
        CBytes b;
        b.i32(1).str(QStringLiteral("Иванов И.И.")).i32(0); // specialists: one, no certificates
        tableAndReport(b, 11, false).i32(3);
        panelRecord(b, 12, 1, false);
        panelRecord(b, 0, 4, false);
        panelRecord(b, 0, 2, false);
        QDataStream in(b.data);
        in.setVersion(QDataStream::Qt_4_6);
        QVERIFY(c.readRecord(in));
        QCOMPARE(c.panels().size(), 3);
        QCOMPARE(c.height(), 590 + 2 * 150); // three panels; a one-row table keeps its least height
        QCOMPARE(c.panels()[1]->role(), eBoss);
        QCOMPARE(c.specialistNumber(), 12);
        QCOMPARE(c.specialists().value(0).sName, QStringLiteral("Иванов И.И."));
        QCOMPARE(recordOf(c).toHex(), b.data.toHex());

        // a panel count below 1, or a role outside the four, is not applied
        for (int iCase = 0; iCase < 2; ++iCase) {
            CBytes bad;
            bad.i32(0);
            tableAndReport(bad, 30, true);
            if (iCase == 0)
                bad.i32(0);
            else
                panelRecord(bad.i32(1), 32, 9, true);
            QDataStream badIn(bad.data);
            badIn.setVersion(QDataStream::Qt_4_6);
            QVERIFY(!c.readRecord(badIn));
            QCOMPARE(badIn.status(), QDataStream::ReadCorruptData);
            QCOMPARE(c.number(), 11);
            QCOMPARE(c.panels().size(), 3);
        }
    }
};

QTEST_MAIN(TestConclusion)
#include "tst_conclusion.moc"
