#include "results/changetitle.h"
#include "results/enternumber.h"
#include "results/reporttable.h"
#include "results/tablewidgetheir.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QDataStream>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

namespace {
const int g_iCentred = Qt::AlignHCenter | Qt::AlignVCenter;
const QStringList g_lstDefaultTitles = {"Номер объекта", "Типоразмер", "Результат контроля",
                                        "Заключение", "Примечания"};

CTableWidgetHeir* grid(CReportTable& table) {
    return table.findChild<CTableWidgetHeir*>(QStringLiteral("tab_results"));
}

QStringList titles(const CReportTable& table) {
    QStringList lst;
    table.columnTitles(lst);
    return lst;
}

QStringList cells(const CReportTable& table) {
    QStringList lst;
    table.cellTexts(lst);
    return lst;
}

QStringList actionTexts(const QMenu* pMenu) {
    QStringList lst;
    for (const QAction* pAct : pMenu->actions())
        lst << pAct->text();
    return lst;
}

// Every cell holds a centred item.
bool allCellsCentred(CReportTable& table) {
    CTableWidgetHeir* pGrid = grid(table);
    for (int r = 0; r < pGrid->rowCount(); ++r)
        for (int c = 0; c < pGrid->columnCount(); ++c)
            if (!pGrid->item(r, c) || pGrid->item(r, c)->textAlignment() != g_iCentred)
                return false;
    for (int c = 0; c < pGrid->columnCount(); ++c)
        if (!pGrid->horizontalHeaderItem(c))
            return false;
    return true;
}

// Points of the shown table, in its own coordinates.
QPoint overRow(CReportTable& table, int iRow) {
    QHeaderView* pHeader = grid(table)->verticalHeader();
    const int y = iRow < pHeader->count() ? pHeader->sectionViewportPosition(iRow) + 10
                                          : pHeader->length() + 10;
    return pHeader->viewport()->mapTo(&table, QPoint(5, y));
}

QPoint overColumn(CReportTable& table, int iColumn) {
    QHeaderView* pHeader = grid(table)->horizontalHeader();
    const int x = iColumn < pHeader->count() ? pHeader->sectionViewportPosition(iColumn) + 10
                                             : pHeader->length() + 10;
    return pHeader->viewport()->mapTo(&table, QPoint(x, 5));
}

// Types text as key presses (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget* pWidget, const QString& sText) {
    for (const QChar ch : sText) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(pWidget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(pWidget, &release);
    }
}

QAction* action(QMenu* pMenu, const QString& sText) {
    for (QAction* pAct : pMenu->actions())
        if (pAct->text() == sText)
            return pAct;
    return nullptr;
}

// Opens the header menu at pt and chooses sText in it.
void choose(CReportTable& table, const QPoint& pt, const QString& sText) {
    QMenu* pMenu = table.buildHeaderMenu(pt);
    QAction* pAct = action(pMenu, sText);
    QVERIFY2(pAct, qPrintable(sText));
    pAct->trigger();
    delete pMenu;
}

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
} // namespace

class TestReportTable : public QObject {
    Q_OBJECT
private slots:
    void newTableHasDefaults() {
        CReportTable table;
        CTableWidgetHeir* pGrid = grid(table);
        QVERIFY(pGrid);
        QCOMPARE(table.objectName(), QStringLiteral("CReportTable"));
        QCOMPARE(table.size(), QSize(1000, 180));
        QCOMPARE(table.maximumHeight(), 490);
        QCOMPARE(table.rowCount(), 5);
        QCOMPARE(table.columnCount(), 5);
        QCOMPARE(titles(table), g_lstDefaultTitles);
        QCOMPARE(cells(table), QStringList(25, QString()));
        QVERIFY(allCellsCentred(table));
        QCOMPARE(pGrid->selectionMode(), QAbstractItemView::ContiguousSelection);
        QCOMPARE(pGrid->horizontalHeaderItem(0)->font().pointSize(), 12);
        QCOMPARE(pGrid->font().pointSize(), 12);

        // Five equal columns that fill the width.
        const int w = pGrid->columnWidth(0);
        for (int c = 1; c < 5; ++c)
            QCOMPARE(pGrid->columnWidth(c), w);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        const int iUsed = pGrid->verticalHeader()->width() + 5 * w + 2 * pGrid->frameWidth();
        QVERIFY2(iUsed <= 1000 && iUsed > 985, qPrintable(QString::number(iUsed)));

        table.resize(1200, 250);
        QCOMPARE(pGrid->size(), QSize(1200, 250));
    }

