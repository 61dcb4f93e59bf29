#include "results/askformtable.h"
#include "results/reporttable.h"
#include "results/resulttable.h"
#include "results/tablewidgetheir.h"

#include <QComboBox>
#include <QDataStream>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
QByteArray qstr(const QString& s) {
    QByteArray ba;
    QDataStream out(&ba, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << s;
    return ba;
}

QByteArray be32(quint32 i) {
    return QByteArray::fromHex(QByteArray::number(i, 16).rightJustified(8, '0'));
}

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
    void titleAndNumber() {
        CResultTable block;
        QCOMPARE(block.objectName(), QStringLiteral("CResultTable"));
        QCOMPARE(block.size(), QSize(1000, 220));
        QCOMPARE(labelText(block, "lbl_title"), QStringLiteral("Результаты ____________ контроля"));
        QCOMPARE(block.method(), QStringLiteral("____________"));
        QCOMPARE(labelText(block, "lbl_num"), QString());
        QCOMPARE(table(block)->geometry(), QRect(0, 40, 1000, 190));

        block.setNumber(7);
        block.setNumber(0);
        QCOMPARE(labelText(block, "lbl_num"), QStringLiteral("7"));
        QCOMPARE(block.number(), 0);
        QVERIFY(block.toHtml(2).startsWith("<p>-2. Результаты ____________ контроля.</p>\n"));

        CResultTable named(nullptr, QStringLiteral("ультразвукового"), 7);
        QCOMPARE(labelText(named, "lbl_num"), QStringLiteral("7"));
        QCOMPARE(labelText(named, "lbl_title"),
                 QStringLiteral("Результаты ультразвукового контроля"));
        named.setMethod(QString());
        QCOMPARE(named.method(), QStringLiteral("____________"));
    }

    void htmlIsTitleThenTable() {
        CResultTable block(nullptr, QStringLiteral("ультразвукового"), 7);
        table(block)->setCellTexts({"1"});
        const QString sHtml = block.toHtml(2);
        QCOMPARE(sHtml, QStringLiteral("<p>5. Результаты ультразвукового контроля.</p>\n")
                            + table(block)->toHtml());
        QVERIFY(table(block)->toHtml().startsWith("<TABLE"));
    }

    void panelShownOnlyWithOfferedMethods() {
        CResultTable block;
        CAskFormTable* pPanel = panel(block);
        QVERIFY(pPanel->isHidden());
        QComboBox* pCombo = pPanel->findChild<QComboBox*>("cmb_methods");
        QPushButton* pFill = pPanel->findChild<QPushButton*>("btn_fill");
        QSignalSpy spyLoad(&block, &CResultTable::loadResultsTable);

        pFill->click();
        QCOMPARE(spyLoad.count(), 0);

        block.setMethodsList({"радиографического", "визуального"});
        QVERIFY(!pPanel->isHidden());
        QCOMPARE(pCombo->count(), 2);
        QCOMPARE(pCombo->itemText(0), QStringLiteral("радиографического"));
        QCOMPARE(pCombo->itemText(1), QStringLiteral("визуального"));
        QVERIFY(!pCombo->isEditable());
        pCombo->setCurrentIndex(1);
        pFill->click();
        QCOMPARE(spyLoad.count(), 1);
        QCOMPARE(spyLoad.at(0).at(0).toString(), QStringLiteral("визуального"));

        block.setMethodsList({});
        QVERIFY(pPanel->isHidden());
        QCOMPARE(pCombo->count(), 0);
        pFill->click();
        QCOMPARE(spyLoad.count(), 1);
    }

    void blockFollowsTableHeight() {
        CResultTable block;
        QSignalSpy spyHeight(&block, &CResultTable::tableHeightChanged);
        emit table(block)->preferredHeightChanged(250);
        QCOMPARE(block.height(), 290);
        QCOMPARE(table(block)->geometry(), QRect(0, 40, 1000, 250));
        QCOMPARE(spyHeight.count(), 1);
        QCOMPARE(spyHeight.at(0).at(0).toInt(), 290);
        QCOMPARE(spyHeight.at(0).at(1).toInt(), 70);

        // A real change of the rows: always the table's height + 40.
        table(block)->setRowCount(40);
        QCOMPARE(block.height(), 530);
        QCOMPARE(spyHeight.last().at(1).toInt(), 240);
        table(block)->setRowCount(1);
        QCOMPARE(block.height(), 220);
        QCOMPARE(spyHeight.last().at(0).toInt(), 220);
        QCOMPARE(spyHeight.last().at(1).toInt(), -310);
    }

    void wideningMovesTableAndPanel() {
        CResultTable block;
        block.setMethodsList({"визуального"});
        block.show();
        QVERIFY(QTest::qWaitForWindowExposed(&block));
        block.resize(1200, block.height());
        CAskFormTable* pPanel = panel(block);
        QCOMPARE(table(block)->width(), 1200);
        QCOMPARE(pPanel->geometry(), QRect(480, 0, 720, 30));
        QComboBox* pCombo = pPanel->findChild<QComboBox*>("cmb_methods");
        QLabel* pLabel = pPanel->findChild<QLabel*>("label_2");
        QCOMPARE(pCombo->geometry(), QRect(240, 0, 300, 30));
        QCOMPARE(pLabel->x(), 540);
        block.resize(1050, block.height());
        QCOMPARE(pCombo->width(), 250);
        QCOMPARE(pLabel->x(), 490);
    }

    void dataPassesThrough() {
        CResultTable source;
        source.setData(2, 3, {"A", "B", "C"}, {"1", "2", "3", "4", "5", "6"});
        int iRows = 0;
        int iColumns = 0;
        QStringList lstTitles;
        QStringList lstCells;
        source.getData(iRows, iColumns, lstTitles, lstCells);
        QCOMPARE(iRows, 2);
        QCOMPARE(iColumns, 3);
        QCOMPARE(lstTitles, QStringList({"A", "B", "C"}));
        QCOMPARE(lstCells, QStringList({"1", "2", "3", "4", "5", "6"}));

        CResultTable target;
        QSignalSpy spyHeight(&target, &CResultTable::tableHeightChanged);
        target.setData(iRows, iColumns, lstTitles, lstCells);
        QVERIFY(spyHeight.count() >= 1);
        QCOMPARE(target.height(), table(target)->preferredHeight() + 40);
        QStringList lstCopied;
        table(target)->cellTexts(lstCopied);
        QCOMPARE(lstCopied, lstCells);
        for (int c = 0; c < 3; ++c)
            QVERIFY(target.findChild<CTableWidgetHeir*>()->horizontalHeaderItem(c));
    }

    void recordBytes() {
        CResultTable block(nullptr, QString(), 11);
        block.setMethodsList({"в"});
        block.setData(1, 1, {"T"}, {"x"});
        QByteArray ba;
        QDataStream out(&ba, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        out << block;
        const QByteArray baExpected = be32(11) + qstr("____________") + be32(1) + qstr("в")
                                      + be32(1) + be32(1) + be32(1) + qstr("T") + be32(1)
                                      + qstr("x");
        QCOMPARE(ba.toHex(), baExpected.toHex());

        // Read by hand-written bytes into a new block.
        const QByteArray baIn = be32(4) + qstr("визуального") + be32(2) + qstr("а") + qstr("б")
                                + be32(2) + be32(2) + be32(2) + qstr("K1") + qstr("K2")
                                + be32(4) + qstr("1") + qstr("2") + qstr("3") + qstr("4");
        CResultTable copy;
        QSignalSpy spyHeight(&copy, &CResultTable::tableHeightChanged);
        QDataStream in(baIn);
        in.setVersion(QDataStream::Qt_4_6);
        in >> copy;
        QCOMPARE(in.status(), QDataStream::Ok);
        QVERIFY(in.atEnd());
        QCOMPARE(copy.number(), 4);
        QCOMPARE(labelText(copy, "lbl_num"), QStringLiteral("4"));
        QCOMPARE(labelText(copy, "lbl_title"), QStringLiteral("Результаты визуального контроля"));
        QCOMPARE(copy.methodsList(), QStringList({"а", "б"}));
        QVERIFY(!panel(copy)->isHidden());
        QVERIFY(spyHeight.count() >= 1);
        int iRows = 0;
        int iColumns = 0;
        QStringList lstTitles;
        QStringList lstCells;
        copy.getData(iRows, iColumns, lstTitles, lstCells);
        QCOMPARE(iRows, 2);
        QCOMPARE(iColumns, 2);
        QCOMPARE(lstTitles, QStringList({"K1", "K2"}));
        QCOMPARE(lstCells, QStringList({"1", "2", "3", "4"}));

        // A damaged table record leaves the whole block as it was.
        const QByteArray baBad = be32(9) + qstr("визуального") + be32(0) + be32(3) + be32(1)
                                 + be32(1) + qstr("K") + be32(1) + qstr("1");
        QDataStream inBad(baBad);
        inBad.setVersion(QDataStream::Qt_4_6);
        inBad >> copy;
        QCOMPARE(inBad.status(), QDataStream::ReadCorruptData);
        QCOMPARE(copy.number(), 4);
        QCOMPARE(copy.methodsList(), QStringList({"а", "б"}));
        QCOMPARE(table(copy)->rowCount(), 2);

        // So does one cut short.
        QDataStream inShort(baIn.left(baIn.size() - 3));
        inShort.setVersion(QDataStream::Qt_4_6);
        CResultTable fresh;
        inShort >> fresh;
        QVERIFY(inShort.status() != QDataStream::Ok);
        QCOMPARE(fresh.number(), 0);
        QCOMPARE(table(fresh)->rowCount(), 5);
    }

    void looksRight() {
        CResultTable block(nullptr, QStringLiteral("ультразвукового"), 11);
        block.setMethodsList({"радиографического", "визуального"});
        block.setData(3, 3, {"Номер объекта", "Результат", "Заключение"},
                      {"1", "< 0,5 мм", "годен", "", "", "", "3", "трещина", "не годен"});
        block.show();
        QVERIFY(QTest::qWaitForWindowExposed(&block));
        // The panel's captions are not cut off, whatever the desktop's font.
        for (const char* pszName : {"btn_fill", "label_1", "label_2"}) {
            QWidget* pCaption = panel(block)->findChild<QWidget*>(pszName);
            QVERIFY2(pCaption->sizeHint().width() <= pCaption->width(), pszName);
        }
        QCOMPARE(panel(block)->findChild<QWidget*>("btn_fill")->geometry(), QRect(0, 0, 120, 30));
        const QString sFile = QDir::temp().filePath("resulttable.png");
        QVERIFY(block.grab().save(sFile));
        CResultTable fresh;
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        QVERIFY(fresh.grab().save(QDir::temp().filePath("resulttable_new.png")));
    }
};

QTEST_MAIN(TestResultTable)
#include "tst_resulttable.moc"
