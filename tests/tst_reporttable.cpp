#include "results/reporttable.h"
#include "results/tablewidgetheir.h"
#include "support/bytes.h"
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
const QStringList g_lstDefaultTitles = {"Номер объекта", "Типоразмер", "Результат контроля",
                                        "Заключение", "Примечания"};
const QString g_sRowMenu = QStringLiteral("Удалить строку|Вставить строку|Вставить N строк");
const QString g_sColumnMenu =
    QStringLiteral("Удалить столбец|Вставить столбец|Изменить заголовок столбца");

CTableWidgetHeir* grid(CReportTable& table) {
    return table.findChild<CTableWidgetHeir*>("tab_results");
}

QStringList titles(const CReportTable& table) {
    QStringList lst;
    table.columnTitles(lst);
    return lst;
}

// The texts of the first column; "<none>" for a cell without a centred item.
QStringList column0(CReportTable& table) {
    QStringList lst;
    for (int r = 0; r < table.rowCount(); ++r) {
        const QTableWidgetItem* p = grid(table)->item(r, 0);
        lst << (p && p->textAlignment() == int(Qt::AlignHCenter | Qt::AlignVCenter)
                    ? p->text() : QStringLiteral("<none>"));
    }
    return lst;
}

// A point over row (or column) i of the shown table, in its own coordinates.
QPoint over(CReportTable& table, Qt::Orientation eHeader, int i) {
    const bool bRows = eHeader == Qt::Vertical;
    QHeaderView* pHeader = bRows ? grid(table)->verticalHeader() : grid(table)->horizontalHeader();
    const int iAt = (i < pHeader->count() ? pHeader->sectionViewportPosition(i)
                                          : pHeader->length()) + 10;
    return pHeader->viewport()->mapTo(&table, bRows ? QPoint(5, iAt) : QPoint(iAt, 5));
}

// The header menu's entries at pt; with sChoose, chooses that entry.
QString menu(CReportTable& table, const QPoint& pt, const QString& sChoose = QString()) {
    QMenu* pMenu = table.buildHeaderMenu(pt);
    QStringList lst;
    for (QAction* pAct : pMenu->actions()) {
        lst << pAct->text();
        if (pAct->text() == sChoose)
            pAct->trigger();
    }
    delete pMenu;
    return lst.join('|');
}
} // namespace