    void rowMenu() {
        CReportTable table;
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.setCellTexts({"r0", "", "", "", "", "r1", "", "", "", "", "r2", "", "", "", "",
                            "r3", "", "", "", ""});

        QMenu* pMenu = table.buildHeaderMenu(overRow(table, 2));
        QCOMPARE(actionTexts(pMenu),
                 QStringList({"Удалить строку", "Вставить строку", "Вставить N строк"}));
        QCOMPARE(pMenu->parent(), &table);
        QSignalSpy spyHeight(&table, &CReportTable::preferredHeightChanged);
        action(pMenu, "Вставить строку")->trigger();
        delete pMenu;
        QCOMPARE(spyHeight.count(), 1);
        QCOMPARE(table.rowCount(), 6);
        QCOMPARE(grid(table)->item(2, 0)->text(), QStringLiteral("r2"));
        QCOMPARE(grid(table)->item(3, 0)->text(), QString());
        QCOMPARE(grid(table)->item(4, 0)->text(), QStringLiteral("r3"));
        QVERIFY(allCellsCentred(table));

        // Below the last row: no row to delete, a new one goes to the end.
        pMenu = table.buildHeaderMenu(overRow(table, 6));
        QCOMPARE(actionTexts(pMenu), QStringList({"Вставить строку", "Вставить N строк"}));
        delete pMenu;
        choose(table, overRow(table, 6), "Вставить строку");
        QCOMPARE(table.rowCount(), 7);
        QCOMPARE(grid(table)->item(6, 0)->text(), QString());
        QCOMPARE(grid(table)->item(5, 0)->text(), QString());

        choose(table, overRow(table, 0), "Удалить строку");
        QCOMPARE(grid(table)->item(0, 0)->text(), QStringLiteral("r1"));
        QCOMPARE(table.rowCount(), 6);

        table.setRowCount(1);
        pMenu = table.buildHeaderMenu(overRow(table, 0));
        QCOMPARE(actionTexts(pMenu), QStringList({"Вставить строку", "Вставить N строк"}));
        delete pMenu;
    }

