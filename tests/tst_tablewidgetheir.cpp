#include "results/tablewidgetheir.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QtTest>

namespace {
QString clip() { return QApplication::clipboard()->text(); }

// Puts sClip on the clipboard, selects the block and presses the keys.
void press(QTableWidget& table, const QString& sClip, const QTableWidgetSelectionRange& range,
           Qt::Key eKey, Qt::KeyboardModifiers eModifiers = Qt::ControlModifier) {
    QApplication::clipboard()->setText(sClip);
    table.clearSelection();
    table.setRangeSelected(range, true);
    QTest::keyClick(&table, eKey, eModifiers);
}

// The cell texts row by row; "-" for a cell without item.
QString texts(const QTableWidget& table) {
    QStringList lst;
    for (int r = 0; r < table.rowCount(); ++r)
        for (int c = 0; c < table.columnCount(); ++c)
            lst << (table.item(r, c) ? table.item(r, c)->text() : QStringLiteral("-"));
    return lst.join(' ');
}
} // namespace

class TestTableWidgetHeir : public QObject {
    Q_OBJECT
private slots:
    void copiesBlockWithMissingItem() {
        CTableWidgetHeir table;
        table.setRowCount(3);
        table.setColumnCount(4);
        const QStringList lst = {"a", "b", "", "", "c", "d", "e", "outside"};
        for (int i = 0; i < lst.size(); ++i)
            if (!lst[i].isEmpty())
                table.setItem(i / 4, i % 4, new QTableWidgetItem(lst[i]));

        for (const Qt::Key eKey : {Qt::Key_C, Qt::Key_Insert}) {
            press(table, "old", {0, 0, 1, 2}, eKey);
            QCOMPARE(clip(), QStringLiteral("a\tb\t\nc\td\te"));
        }
        // Only the exact modifiers copy.
        press(table, "old", {0, 0, 1, 2}, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clip(), QStringLiteral("old"));

        // The cell menu copies too, and with nothing selected copies nothing.
        table.clearSelection();
        const QList<QAction*> lstActs = table.buildCellMenu()->actions();
        QCOMPARE(lstActs.size(), 2);
        QCOMPARE(lstActs[0]->text() + lstActs[1]->text(), QStringLiteral("КопироватьВставить"));
        lstActs[0]->trigger();
        QCOMPARE(clip(), QString());
    }

    void pasteRepeatsOrRefuses() {
        CScriptedDialogs dialogs;
        CTableWidgetHeir table;
        table.setRowCount(4);
        table.setColumnCount(3);

        // Two lines into three rows; a trailing line feed is a second, empty
        // line; three fields into two columns; Ctrl+Shift+V is not paste.
        press(table, "1\n2", {0, 0, 2, 0}, Qt::Key_V);
        press(table, "x\n", {0, 0, 0, 0}, Qt::Key_V);
        press(table, "a\tb\tc", {0, 0, 0, 1}, Qt::Key_V);
        press(table, "z", {0, 0, 0, 0}, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(texts(table), QStringList(12, "-").join(' '));
        QCOMPARE(dialogs.texts(), QStringList(3, QStringLiteral("Размеры областей выделения для "
                                                                "скопированных данных и вставки "
                                                                "не совпадают!")));
        QCOMPARE(dialogs.lstMessages[0].sTitle, QStringLiteral("Вставка в таблицу"));
        QCOMPARE(dialogs.lstMessages[0].eIcon, QMessageBox::Information);

        // New items are centred; an old one keeps its alignment.
        QTableWidgetItem* pOld = new QTableWidgetItem("old");
        pOld->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
        table.setItem(1, 1, pOld);
        press(table, "x\ty", {1, 1, 3, 2}, Qt::Key_V);
        press(table, "1\n2", {0, 0, 3, 0}, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(texts(table), QStringLiteral("1 - - 2 x y 1 x y 2 x y"));
        QCOMPARE(table.item(1, 1), pOld);
        QCOMPARE(pOld->textAlignment(), int(Qt::AlignLeft | Qt::AlignTop));
        QCOMPARE(table.item(2, 1)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
        // A short second line: the cells it has no field for stay.
        press(table, "p\tq\tr\ns", {0, 0, 1, 2}, Qt::Key_V);
        QCOMPARE(texts(table), QStringLiteral("p q r s x y 1 x y 2 x y"));
        QCOMPARE(dialogs.lstMessages.size(), 3);
    }
};

QTEST_MAIN(TestTableWidgetHeir)
#include "tst_tablewidgetheir.moc"
