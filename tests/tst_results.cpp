// The results of a method. Guards: the clipboard copies and pastes blocks
// as spreadsheets do (line ends of any kind, one cell growing the table,
// refusals saying the sizes); rows and columns with data are deleted only
// after a question; header menus put rows and columns where the pointer
// says; the table's record and print (empty rows left out, text escaped),
// damaged records not applied; the results block's title is never cut and
// its height follows the table; a conclusion lays out, numbers and reads
// its panels, refusing damaged records.
#include "items/report.h"
#include "refdata/widgetspecial.h"
#include "render/sectionhtml.h"
#include "results/conclusion.h"
#include "results/reporttable.h"
#include "results/resulttable.h"
#include "results/tablewidgetheir.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/largeprotocol.h"
#include "support/scripteddialogs.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QStringList g_lstDefaultTitles = {"Номер объекта", "Типоразмер", "Результат контроля",
                                        "Заключение", "Примечания"};
const QString g_sUz = QStringLiteral("ультразвукового");

QTableWidget* grid(QWidget* pTable) {
    return child<QTableWidget>(pTable, "tab_results");
}

QStringList titles(const CReportTable& table) {
    QStringList lst;
    table.columnTitles(lst);
    return lst;
}

// The cell texts row by row; "-" for a cell without item, "<" before one not centred.
QString texts(const QTableWidget& table) {
    QStringList lst;
    for (int r = 0; r < table.rowCount(); ++r)
        for (int c = 0; c < table.columnCount(); ++c) {
            const QTableWidgetItem* p = table.item(r, c);
            lst << (!p ? "-" : p->textAlignment() == Qt::AlignCenter ? p->text() : "<" + p->text());
        }
    return lst.join(' ');
}

// Puts sClip on the clipboard, selects the block and presses the keys.
void press(QTableWidget* pTable, const QString& sClip, const QTableWidgetSelectionRange& range,
           Qt::Key eKey, Qt::KeyboardModifiers eModifiers = Qt::ControlModifier) {
    QApplication::clipboard()->setText(sClip);
    pTable->clearSelection();
    pTable->setRangeSelected(range, true);
    QTest::keyClick(pTable, eKey, eModifiers);
}

// The entries of the header menu over row (Qt::Vertical) or column i of the
// shown table, past the last one, or (-1) the corner; chooses sChoose.
QString menu(CReportTable& table, Qt::Orientation eHeader, int i, const QString& sChoose = {}) {
    const bool bRows = eHeader == Qt::Vertical;
    QHeaderView* pHeader =
        bRows ? grid(&table)->verticalHeader() : grid(&table)->horizontalHeader();
    const int iAt =
        i < 0
            ? -5
            : (i < pHeader->count() ? pHeader->sectionViewportPosition(i) : pHeader->length()) + 10;
    std::unique_ptr<QMenu> pMenu(table.buildHeaderMenu(
        pHeader->viewport()->mapTo(&table, bRows ? QPoint(5, iAt) : QPoint(iAt, 5))));
    QStringList lst;
    for (QAction* pAct : pMenu->actions()) {
        lst << pAct->text();
        if (pAct->text() == sChoose)
            pAct->trigger();
    }
    return lst.join('|');
}

// clang-format off
// A results block numbered iNum with one cell, and a written conclusion iNum + 1.
CBytes& tableAndReport(CBytes& b, int iNum, bool bOn) {
    return b.i32(iNum).str(g_sUz).strList({}).i32(1).i32(1).strList({"K"}).strList({"x"})
        .u8(bOn).i32(iNum + 1).str(g_sUz).str("Годен");
}
CBytes& panelRecord(CBytes& b, int iNum, int iRole) {
    return b.i32(iNum).i16(qint16(iRole)).u8(0).str("").str("").str("ультразвуковому")
        .date(QDate(2000, 1, 1)).i16(1).str("");
    // clang-format on
}
bool readConclusion(CConclusion& c, const QByteArray& bytes) {
    return showRecord(c, bytes);
}
} // namespace

