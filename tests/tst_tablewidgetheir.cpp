#include "results/tablewidgetheir.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTimer>
#include <QtTest>

namespace {
const QString g_sMismatch =
    QStringLiteral("Размеры областей выделения для скопированных данных и вставки не совпадают!");

QString clip() { return QApplication::clipboard()->text(); }
void setClip(const QString& s) { QApplication::clipboard()->setText(s); }

void select(QTableWidget& table, int iTop, int iLeft, int iBottom, int iRight) {
    table.clearSelection();
    table.setRangeSelected(QTableWidgetSelectionRange(iTop, iLeft, iBottom, iRight), true);
}

QString text(const QTableWidget& table, int r, int c) {
    const QTableWidgetItem* p = table.item(r, c);
    return p ? p->text() : QStringLiteral("<none>");
}

// Records the keys that reach the owner of the table.
class CKeyWitness : public QWidget {
public:
    QList<int> lstKeys;

protected:
    void keyPressEvent(QKeyEvent* pEvent) override { lstKeys.append(pEvent->key()); }
};
} // namespace

class TestTableWidgetHeir : public QObject {
    Q_OBJECT
private slots:
    void copiesBlockWithMissingItem() {
        CTableWidgetHeir table;
        table.setRowCount(3);
        table.setColumnCount(4);
        table.setItem(0, 0, new QTableWidgetItem("a"));
        table.setItem(0, 1, new QTableWidgetItem("b"));
        table.setItem(1, 0, new QTableWidgetItem("c"));
        table.setItem(1, 1, new QTableWidgetItem("d"));
        table.setItem(1, 2, new QTableWidgetItem("e"));
        table.setItem(1, 3, new QTableWidgetItem("outside"));
        select(table, 0, 0, 1, 2);

        setClip("old");
        QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clip(), QStringLiteral("a\tb\t\nc\td\te"));

        setClip("old");
        QTest::keyClick(&table, Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(clip(), QStringLiteral("a\tb\t\nc\td\te"));

        // Only the exact modifiers copy.
        setClip("old");
        QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clip(), QStringLiteral("old"));