    void columnMenuAndCorner() {
        CReportTable table;
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));

        QMenu* pMenu = table.buildHeaderMenu(overColumn(table, 1));
        QCOMPARE(actionTexts(pMenu), QStringList({"Удалить столбец", "Вставить столбец",
                                                  "Изменить заголовок столбца"}));
        delete pMenu;
        choose(table, overColumn(table, 1), "Вставить столбец");
        QCOMPARE(titles(table), QStringList({"Номер объекта", "2", "Типоразмер",
                                             "Результат контроля", "Заключение", "Примечания"}));
        QCOMPARE(grid(table)->horizontalHeaderItem(1)->font().pointSize(), 12);
        QCOMPARE(grid(table)->horizontalHeaderItem(1)->textAlignment(), g_iCentred);
        QVERIFY(allCellsCentred(table));
        QCOMPARE(grid(table)->columnWidth(1), 180);

        choose(table, overColumn(table, 1), "Удалить столбец");
        QCOMPARE(titles(table), g_lstDefaultTitles);

        // Right of the last column: a sixth column at the end, titled 6.
        table.resize(2000, 180);
        pMenu = table.buildHeaderMenu(overColumn(table, 5));
        QCOMPARE(actionTexts(pMenu),
                 QStringList({"Вставить столбец", "Изменить заголовок столбца"}));
        delete pMenu;
        choose(table, overColumn(table, 5), "Вставить столбец");
        QCOMPARE(titles(table).value(5), QStringLiteral("6"));

        // There is no title to change there: no dialog runs.
        CScriptedDialogs dialogs;
        choose(table, overColumn(table, 6), "Изменить заголовок столбца");
        QVERIFY(dialogs.lstDialogClasses.isEmpty());

        table.setColumnCount(1);
        pMenu = table.buildHeaderMenu(overColumn(table, 0));
        QCOMPARE(actionTexts(pMenu),
                 QStringList({"Вставить столбец", "Изменить заголовок столбца"}));
        delete pMenu;

        // The corner above the row numbers offers nothing.
        QHeaderView* pRows = grid(table)->verticalHeader();
        pMenu = table.buildHeaderMenu(pRows->mapTo(&table, QPoint(pRows->width() / 2, -5)));
        QVERIFY(pMenu->isEmpty());
        delete pMenu;
    }

    void headerClicksReachTheHeaderMenu() {
        CReportTable table;
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QStringList lstShown;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&]() {
            if (QWidget* pPopup = QApplication::activePopupWidget()) {
                lstShown << actionTexts(qobject_cast<QMenu*>(pPopup)).join('|');
                pPopup->close();
            }
        });
        timer.start(10);
        for (QHeaderView* pHeader :
             {grid(table)->verticalHeader(), grid(table)->horizontalHeader()}) {
            const QPoint pt(10, 10);
            QContextMenuEvent event(QContextMenuEvent::Mouse, pt,
                                    pHeader->viewport()->mapToGlobal(pt));
            QApplication::sendEvent(pHeader->viewport(), &event);
        }
        QCOMPARE(lstShown, QStringList({"Удалить строку|Вставить строку|Вставить N строк",
                                        "Удалить столбец|Вставить столбец|Изменить заголовок "
                                        "столбца"}));
    }

    void insertNRows() {
        CScriptedDialogs dialogs;
        CReportTable table;
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.setCellTexts({"r0", "", "", "", "", "r1"});
        QSignalSpy spyHeight(&table, &CReportTable::preferredHeightChanged);

        QList<int> lstSeen;
        QString sTitle;
        QSize szDialog;
        dialogs.lstDialogActions << [&](QDialog* pDialog) {
            QSpinBox* pSpin = pDialog->findChild<QSpinBox*>("spb_number");
            lstSeen << pSpin->minimum() << pSpin->maximum() << pSpin->value();
            sTitle = pDialog->windowTitle();
            szDialog = pDialog->size();
            pSpin->setValue(3);
            pDialog->findChild<QPushButton*>("btn_ok")->click();
            return pDialog->result();
        };
        choose(table, overRow(table, 0), "Вставить N строк");
        QCOMPARE(dialogs.lstDialogClasses, QStringList({"CEnterNumber"}));
        QCOMPARE(lstSeen, QList<int>({1, 100, 1}));
        QCOMPARE(sTitle, QStringLiteral("Вставить N строк"));
        QCOMPARE(szDialog, QSize(350, 90));
        QCOMPARE(table.rowCount(), 8);
        QCOMPARE(grid(table)->item(0, 0)->text(), QStringLiteral("r0"));
        QCOMPARE(grid(table)->item(4, 0)->text(), QStringLiteral("r1"));
        QVERIFY(allCellsCentred(table));
        QCOMPARE(spyHeight.count(), 1);

        dialogs.lstDialogActions << [](QDialog* pDialog) {
            pDialog->findChild<QSpinBox*>("spb_number")->setValue(5);
            pDialog->findChild<QPushButton*>("btn_escape")->click();
            return pDialog->result();
        };
        choose(table, overRow(table, 0), "Вставить N строк");
        QCOMPARE(table.rowCount(), 8);
        QCOMPARE(spyHeight.count(), 1);
    }

    void changeColumnTitle() {
        CScriptedDialogs dialogs;
        CReportTable table;
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));

        // Enter in the field applies the title.
        QString sShown;
        QString sTitle;
        dialogs.lstDialogActions << [&](QDialog* pDialog) {
            QLineEdit* pEdit = pDialog->findChild<QLineEdit*>("edt_title");
            sShown = pEdit->text();
            sTitle = pDialog->windowTitle();
            pEdit->clear();
            typeText(pEdit, QStringLiteral("Оценка"));
            QTest::keyClick(pEdit, Qt::Key_Return);
            return pDialog->result();
        };
        choose(table, overColumn(table, 3), "Изменить заголовок столбца");
        QCOMPARE(sShown, QStringLiteral("Заключение"));
        QCOMPARE(sTitle, QStringLiteral("Изменить заголовок столбца"));
        QCOMPARE(titles(table).value(3), QStringLiteral("Оценка"));

        // And so does the button; Cancel changes nothing.
        dialogs.lstDialogActions << [](QDialog* pDialog) {
            pDialog->findChild<QLineEdit*>("edt_title")->setText("Дефект");
            pDialog->findChild<QPushButton*>("btn_enter")->click();
            return pDialog->result();
        };
        choose(table, overColumn(table, 0), "Изменить заголовок столбца");
        dialogs.lstDialogActions << [](QDialog* pDialog) {
            pDialog->findChild<QLineEdit*>("edt_title")->setText("Не то");
            pDialog->findChild<QPushButton*>("btn_cancel")->click();
            return pDialog->result();
        };
        choose(table, overColumn(table, 1), "Изменить заголовок столбца");
        QCOMPARE(titles(table), QStringList({"Дефект", "Типоразмер", "Результат контроля",
                                             "Оценка", "Примечания"}));
        QCOMPARE(dialogs.lstDialogClasses.size(), 3);
    }

    void deleteKeyRemovesWholeRows() {
        CReportTable table;
        CTableWidgetHeir* pGrid = grid(table);
        table.setCellTexts({"0", "", "", "", "", "1", "", "", "", "", "2", "", "", "", "",
                            "3", "", "", "", "", "4"});
        QSignalSpy spyHeight(&table, &CReportTable::preferredHeightChanged);

        // A selection that misses a column removes nothing.
        pGrid->setRangeSelected(QTableWidgetSelectionRange(1, 0, 3, 3), true);
        QTest::keyClick(pGrid, Qt::Key_Delete);
        QCOMPARE(table.rowCount(), 5);
        QCOMPARE(spyHeight.count(), 0);

        pGrid->clearSelection();
        pGrid->setRangeSelected(QTableWidgetSelectionRange(1, 0, 3, 4), true);
        QTest::keyClick(pGrid, Qt::Key_Delete);
        QCOMPARE(table.rowCount(), 2);
        QCOMPARE(pGrid->item(0, 0)->text(), QStringLiteral("0"));
        QCOMPARE(pGrid->item(1, 0)->text(), QStringLiteral("4"));
        QCOMPARE(spyHeight.count(), 1);

        // Backspace too, down to no rows at all.
        pGrid->clearSelection();
        pGrid->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 4), true);
        QTest::keyClick(pGrid, Qt::Key_Backspace);
        QCOMPARE(table.rowCount(), 0);
    }

    void preferredHeightIsClamped() {
        CReportTable table;
        QHeaderView* pHeader = grid(table)->horizontalHeader();
        const int H = qMax(pHeader->minimumHeight(), pHeader->sizeHint().height());
        QSignalSpy spyHeight(&table, &CReportTable::preferredHeightChanged);

        table.setRowCount(10);
        QCOMPARE(spyHeight.last().at(0).toInt(), H + 10 * 31);
        table.setRowCount(40);
        QCOMPARE(spyHeight.last().at(0).toInt(), 490);
        table.setRowCount(1);
        QCOMPARE(spyHeight.last().at(0).toInt(), 180);

        // Resizing a row sends the height as well.
        table.setRowCount(8);
        grid(table)->setRowHeight(0, 60);
        QCOMPARE(spyHeight.last().at(0).toInt(), H + 8 * 31 + 30);

        // Shown, the height still matches the table's own layout.
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QCOMPARE(pHeader->height(), H);
    }

    void columnsAndTitlesAsLists() {
        CReportTable table;
        table.setColumnCount(3);
        table.setColumnTitles({"A", "B", "C", "ignored"});
        table.setRowCount(2);
        table.setCellTexts({"1", "2", "3", "4"});
        QCOMPARE(titles(table), QStringList({"A", "B", "C"}));
        QCOMPARE(cells(table), QStringList({"1", "2", "3", "4", "", ""}));
        QVERIFY(allCellsCentred(table));
        // Widths are fitted to the new number of columns.
        QVERIFY(grid(table)->columnWidth(0) > 250);
    }

    void htmlLeavesOutEmptyRows() {
        CReportTable table;
        table.setColumnCount(2);
        table.setColumnTitles({"Шов", "A&B"});
        table.setRowCount(3);
        table.setCellTexts({"1", "< 0,5 мм", "", "", "", "годен"});
        QCOMPARE(table.toHtml(),
                 QStringLiteral(
                     "<TABLE ALIGN=\"CENTER\" WIDTH=100% BORDER=\"1\" CELLSPACING=\"0\" "
                     "CELLPADDING=\"1\">\n"
                     "<TR><TD ALIGN=\"CENTER\">№</TD><TD ALIGN=\"CENTER\">Шов</TD>"
                     "<TD ALIGN=\"CENTER\">A&amp;B</TD></TR>\n"
                     "<TR><TD ALIGN=\"CENTER\">1</TD><TD ALIGN=\"CENTER\">1</TD>"
                     "<TD ALIGN=\"CENTER\">&lt; 0,5 мм</TD></TR>\n"
                     "<TR><TD ALIGN=\"CENTER\">2</TD><TD ALIGN=\"CENTER\"></TD>"
                     "<TD ALIGN=\"CENTER\">годен</TD></TR>\n"
                     "</TABLE>\n"));
    }

    void recordBytes() {
        CReportTable table;
        table.setColumnCount(2);
        table.setRowCount(1);
        table.setColumnTitles({"A", "Б"});
        table.setCellTexts({"x", ""});
        delete grid(table)->takeItem(0, 1);

        QByteArray ba;
        QDataStream out(&ba, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        out << table;
        QCOMPARE(ba.toHex(), QByteArray("00000001"
                                        "00000002"
                                        "00000002"
                                        "00000002"
                                        "0041"
                                        "00000002"
                                        "0411"
                                        "00000002"
                                        "00000002"
                                        "0078"
                                        "00000000"));

        // Read back into a fresh table: counts, titles, texts, centred items.
        const QByteArray baIn = be32(3) + be32(2) + be32(2) + qstr("Т1") + qstr("Т2") + be32(6)
                                + qstr("a") + qstr("b") + qstr("") + qstr("") + qstr("e")
                                + qstr("f");
        CReportTable copy;
        QSignalSpy spyHeight(&copy, &CReportTable::preferredHeightChanged);
        QDataStream in(baIn);
        in.setVersion(QDataStream::Qt_4_6);
        in >> copy;
        QCOMPARE(in.status(), QDataStream::Ok);
        QVERIFY(in.atEnd());
        QCOMPARE(copy.rowCount(), 3);
        QCOMPARE(copy.columnCount(), 2);
        QCOMPARE(titles(copy), QStringList({"Т1", "Т2"}));
        QCOMPARE(cells(copy), QStringList({"a", "b", "", "", "e", "f"}));
        QVERIFY(allCellsCentred(copy));
        QVERIFY(spyHeight.count() >= 1);
    }

    void dialogsLookRight() {
        CEnterNumber number(2);
        CChangeTitle title(QStringLiteral("Результат контроля"));
        for (QDialog* pDialog : {static_cast<QDialog*>(&number), static_cast<QDialog*>(&title)}) {
            pDialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(pDialog));
            for (QWidget* pChild : pDialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(pChild->sizeHint().width() <= pChild->width() || qobject_cast<QLineEdit*>(pChild),
                         qPrintable(pChild->objectName()));
            QVERIFY(pDialog->grab().save(
                QDir::temp().filePath(pDialog->objectName().toLower() + ".png")));
        }
        QCOMPARE(number.findChild<QWidget*>("lbl_description")->geometry(), QRect(10, 10, 260, 30));
    }

    void damagedRecordsAreNotApplied_data() {
        QTest::addColumn<QByteArray>("baRecord");
        const QByteArray baTitle = be32(1) + qstr("T");
        QTest::newRow("negative rows") << be32(0xFFFFFFFF) + be32(1) + baTitle + be32(0);
        QTest::newRow("negative columns") << be32(0) + be32(0xFFFFFFFE) + be32(0) + be32(0);
        QTest::newRow("too few cells") << be32(2) + be32(1) + baTitle + be32(1) + qstr("a");
        QTest::newRow("too many cells")
            << be32(1) + be32(1) + baTitle + be32(2) + qstr("a") + qstr("b");
        QTest::newRow("titles short") << be32(0) + be32(3) + baTitle + be32(0);
        QTest::newRow("rows without columns") << be32(1000000000) + be32(0) + be32(0) + be32(0);
        QTest::newRow("huge list count") << be32(1) + be32(1) + be32(0x7FFFFFFF) + qstr("T");
        QTest::newRow("truncated cell")
            << be32(1) + be32(1) + baTitle + be32(1) + qstr("abc").left(6);
        QTest::newRow("truncated counts") << be32(1) + QByteArray(2, '\0');
    }

    void damagedRecordsAreNotApplied() {
        QFETCH(QByteArray, baRecord);
        CReportTable table;
        table.setCellTexts({"kept"});
        QDataStream in(baRecord);
        in.setVersion(QDataStream::Qt_4_6);
        in >> table;
        QVERIFY(in.status() != QDataStream::Ok);
        QCOMPARE(table.rowCount(), 5);
        QCOMPARE(table.columnCount(), 5);
        QCOMPARE(titles(table), g_lstDefaultTitles);
        QCOMPARE(cells(table).value(0), QStringLiteral("kept"));
    }
};

QTEST_MAIN(TestReportTable)
#include "tst_reporttable.moc"
