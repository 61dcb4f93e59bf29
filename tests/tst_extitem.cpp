#include "items/dateeditheir.h"
#include "items/editableset.h"
#include "items/extdatset.h"

#include <QLabel>
#include <QSignalSpy>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

// The layout shared by the list sections: sub-items after the caption,
// wrapping onto new lines, the height and the "+"/"-" buttons following.
class TestExtItem : public QObject {
    Q_OBJECT

    static void checkButtonsAfterLast(CExtItem& set) {
        const QRect last = set.subItems().last()->geometry();
        auto pAdd = set.findChild<QToolButton*>("btn_add");
        auto pDelete = set.findChild<QToolButton*>("btn_delete");
        QCOMPARE(pAdd->pos(), QPoint(last.right() + 6, last.top()));
        QCOMPARE(pDelete->pos(), QPoint(last.right() + 6, last.top() + 15));
        QCOMPARE(set.height(), last.top() + 30);
    }

private slots:
    void subItemsWrapAndShrinkBack() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Дата проведения контроля:"));
        set.show();
        auto pName = set.findChild<QLabel*>("lbl_name");
        auto pAdd = set.findChild<QToolButton*>("btn_add");
        auto pDelete = set.findChild<QToolButton*>("btn_delete");
        QCOMPARE(pName->geometry().topLeft(), QPoint(50, 0));
        QCOMPARE(set.subItems().first()->geometry(),
                 QRect(pName->geometry().right() + 11, 0, 120, 30));
        QVERIFY(pDelete->isHidden());
        checkButtonsAfterLast(set);

        QSignalSpy spyHeight(&set, &CExtItem::widgetHeightChanged);
        QSignalSpy spyCount(&set, &CExtItem::listItemsWidgetChanged);
        // fill the first line: every sub-item follows the one before with a gap of 10
        int n = 1;
        while (set.height() == 30) {
            QTest::mouseClick(pAdd, Qt::LeftButton);
            ++n;
            QCOMPARE(spyCount.last().first().toInt(), n);
            QVERIFY(n < 20);
        }
        QVERIFY(!pDelete->isHidden());
        QCOMPARE(spyHeight.count(), 1);
        // the sub-item that did not fit, with room for the buttons, starts a new line
        const QRect prev = set.subItems().at(n - 2)->geometry();
        QCOMPARE(prev.top(), 0);
        QVERIFY(prev.right() + 11 + 120 + 20 >= 1000);
        QCOMPARE(set.subItems().last()->geometry(), QRect(0, 40, 120, 30));
        QCOMPARE(set.height(), 70);
        checkButtonsAfterLast(set);

        // a second sub-item on the new line leaves the height
        QTest::mouseClick(pAdd, Qt::LeftButton);
        QCOMPARE(set.subItems().last()->geometry(), QRect(130, 40, 120, 30));
        QCOMPARE(spyHeight.count(), 1);
        QTest::mouseClick(pDelete, Qt::LeftButton);
        QCOMPARE(set.height(), 70);
        QCOMPARE(spyHeight.count(), 1);
        checkButtonsAfterLast(set);

        // removing the one alone on the last line shrinks the section back
        QTest::mouseClick(pDelete, Qt::LeftButton);
        QCOMPARE(set.height(), 30);
        QCOMPARE(spyHeight.count(), 2);
        QCOMPARE(spyCount.last().first().toInt(), n - 1);
        checkButtonsAfterLast(set);

        // the section keeps one sub-item; "-" is shown only from two on
        while (set.subItemCount() > 1)
            QTest::mouseClick(pDelete, Qt::LeftButton);
        QVERIFY(pDelete->isHidden());
        set.slot_deleteItemWidget();
        QCOMPARE(set.subItemCount(), 1);
    }

    void heightFollowsWidth() {
        QWidget form;
        CEditableSet set(&form, 8, QStringLiteral("Контроль выполнен согласно:"), {"a", "b"});
        form.show();
        set.resize(1900, 30);
        for (int i = 0; i < 3; ++i)
            set.slot_addItemWidget();
        QCOMPARE(set.height(), 30);
        // a narrower form wraps the sub-items; the height follows once the owner
        // has finished resizing its sections
        QSignalSpy spyHeight(&set, &CExtItem::widgetHeightChanged);
        set.resize(1000, 30);
        QCOMPARE(set.subItems().last()->y(), 40);
        QTRY_COMPARE(spyHeight.count(), 1);
        QCOMPARE(set.height(), 70);
        set.resize(1900, 70);
        QTRY_COMPARE(spyHeight.count(), 2);
        QCOMPARE(set.height(), 30);
    }

    void printedFragment() {
        CEditableSet set(nullptr, 9, QStringLiteral("Оценка качества работ:"),
                         {QStringLiteral("годен"), QStringLiteral("<не годен>")});
        set.setSelectedTexts({QStringLiteral("годен"), QString(), QStringLiteral("<не годен>")});
        // an empty sub-item still counts
        QCOMPARE(set.toHtml(2), QStringLiteral("<p>7. Оценка качества работ: годен. . "
                                               "&lt;не годен&gt;.</p>\n"));
        set.setNumber(0);
        QCOMPARE(set.findChild<QLabel*>("lbl_num")->text(), QStringLiteral("9"));
        QCOMPARE(set.toHtml(0), QString());
    }

    void wheelIsSwallowed() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Дата:"));
        set.show();
        auto pEdit = static_cast<CDateEditHeir*>(set.subItems().first());
        pEdit->setDate(QDate(2012, 5, 5));
        QWheelEvent wheel(QPointF(5, 5), pEdit->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(pEdit, &wheel);
        QCOMPARE(pEdit->date(), QDate(2012, 5, 5));
        QVERIFY(!wheel.isAccepted()); // travels on to the scrolling form
    }
};

QTEST_MAIN(TestExtItem)
#include "tst_extitem.moc"
