#include "base/constants.h"
#include "items/comboboxheir.h"
#include "items/dateeditheir.h"
#include "support/typing.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class TestInputWidgets : public QObject {
    Q_OBJECT
private slots:
    void editableComboKeepsBlankEntryAndRefills() {
        CComboBoxEditableHeir combo(nullptr, {"ГОСТ 14782", "СНиП"});
        QCOMPARE(combo.itemText(0), QString());
        combo.setCurrentIndex(2);
        QVERIFY(!combo.isEditable()); // a chosen entry cannot be edited in place
        // the current entry survives a refill at its new position
        combo.setItems({"A", "СНиП", "B"});
        QCOMPARE(combo.currentIndex(), 2);
        QCOMPARE(combo.currentText(), QStringLiteral("СНиП"));
        // a current text not in the new list stays as typed text over the blank entry
        combo.setItems({"X"});
        QCOMPARE(combo.currentIndex(), 0);
        QVERIFY(combo.isEditable());
        QCOMPARE(combo.currentText(), QStringLiteral("СНиП"));
        combo.setCurrentIndex(1);
        combo.setCurrentIndex(0);
        QVERIFY(combo.isEditable()); // the blank entry is editable again
    }

    void editableComboAnnouncesNewEntryOnce() {
        CComboBoxEditableHeir combo(nullptr, {"alpha"});
        combo.show();
        QSignalSpy spy(&combo, &CComboBoxEditableHeir::newStringAdded);
        typeText(combo.lineEdit(), QStringLiteral("бета"));
        QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QStringLiteral("бета"));
        QCOMPARE(combo.entries(), QStringList({"alpha", "бета"}));
        QCOMPARE(combo.currentIndex(), 2);
        // typing an existing entry selects it and announces nothing
        combo.setCurrentIndex(0);
        combo.lineEdit()->clear();
        typeText(combo.lineEdit(), QStringLiteral("alpha"));
        QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.currentIndex(), 1);
    }

    void dateEditFocusRules() {
        QWidget window;
        CDateEditHeir dateEdit(&window);
        QLineEdit other(&window);
        QCOMPARE(dateEdit.date(), g_dtDefault);
        QCOMPARE(dateEdit.text(), QStringLiteral("__.__.____"));
        other.setFocus();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy spy(&dateEdit, &CDateEditHeir::dateEdit_focusLost);
        // entering an unset field gives today's date, leaving keeps it
        dateEdit.setFocus();
        QTRY_VERIFY(dateEdit.hasFocus());
        QCOMPARE(dateEdit.date(), QDate::currentDate());
        other.setFocus();
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(dateEdit.date(), QDate::currentDate());
        // a year of 2001 or earlier becomes unset on leaving
        dateEdit.setFocus();
        QTRY_VERIFY(dateEdit.hasFocus());
        dateEdit.setDate(QDate(2001, 12, 31));
        other.setFocus();
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(dateEdit.date(), g_dtDefault);
    }
};

QTEST_MAIN(TestInputWidgets)
#include "tst_inputwidgets.moc"
