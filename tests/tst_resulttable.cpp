#include "results/askformtable.h"
#include "results/reporttable.h"
#include "results/resulttable.h"
#include "support/bytes.h"

#include <QComboBox>
#include <QDataStream>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
QString labelText(const CResultTable& block, const char* pszName) {
    return block.findChild<QLabel*>(pszName)->text();
}

CReportTable* table(CResultTable& block) {
    return block.findChild<CReportTable*>("wgt_table");
}

CAskFormTable* panel(CResultTable& block) {
    return block.findChild<CAskFormTable*>("wgt_ask_formTable");
}
} // namespace

class TestResultTable : public QObject {
    Q_OBJECT
private slots:
    void titleNumberHtmlAndPanel() {
        CResultTable block;
        QCOMPARE(block.method(), QStringLiteral("____________"));
        block.setNumber(7);
        block.setNumber(0);
        QCOMPARE(labelText(block, "lbl_num"), QStringLiteral("7"));
        QVERIFY(block.toHtml(2).startsWith("<p>-2. Результаты ____________ контроля.</p>\n"));

        CResultTable named(nullptr, QStringLiteral("ультразвукового"), 7);
        QCOMPARE(named.toHtml(2), QStringLiteral("<p>5. Результаты ультразвукового контроля.</p>\n")
                                      + table(named)->toHtml());

        // The panel is shown only with offered methods, and sends the chosen one.
        QComboBox* pCombo = panel(block)->findChild<QComboBox*>("cmb_methods");
        QSignalSpy spyLoad(&block, &CResultTable::loadResultsTable);
        QVERIFY(panel(block)->isHidden());
        block.setMethodsList({"радиографического", "визуального"});
        QVERIFY(!panel(block)->isHidden());
        QCOMPARE(pCombo->itemText(0) + pCombo->itemText(1),
                 QStringLiteral("радиографическоговизуального"));
        pCombo->setCurrentIndex(1);
        panel(block)->findChild<QPushButton*>("btn_fill")->click();
        // An empty combo box sends nothing.
        block.setMethodsList({});
        QVERIFY(panel(block)->isHidden());
        panel(block)->findChild<QPushButton*>("btn_fill")->click();
        QCOMPARE(spyLoad, QList<QVariantList>({{QStringLiteral("визуального")}}));
    }

    void blockFollowsTableHeightAndWidth() {
        CResultTable block;
        QSignalSpy spyHeight(&block, &CResultTable::tableHeightChanged);
        emit table(block)->preferredHeightChanged(250);
        QCOMPARE(table(block)->geometry(), QRect(0, 40, 1000, 250));
        QCOMPARE(spyHeight.last(), QVariantList({290, 70}));
        // A real change of the rows: always the table's height + 40.
        table(block)->setRowCount(40);
        QCOMPARE(spyHeight.last(), QVariantList({530, 240}));
        table(block)->setRowCount(1);
        QCOMPARE(spyHeight.last(), QVariantList({220, -310}));
        QCOMPARE(block.height(), 220);
    }

    void recordBytes() {
        const QByteArray baIn = CBytes().i32(4).str("визуального").strList({"а", "б"}).i32(2)
                                    .i32(2).strList({"K1", "K2"}).strList({"1", "2", "3", "4"})
                                    .data;
        CResultTable copy;
        QDataStream in(baIn);
        in.setVersion(QDataStream::Qt_4_6);
        in >> copy;
        QCOMPARE(in.status(), QDataStream::Ok);
        QVERIFY(in.atEnd());
        QCOMPARE(labelText(copy, "lbl_num"), QStringLiteral("4"));
        QCOMPARE(labelText(copy, "lbl_title"), QStringLiteral("Результаты визуального контроля"));
        QVERIFY(!panel(copy)->isHidden());
        QCOMPARE(copy.height(), table(copy)->preferredHeight() + 40);
        QStringList lstCells;
        table(copy)->cellTexts(lstCells);
        QCOMPARE(lstCells, QStringList({"1", "2", "3", "4"}));
        QByteArray ba;
        QDataStream out(&ba, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        out << copy;
        QCOMPARE(ba.toHex(), baIn.toHex());

        // A damaged table record (one cell for three rows) leaves the whole
        // block as it was.
        QDataStream inBad(CBytes().i32(9).str("ультразвукового").strList({}).i32(3).i32(1)
                              .strList({"K"}).strList({"1"}).data);
        inBad.setVersion(QDataStream::Qt_4_6);
        inBad >> copy;
        QCOMPARE(inBad.status(), QDataStream::ReadCorruptData);
        QCOMPARE(copy.number(), 4);
        QCOMPARE(copy.method(), QStringLiteral("визуального"));
        QCOMPARE(table(copy)->rowCount(), 2);
    }
};

QTEST_MAIN(TestResultTable)
#include "tst_resulttable.moc"