        table.clearSelection();
        QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clip(), QString());
    }

    void pasteRepeatsBlockDownwards() {
        CScriptedDialogs dialogs;
        CTableWidgetHeir table;
        table.setRowCount(5);
        table.setColumnCount(3);

        setClip("x\ty");
        select(table, 1, 1, 3, 2);
        QTest::keyClick(&table, Qt::Key_V, Qt::ControlModifier);
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(text(table, r, 1), QStringLiteral("x"));
            QCOMPARE(text(table, r, 2), QStringLiteral("y"));
        }
        QCOMPARE(text(table, 0, 1), QStringLiteral("<none>"));
        QCOMPARE(text(table, 4, 1), QStringLiteral("<none>"));
        QCOMPARE(text(table, 1, 0), QStringLiteral("<none>"));

        setClip("1\n2");
        select(table, 0, 0, 3, 0);
        QTest::keyClick(&table, Qt::Key_Insert, Qt::ShiftModifier);
        QStringList lst;
        for (int r = 0; r < 4; ++r)
            lst << text(table, r, 0);
        QCOMPARE(lst, QStringList({"1", "2", "1", "2"}));
        QVERIFY(dialogs.lstMessages.isEmpty());
    }

    void pasteRefusesMismatchedBlocks() {
        CScriptedDialogs dialogs;
        CTableWidgetHeir table;
        table.setRowCount(4);
        table.setColumnCount(3);

        // Two lines into three rows.
        setClip("1\n2");
        select(table, 0, 0, 2, 0);
        QTest::keyClick(&table, Qt::Key_V, Qt::ControlModifier);
        // A trailing line feed makes a second, empty line.
        setClip("x\n");
        select(table, 0, 0, 0, 0);
        QTest::keyClick(&table, Qt::Key_V, Qt::ControlModifier);
        // Three fields into two columns.
        setClip("a\tb\tc");
        select(table, 0, 0, 0, 1);
        QTest::keyClick(&table, Qt::Key_V, Qt::ControlModifier);
        // Nothing selected.
        setClip("a");
        table.clearSelection();
        QTest::keyClick(&table, Qt::Key_V, Qt::ControlModifier);

        QCOMPARE(dialogs.lstMessages.size(), 4);
        for (const CScriptedDialogs::Message& m : dialogs.lstMessages) {
            QCOMPARE(m.eIcon, QMessageBox::Information);
            QCOMPARE(m.sTitle, QStringLiteral("Вставка в таблицу"));
            QCOMPARE(m.sText, g_sMismatch);
        }
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                QVERIFY(!table.item(r, c));

        // Ctrl+Shift+V is not paste either.
        setClip("z");
        select(table, 0, 0, 0, 0);
        QTest::keyClick(&table, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!table.item(0, 0));
        QCOMPARE(dialogs.lstMessages.size(), 4);
    }

    void pasteCentresNewItemsAndKeepsAlignmentOfOld() {
        CScriptedDialogs dialogs;
        CTableWidgetHeir table;
        table.setRowCount(2);
        table.setColumnCount(3);
        QTableWidgetItem* pOld = new QTableWidgetItem("old");
        pOld->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
        table.setItem(0, 1, pOld);
        table.setItem(1, 2, new QTableWidgetItem("kept"));

        // The second line is short: the cell it has no field for stays.
        setClip("p\tq\tr\ns");
        select(table, 0, 0, 1, 2);
        QTest::keyClick(&table, Qt::Key_V, Qt::ControlModifier);

        QCOMPARE(text(table, 0, 0), QStringLiteral("p"));
        QCOMPARE(table.item(0, 0)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
        QCOMPARE(table.item(0, 0)->type(), int(QTableWidgetItem::Type));
        QCOMPARE(table.item(0, 1), pOld);
        QCOMPARE(pOld->text(), QStringLiteral("q"));
        QCOMPARE(pOld->textAlignment(), int(Qt::AlignLeft | Qt::AlignTop));
        QCOMPARE(text(table, 0, 2), QStringLiteral("r"));
        QCOMPARE(text(table, 1, 0), QStringLiteral("s"));
        QCOMPARE(text(table, 1, 1), QStringLiteral("<none>"));
        QCOMPARE(text(table, 1, 2), QStringLiteral("kept"));
    }

    void cellMenuAndKeysLeftToOwner() {
        CKeyWitness owner;
        CTableWidgetHeir* pTable = new CTableWidgetHeir(&owner);
        pTable->setRowCount(2);
        pTable->setColumnCount(2);
        pTable->setItem(0, 0, new QTableWidgetItem("m"));

        QMenu* pMenu = pTable->buildCellMenu();
        QStringList lstTexts;
        for (QAction* pAct : pMenu->actions()) {
            lstTexts << pAct->text();
            QVERIFY(pAct->isEnabled());
        }
        QCOMPARE(lstTexts, QStringList({"Копировать", "Вставить"}));
        QCOMPARE(pMenu->parent(), pTable);
        select(*pTable, 0, 0, 0, 0);
        setClip("old");
        pMenu->actions().first()->trigger();
        QCOMPARE(clip(), QStringLiteral("m"));
        delete pMenu;

        // A right click over the cells pops the same menu up.
        owner.resize(300, 200);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QStringList lstShown;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&]() {
            if (QWidget* pPopup = QApplication::activePopupWidget()) {
                for (QAction* pAct : pPopup->actions())
                    lstShown << pAct->text();
                pPopup->close();
            }
        });
        timer.start(10);
        const QPoint pt = pTable->visualItemRect(pTable->item(0, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, pt,
                                pTable->viewport()->mapToGlobal(pt));
        QApplication::sendEvent(pTable->viewport(), &event);
        QCOMPARE(lstShown, QStringList({"Копировать", "Вставить"}));

        // Delete and Backspace are not the table's: they reach the owner.
        pTable->setFocus();
        QTest::keyClick(pTable, Qt::Key_Delete);
        QTest::keyClick(pTable, Qt::Key_Backspace);
        QCOMPARE(owner.lstKeys, QList<int>({Qt::Key_Delete, Qt::Key_Backspace}));
    }
};

QTEST_MAIN(TestTableWidgetHeir)
#include "tst_tablewidgetheir.moc"