class TestReportTable : public QObject {
    Q_OBJECT
private slots:
    void headerMenusAndDialogs() {
        CScriptedDialogs dialogs;
        CReportTable table;
        QCOMPARE(titles(table), g_lstDefaultTitles);
        QCOMPARE(column0(table), QStringList(5, QString()));
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.setCellTexts(
            {"r0", "", "", "", "", "r1", "", "", "", "", "r2", "", "", "", "", "r3"});
        QSignalSpy spyHeight(&table, &CReportTable::preferredHeightChanged);

        // A new row goes after the row under the pointer, or at the end.
        QCOMPARE(menu(table, over(table, Qt::Vertical, 2), "Вставить строку"), g_sRowMenu);
        QCOMPARE(menu(table, over(table, Qt::Vertical, 6), "Вставить строку"),
                 g_sRowMenu.section('|', 1));
        menu(table, over(table, Qt::Vertical, 0), "Удалить строку");
        QCOMPARE(column0(table), QStringList({"r1", "r2", "", "r3", "", ""}));
        // Three more after row 0, with one height sent; Cancel inserts nothing.
        for (const char* pszButton : {"btn_ok", "btn_escape"}) {
            dialogs.lstDialogActions << [pszButton](QDialog* pDialog) {
                pDialog->findChild<QSpinBox*>("spb_number")->setValue(3);
                pDialog->findChild<QPushButton*>(pszButton)->click();
                return pDialog->result();
            };
            menu(table, over(table, Qt::Vertical, 0), "Вставить N строк");
        }
        QCOMPARE(column0(table), QStringList({"r1", "", "", "", "r2", "", "r3", "", ""}));
        QCOMPARE(spyHeight.count(), 4); // one for each command that changed the rows

        // A new column goes before the column under the pointer.
        QCOMPARE(menu(table, over(table, Qt::Horizontal, 1), "Вставить столбец"), g_sColumnMenu);
        QCOMPARE(titles(table), QStringList({"Номер объекта", "2", "Типоразмер",
                                             "Результат контроля", "Заключение", "Примечания"}));
        menu(table, over(table, Qt::Horizontal, 1), "Удалить столбец");
        QCOMPARE(titles(table), g_lstDefaultTitles);
        // Right of the last column: a sixth column titled 6, and no title
        // there to change.
        table.resize(2000, 180);
        QCOMPARE(menu(table, over(table, Qt::Horizontal, 5), "Вставить столбец"),
                 g_sColumnMenu.section('|', 1));
        QCOMPARE(titles(table).value(5), QStringLiteral("6"));
        menu(table, over(table, Qt::Horizontal, 6), "Изменить заголовок столбца");
        // Enter in the title field applies the title as the button does.
        dialogs.lstDialogActions << [](QDialog* pDialog) {
            QLineEdit* pEdit = pDialog->findChild<QLineEdit*>("edt_title");
            pEdit->setText(pEdit->text() + "!");
            QTest::keyClick(pEdit, Qt::Key_Return);
            return pDialog->result();
        };
        menu(table, over(table, Qt::Horizontal, 3), "Изменить заголовок столбца");
        QCOMPARE(titles(table).value(3), QStringLiteral("Заключение!"));
        // The corner above the row numbers offers nothing.
        QHeaderView* pRows = grid(table)->verticalHeader();
        QCOMPARE(menu(table, pRows->mapTo(&table, QPoint(pRows->width() / 2, -5))), QString());

        table.setRowCount(1);
        table.setColumnCount(1);
        QCOMPARE(menu(table, over(table, Qt::Vertical, 0)), g_sRowMenu.section('|', 1));
        QCOMPARE(menu(table, over(table, Qt::Horizontal, 0)), g_sColumnMenu.section('|', 1));

        // Right clicks on the headers reach these menus.
        QStringList lstShown;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&]() {
            if (QWidget* pPopup = QApplication::activePopupWidget()) {
                lstShown << pPopup->actions().value(0)->text();
                pPopup->close();
            }
        });
        timer.start(10);
        for (QHeaderView* pHeader : {pRows, grid(table)->horizontalHeader()}) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                                    pHeader->viewport()->mapToGlobal(QPoint(10, 10)));
            QApplication::sendEvent(pHeader->viewport(), &event);
        }
        QCOMPARE(lstShown, QStringList({"Вставить строку", "Вставить столбец"}));
    }

    void deleteKeyAndHeight() {
        CReportTable table;
        CTableWidgetHeir* pGrid = grid(table);
        table.setCellTexts({"0", "", "", "", "", "1", "", "", "", "", "2", "", "", "", "", "3",
                            "", "", "", "", "4"});
        QSignalSpy spyHeight(&table, &CReportTable::preferredHeightChanged);
        auto press = [pGrid](const QTableWidgetSelectionRange& range, Qt::Key eKey) {
            pGrid->clearSelection();
            pGrid->setRangeSelected(range, true);
            QTest::keyClick(pGrid, eKey);
        };
        press({1, 0, 3, 3}, Qt::Key_Delete); // misses a column: removes nothing
        QCOMPARE(table.rowCount(), 5);
        press({1, 0, 3, 4}, Qt::Key_Delete);
        QCOMPARE(column0(table), QStringList({"0", "4"}));
        QCOMPARE(spyHeight.count(), 1);
        press({0, 0, 1, 4}, Qt::Key_Backspace); // down to no rows at all
        QCOMPARE(table.rowCount(), 0);

        // The height sent is that of the header and rows, kept in 180..490.
        QCOMPARE(spyHeight.last().at(0).toInt(), 180);
        QHeaderView* pHeader = pGrid->horizontalHeader();
        table.setRowCount(10);
        QCOMPARE(spyHeight.last().at(0).toInt(),
                 qMax(pHeader->minimumHeight(), pHeader->sizeHint().height()) + 10 * 31);
        table.setRowCount(40);
        QCOMPARE(spyHeight.last().at(0).toInt(), 490);
    }

    void htmlLeavesOutEmptyRowsAndEscapes() {
        CReportTable table;
        table.setColumnCount(2);
        table.setColumnTitles({"Шов", "A&B"});
        table.setRowCount(3);
        table.setCellTexts({"1", "< 0,5 мм", "", "", "", "годен"});
        auto row = [](const QStringList& lst) {
            const QString sTd = QStringLiteral("<TD ALIGN=\"CENTER\">");
            return "<TR>" + sTd + lst.join("</TD>" + sTd) + "</TD></TR>\n";
        };
        QCOMPARE(table.toHtml(),
                 "<TABLE ALIGN=\"CENTER\" WIDTH=100% BORDER=\"1\" CELLSPACING=\"0\" "
                 "CELLPADDING=\"1\">\n" + row({"№", "Шов", "A&amp;B"})
                     + row({"1", "1", "&lt; 0,5 мм"}) + row({"2", "", "годен"}) + "</TABLE>\n");
    }

    void recordBytes() {
        const QByteArray baRecord = CBytes().i32(3).i32(2).strList({"Т1", "Т2"})
                                        .strList({"a", "b", "", "", "e", "f"}).data;
        QDataStream in(baRecord);
        in.setVersion(QDataStream::Qt_4_6);
        CReportTable copy;
        in >> copy;
        QCOMPARE(in.status(), QDataStream::Ok);
        QVERIFY(in.atEnd());
        QCOMPARE(titles(copy), QStringList({"Т1", "Т2"}));
        QCOMPARE(column0(copy), QStringList({"a", "", "e"}));
        // Read in, then written out: a cell without item gives the empty text.
        delete grid(copy)->takeItem(1, 0);
        QByteArray ba;
        QDataStream out(&ba, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        out << copy;
        QCOMPARE(ba.toHex(), baRecord.toHex());

        // Damaged records (one cell for two rows, an absurd list count, a
        // string cut short) are refused and change nothing.
        for (const CBytes& bad :
             {CBytes().i32(2).i32(1).strList({"T"}).strList({"a"}),
              CBytes().i32(1).i32(1).u32(0x7FFFFFFF).str("T"),
              CBytes().i32(1).i32(1).strList({"T"}).u32(1).u32(6).raw(QByteArray("\0a\0b", 4))}) {
            QDataStream inBad(bad.data);
            inBad.setVersion(QDataStream::Qt_4_6);
            inBad >> copy;
            QVERIFY(inBad.status() != QDataStream::Ok);
            QCOMPARE(titles(copy), QStringList({"Т1", "Т2"}));
            QCOMPARE(column0(copy), QStringList({"a", "<none>", "e"}));
        }
    }
};

QTEST_MAIN(TestReportTable)
#include "tst_reporttable.moc"
