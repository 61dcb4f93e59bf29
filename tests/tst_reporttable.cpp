#include "results/reporttable.h"
#include "support/bytes.h"
#include "support/scripteddialogs.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QStringList g_lstDefaultTitles = {"Номер объекта", "Типоразмер", "Результат контроля",
                                        "Заключение", "Примечания"};
const QString g_sRowMenu = QStringLiteral("Удалить строку|Вставить строку|Вставить N строк");
const QString g_sColumnMenu = "Удалить столбец|Вставить столбец|Изменить заголовок столбца";

QTableWidget* grid(CReportTable& table) {
    return table.findChild<QTableWidget*>("tab_results");
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
        lst << (p && p->textAlignment() == Qt::AlignCenter ? p->text() : "<none>");
    }
    return lst;
}

// The entries of the header menu over row (Qt::Vertical) or column i of the shown table,
// past the last one, or (row -1) over the corner; with sChoose, chooses that entry.
QString menu(CReportTable& table, Qt::Orientation eHeader, int i, const QString& sChoose = {}) {
    const bool bRows = eHeader == Qt::Vertical;
    QHeaderView* pHeader = bRows ? grid(table)->verticalHeader() : grid(table)->horizontalHeader();
    const int iAt = i < 0 ? -5 : (i < pHeader->count() ? pHeader->sectionViewportPosition(i)
                                                        : pHeader->length()) + 10;
    QMenu* pMenu = table.buildHeaderMenu(
        pHeader->viewport()->mapTo(&table, bRows ? QPoint(5, iAt) : QPoint(iAt, 5)));
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
        QCOMPARE(titles(table) + column0(table), g_lstDefaultTitles + QStringList(5, QString()));
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.setCellTexts(QString("r0,,,,,r1,,,,,r2,,,,,r3").split(','));
        QSignalSpy spyHeight(&table, &CReportTable::preferredHeightChanged);

        // A new row goes after the row under the pointer, or at the end.
        QCOMPARE(menu(table, Qt::Vertical, 2, "Вставить строку"), g_sRowMenu);
        QCOMPARE(menu(table, Qt::Vertical, 6, "Вставить строку"), g_sRowMenu.section('|', 1));
        menu(table, Qt::Vertical, 0, "Удалить строку");
        QCOMPARE(column0(table), QStringList({"r1", "r2", "", "r3", "", ""}));
        // Three more after row 0, with one height sent; Cancel inserts nothing.
        for (const char* pszButton : {"btn_ok", "btn_escape"}) {
            dialogs.lstDialogActions << [pszButton](QDialog* pDialog) {
                pDialog->findChild<QSpinBox*>("spb_number")->setValue(3);
                pDialog->findChild<QPushButton*>(pszButton)->click();
                return pDialog->result();
            };
            menu(table, Qt::Vertical, 0, "Вставить N строк");
        }
        QCOMPARE(column0(table), QStringList({"r1", "", "", "", "r2", "", "r3", "", ""}));
        QCOMPARE(spyHeight.count(), 4); // one for each command that changed the rows

        // A new column goes before the column under the pointer.
        QCOMPARE(menu(table, Qt::Horizontal, 1, "Вставить столбец"), g_sColumnMenu);
        QCOMPARE(titles(table).mid(0, 3), QStringList({"Номер объекта", "2", "Типоразмер"}));
        menu(table, Qt::Horizontal, 1, "Удалить столбец");
        QCOMPARE(titles(table), g_lstDefaultTitles);
        // Right of the last column: a sixth column titled 6, and no title there to
        // change. Enter in the title field applies the title as the button does.
        table.resize(2000, 180);
        QCOMPARE(menu(table, Qt::Horizontal, 5, "Вставить столбец"), g_sColumnMenu.section('|', 1));
        dialogs.lstDialogActions << [](QDialog* pDialog) {
            QTest::keyClicks(pDialog->findChild<QLineEdit*>("edt_title"), "!\r");
            return pDialog->result();
        };
        menu(table, Qt::Horizontal, 6, "Изменить заголовок столбца"); // runs no dialog
        menu(table, Qt::Horizontal, 3, "Изменить заголовок столбца");
        QCOMPARE(titles(table).mid(3), QStringList({"Заключение!", "Примечания", "6"}));
        QCOMPARE(menu(table, Qt::Vertical, -1), QString()); // the corner offers nothing

        // Right clicks on the headers reach these menus; a last row or column stays.
        table.loadRecord(1, 1, {"T"}, {""});
        QStringList lstShown;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&]() {
            if (QWidget* pPopup = QApplication::activePopupWidget()) {
                lstShown << pPopup->actions().value(0)->text();
                pPopup->close();
            }
        });
        timer.start(10);
        for (auto* pHeader : {grid(table)->verticalHeader(), grid(table)->horizontalHeader()}) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                                    pHeader->viewport()->mapToGlobal(QPoint(10, 10)));
            QApplication::sendEvent(pHeader->viewport(), &event);
        }
        QCOMPARE(lstShown, QStringList({"Вставить строку", "Вставить столбец"}));
    }

    void deleteKeyAndHeight() {
        CReportTable table;
        QTableWidget* pGrid = grid(table);
        table.setCellTexts(QString("0,,,,,1,,,,,2,,,,,3,,,,,4").split(','));
        QSignalSpy spyHeight(&table, &CReportTable::preferredHeightChanged);
        auto press = [pGrid](const QTableWidgetSelectionRange& range, Qt::Key eKey) {
            pGrid->clearSelection();
            pGrid->setRangeSelected(range, true);
            QTest::keyClick(pGrid, eKey);
        };
        press({1, 0, 3, 3}, Qt::Key_Delete); // misses a column: removes nothing
        press({1, 0, 3, 4}, Qt::Key_Delete);
        QCOMPARE(column0(table), QStringList({"0", "4"}));
        QCOMPARE(spyHeight.count(), 1);
        press({0, 0, 1, 4}, Qt::Key_Backspace); // down to no rows at all
        QCOMPARE(table.rowCount(), 0);

        QCOMPARE(spyHeight.last().at(0).toInt(), 180); // header and rows, kept in 180..490
        QHeaderView* pHeader = pGrid->horizontalHeader();
        table.setRowCount(10);
        QCOMPARE(spyHeight.last().at(0).toInt(),
                 qMax(pHeader->minimumHeight(), pHeader->sizeHint().height()) + 10 * 31);
        table.setRowCount(40);
        QCOMPARE(spyHeight.last().at(0).toInt(), 490);
    }

    // A record from hand-written bytes, its print and the record written back.
    void recordAndHtml() {
        const QByteArray baRecord = CBytes().i32(3).i32(2).strList({"Т1", "A&B"})
                                        .strList({"a", "< 0,5 мм", "", "", "", "f"}).data;
        QDataStream in(baRecord);
        in.setVersion(QDataStream::Qt_4_6);
        CReportTable copy;
        QVERIFY((in >> copy).status() == QDataStream::Ok && in.atEnd());
        // An empty row is left out of the print; user text is escaped.
        auto row = [](const QStringList& lst) {
            return "<TR><TD ALIGN=\"CENTER\">" + lst.join("</TD><TD ALIGN=\"CENTER\">")
                   + "</TD></TR>\n";
        };
        QCOMPARE(copy.toHtml(),
                 "<TABLE ALIGN=\"CENTER\" WIDTH=100% BORDER=\"1\" CELLSPACING=\"0\" "
                 "CELLPADDING=\"1\">\n" + row({"№", "Т1", "A&amp;B"})
                     + row({"1", "a", "&lt; 0,5 мм"}) + row({"2", "", "f"}) + "</TABLE>\n");
        // Read in, then written out: a cell without item gives the empty text.
        delete grid(copy)->takeItem(1, 0);
        QByteArray ba;
        QDataStream out(&ba, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        out << copy;
        QCOMPARE(ba.toHex(), baRecord.toHex());

        // Damaged records (one cell for two rows, an absurd count, a cut string) change nothing.
        for (const CBytes& bad :
             {CBytes().i32(2).i32(1).strList({"T"}).strList({"a"}),
              CBytes().i32(1).i32(1).u32(0x7FFFFFFF).str("T"),
              CBytes().i32(1).i32(1).strList({"T"}).u32(1).u32(6).raw(QByteArray("\0a\0b", 4))}) {
            QDataStream inBad(bad.data);
            inBad.setVersion(QDataStream::Qt_4_6);
            QVERIFY((inBad >> copy).status() != QDataStream::Ok);
            QCOMPARE(titles(copy) + column0(copy), QStringList({"Т1", "A&B", "a", "<none>", ""}));
        }
    }
};

QTEST_MAIN(TestReportTable)
#include "tst_reporttable.moc"