class TestResults : public QObject {
    Q_OBJECT
private slots:
    void copyAndPaste() {
        CScriptedDialogs dialogs;
        CTableWidgetHeir table;
        table.setRowCount(4);
        table.setColumnCount(3);
        table.setItem(0, 0, new QTableWidgetItem("a"));
        table.setItem(1, 1, new QTableWidgetItem("b"));
        for (const Qt::Key eKey : {Qt::Key_C, Qt::Key_Insert}) {
            press(&table, "old", {0, 0, 1, 1}, eKey);
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a\t\n\tb"));
        }
        // a refusal names both sizes; Ctrl+Shift+V is no paste
        press(&table, "1\n2", {0, 0, 2, 0}, Qt::Key_V);
        press(&table, "a\tb\tc", {0, 0, 0, 1}, Qt::Key_V);
        press(&table, "z", {0, 0, 0, 0}, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        const QString sRefusal = QStringLiteral("Размеры областей выделения для скопированных "
                                                "данных и вставки не совпадают! Скопировано %1, "
                                                "выделено %2.");
        QCOMPARE(dialogs.texts(),
                 QStringList({sRefusal.arg("2 × 1", "3 × 1"), sRefusal.arg("1 × 3", "1 × 2")}));
        // a block repeats down the selection; a short line leaves the cells it lacks
        press(&table, "x\ty", {0, 1, 3, 2}, Qt::Key_V);
        press(&table, "p\tq\nr", {2, 1, 3, 2}, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(texts(table),
                 QStringLiteral("<a x y - <x y - p q - r y")); // an old item keeps its alignment
    }

    // What a spreadsheet copies, pasted into one cell: "\r\n" line ends and
    // one after the last row; the table grows to take it all.
    void spreadsheetBlockIntoOneCell() {
        CReportTable table;
        table.setCellTexts(QStringList(25, QStringLiteral("·")));
        QSignalSpy heights(&table, &CReportTable::preferredHeightChanged);
        QString sClip;
        for (int r = 0; r < 7; ++r)
            sClip += QStringLiteral("%1\t%1а\t%1б\r\n").arg(r);
        press(grid(&table), sClip, {3, 3, 3, 3}, Qt::Key_V);
        QCOMPARE(table.rowCount(), 10);
        QCOMPARE(table.columnCount(), 6);
        QCOMPARE(titles(table).last(), QStringLiteral("6"));
        QStringList lstCells;
        table.cellTexts(lstCells);
        QVERIFY(!lstCells.join(QString()).contains('\r'));
        QCOMPARE(lstCells.mid(9 * 6), QStringList({"", "", "", "6", "6а", "6б"}));
        QCOMPARE(lstCells.mid(3 * 6, 6), QStringList({"·", "·", "·", "0", "0а", "0б"}));
        QVERIFY(!heights.isEmpty());
        QVERIFY(!texts(*grid(&table)).contains('<')); // new cells centred like the others
    }

    void headerMenusAndQuestions() {
        CScriptedDialogs dialogs;
        CReportTable table;
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.setCellTexts(QString("r0,,,,,,,,,,r2,,,,,,,,,,,,,,").split(','));
        const QString sRowMenu = QStringLiteral("Удалить строку|Вставить строку|Вставить N строк");
        // a new row goes after the row under the pointer, or at the end
        QCOMPARE(menu(table, Qt::Vertical, 0, "Вставить строку"), sRowMenu);
        QCOMPARE(menu(table, Qt::Vertical, 6, "Вставить строку"), sRowMenu.section('|', 1));
        QCOMPARE(table.rowCount(), 7);
        // rows holding text go only after a question; empty ones without
        menu(table, Qt::Vertical, 1, "Удалить строку");
        dialogs.lstAnswers << CUserDialogs::No << CUserDialogs::Yes;
        menu(table, Qt::Vertical, 0, "Удалить строку");
        QCOMPARE(table.rowCount(), 6);
        menu(table, Qt::Vertical, 0, "Удалить строку");
        QCOMPARE(dialogs.texts(), QStringList(2, "Удалить строки с данными?"));
        QCOMPARE(grid(&table)->item(1, 0)->text(), QStringLiteral("r2"));
        // three more after row 0 through the dialog; Cancel inserts nothing
        for (const char* pszButton : {"btn_ok", "btn_escape"}) {
            dialogs.lstDialogActions << [pszButton](QDialog* pDialog) {
                child<QSpinBox>(pDialog, "spb_number")->setValue(3);
                child<QPushButton>(pDialog, pszButton)->click();
                return pDialog->result();
            };
            menu(table, Qt::Vertical, 0, "Вставить N строк");
        }
        QCOMPARE(table.rowCount(), 8);
        // Delete takes whole selected rows only; with data after a question
        grid(&table)->setRangeSelected({4, 0, 5, 3}, true);
        QTest::keyClick(grid(&table), Qt::Key_Delete);
        grid(&table)->setRangeSelected({4, 0, 5, 4}, true);
        dialogs.lstAnswers << CUserDialogs::Yes;
        QTest::keyClick(grid(&table), Qt::Key_Delete);
        QCOMPARE(table.rowCount(), 6);
        QCOMPARE(dialogs.lstMessages.size(), 3);

        // a new column goes before the column under the pointer; its title is its number
        menu(table, Qt::Horizontal, 1, "Вставить столбец");
        QCOMPARE(titles(table).mid(0, 3), QStringList({"Номер объекта", "2", "Типоразмер"}));
        table.setCellTexts(QStringList({"", "", "", "", "", "", "", "", "x"}));
        dialogs.lstAnswers << CUserDialogs::No;
        menu(table, Qt::Horizontal, 2, "Удалить столбец");
        QCOMPARE(dialogs.texts().last(), QStringLiteral("Удалить столбцы с данными?"));
        menu(table, Qt::Horizontal, 1, "Удалить столбец");
        QCOMPARE(titles(table), g_lstDefaultTitles);
        // Enter in the title field applies it; right of the last column there is none
        dialogs.lstDialogActions << [](QDialog* pDialog) {
            QTest::keyClicks(child<QLineEdit>(pDialog, "edt_title"), "!\r");
            return pDialog->result();
        };
        table.resize(2000, 180);
        menu(table, Qt::Horizontal, 6, "Изменить заголовок столбца"); // runs no dialog
        menu(table, Qt::Horizontal, 3, "Изменить заголовок столбца");
        QCOMPARE(titles(table).value(3), QStringLiteral("Заключение!"));
        QCOMPARE(menu(table, Qt::Vertical, -1), QString()); // the corner offers nothing
    }

    void heightRecordAndPrint() {
        CReportTable table;
        QSignalSpy heights(&table, &CReportTable::preferredHeightChanged);
        table.setRowCount(0);
        table.setRowCount(40);
        QCOMPARE(heights.first().at(0).toInt(), 180); // kept within 180..490
        QCOMPARE(heights.last().at(0).toInt(), 490);
        // a wider table gives its columns the room, each keeping its share
        table.setColumnCount(2);
        table.show(); // at its least width, 1000
        grid(&table)->setColumnWidth(0, 300);
        grid(&table)->setColumnWidth(1, 600);
        table.resize(2000, 300);
        const int iFirst = grid(&table)->columnWidth(0);
        QVERIFY2(iFirst > 550 && qAbs(grid(&table)->columnWidth(1) - 2 * iFirst) <= 2,
                 qPrintable(QString::number(iFirst)));
        // an edge dragged back in many small steps comes back where it was
        for (int w = 1997; w > 1000; w -= 3)
            table.resize(w, 300);
        table.resize(1000, 300);
        QCOMPARE(grid(&table)->columnWidth(0), 300);
        QCOMPARE(grid(&table)->columnWidth(1), 600);

        // clang-format off
        const QByteArray baRecord = CBytes().i32(3).i32(2).strList({"Т1", "A&B"})
                                        .strList({"a", "< 0,5 мм", "", "", "", "f"}).data;
        // clang-format on
        QVERIFY(showRecord(table, baRecord));
        auto row = [](const QStringList& lst) {
            return "<TR><TD ALIGN=\"CENTER\">" + lst.join("</TD><TD ALIGN=\"CENTER\">") +
                   "</TD></TR>\n";
        };
        QCOMPARE(tableHtml(table.record()),
                 "<TABLE ALIGN=\"CENTER\" WIDTH=100% BORDER=\"1\" CELLSPACING=\"0\" "
                 "CELLPADDING=\"1\">\n" +
                     row({"№", "Т1", "A&amp;B"}) + row({"1", "a", "&lt; 0,5 мм"}) +
                     row({"2", "", "f"}) + "</TABLE>\n");
        delete grid(&table)->takeItem(1, 0); // a cell without item is written as empty text
        QCOMPARE(bytesOf(table.record()), baRecord);
        // one cell for two rows, an absurd count, a cut string: nothing changes
        // clang-format off
        for (const CBytes& bad : {CBytes().i32(2).i32(1).strList({"T"}).strList({"a"}),
                                  CBytes().i32(1).i32(1).u32(0x7FFFFFFF).str("T"),
                                  CBytes().i32(1).i32(1).strList({"T"}).u32(1).u32(6).raw({"\0a", 2})}) {
            // clang-format on
            QVERIFY(!showRecord(table, bad.data));
            QCOMPARE(bytesOf(table.record()), baRecord);
        }
    }

    void resultsBlock() {
        CResultTable block(nullptr, QStringLiteral("визуального и измерительного"), 7);
        auto pTitle = child<QLabel>(&block, "lbl_title");
        QVERIFY(pTitle->sizeHint().width() <= pTitle->width()); // never cut
        auto pPanel = block.findChild<QWidget*>("CAskFormTable");
        QVERIFY(pPanel && pPanel->isHidden());
        QSignalSpy load(&block, &CResultTable::loadResultsTable);
        block.setMethodsList({"радиографического", "визуального"});
        QVERIFY(!pPanel->isHidden());
        child<QComboBox>(pPanel, "cmb_methods")->setCurrentIndex(1);
        child<QPushButton>(pPanel, "btn_fill")->click();
        QCOMPARE(load, QList<QVariantList>({{QStringLiteral("визуального")}}));

        QSignalSpy heights(&block, &CResultTable::tableHeightChanged);
        // clang-format off
        const QByteArray baIn = CBytes().i32(4).str("визуального").strList({"а"}).i32(40).i32(1)
                                    .strList({"K1"}).strList(QStringList(40, "1")).data;
        // clang-format on
        QVERIFY(showRecord(block, baIn));
        QCOMPARE(bytesOf(block.record()), baIn);
        QCOMPARE(heights.last().at(0).toInt(), 530); // the table's 490 + 40
        QCOMPARE(block.height(), 530);
        QVERIFY(sectionHtml(block.record(), 2)
                    .startsWith("<p>2. Результаты визуального контроля.</p>\n<TAB"));
        // a damaged table record (one cell for three rows) leaves the whole block
        QVERIFY(!showRecord(block, CBytes()
                                       .i32(9)
                                       .str(g_sUz)
                                       .strList({})
                                       .i32(3)
                                       .i32(1)
                                       .strList({"K"})
                                       .strList({"1"})
                                       .data));
        QCOMPARE(bytesOf(block.record()), baIn);
    }

    void conclusionLayoutAndNumbers() {
        CConclusion c(nullptr, {});
        c.setNumber(11);
        QCOMPARE(c.specialistNumber(), 13);
        QCOMPARE(c.panels().value(0)->geometry(), QRect(0, 400, 1000, 140));
        QSignalSpy numbers(&c, &CConclusion::lastNumberChanged);
        click(child<QCheckBox>(&c, "cb_reportOn")); // the written conclusion off: one number less
        QVERIFY(c.specialistNumber() == 12 && numbers.size() == 1);
        click(child<QCheckBox>(&c, "cb_reportOn"));
        auto pAdd = child<QPushButton>(&c, "btn_addTechnician");
        auto pDelete = child<QPushButton>(&c, "btn_delTechnician");
        QVERIFY(!pDelete->isEnabled());
        click(pAdd);
        click(pAdd);
        QCOMPARE(c.height(), 890);
        QCOMPARE(pAdd->y(), 850);
        QVERIFY(!c.panels()[0]->isRoleLocked() && c.panels()[1]->role() == eControler);
        // one head per conclusion
        c.panels()[0]->setRole(eBoss);
        click(child<QCheckBox>(c.panels()[2], "chb_boss"));
        QVERIFY(c.panels()[2]->role() == eBoss && c.panels()[0]->role() == eControler);
        // a table growing moves everything below it
        const int yPanel = c.panels()[1]->y();
        c.setData(7, 5, g_lstDefaultTitles, {});
        QCOMPARE(c.panels()[1]->y(), yPanel + 60);
        QCOMPARE(pAdd->y(), 910);
        click(pDelete);
        click(pDelete);
        QVERIFY(c.panels().size() == 1 && c.panels()[0]->isRoleLocked());
        QCOMPARE(c.panels()[0]->role(), eControlerAndAuthor);
    }

    void writtenConclusionPrint() {
        CReport report(nullptr, g_sUz, 12);
        child<QTextEdit>(&report, "tedt_description")
            ->setPlainText(QStringLiteral("Дефектов не обнаружено.\nКонтроль <завершён>."));
        QCOMPARE(sectionHtml(report.record(), 2),
                 QStringLiteral("<p>10. Заключение по результатам ультразвукового "
                                "контроля: Дефектов не обнаружено.<br>Контроль "
                                "&lt;завершён&gt;.</p>\n"));
        QTest::keyClick(child<QTextEdit>(&report, "tedt_description"), Qt::Key_Tab); // no tab typed
        QVERIFY(!report.description().contains('\t'));
        click(child<QCheckBox>(&report, "cb_reportOn")); // off: kept, not printed
        QVERIFY(sectionHtml(report.record(), 0).isEmpty() && !report.description().isEmpty());
    }

    void conclusionRecords() {
        SLabLists lab({{{QStringLiteral("Иванов И.И."), {}}}, {}, {}, {}, {}});
        CConclusion c(nullptr, lab.pLists);
        CBytes b;
        b.i32(1).str(QStringLiteral("Иванов И.И.")).i32(0); // specialists: one, no certificates
        tableAndReport(b, 11, false).i32(3);
        panelRecord(b, 12, 1);
        panelRecord(b, 0, 4);
        panelRecord(b, 0, 2);
        QVERIFY(readConclusion(c, b.data));
        QVERIFY(c.panels().size() == 3 && c.panels()[1]->role() == eBoss);
        QCOMPARE(c.specialistNumber(), 12);
        QCOMPARE(bytesOf(c.record()), b.data);
        // a panel count below 1, or a role outside the four, is not applied
        CBytes noPanel, badRole;
        tableAndReport(noPanel.i32(0), 30, true).i32(0);
        panelRecord(tableAndReport(badRole.i32(0), 30, true).i32(1), 32, 9);
        for (const CBytes& bad : {noPanel, badRole}) {
            QVERIFY(!readConclusion(c, bad.data));
            QCOMPARE(bytesOf(c.record()), b.data);
        }
    }
};

QTEST_MAIN(TestResults)
#include "tst_results.moc"
