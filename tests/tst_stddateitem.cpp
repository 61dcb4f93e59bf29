#include "app/constants.h"
#include "items/dateeditheir.h"
#include "items/stddateitem.h"

#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>
#include <QtTest>

class TestStdDateItem : public QObject {
    Q_OBJECT
private slots:
    void storedDateFollowsFocusLoss() {
        QWidget window;
        CStdDateItem item(&window, QDate(2011, 3, 5));
        QLineEdit other(&window);
        other.move(0, 40);
        auto pEdit = item.findChild<CDateEditHeir*>("dedt_date");
        QCOMPARE(pEdit->geometry(), QRect(310, 0, 120, 30));
        QVERIFY(item.findChild<QLabel*>("lbl_name")->text().contains(
            QStringLiteral("Дата составления протокола")));
        QCOMPARE(item.dateText(), QStringLiteral("05.03.2011"));
        QCOMPARE(pEdit->date(), QDate(2011, 3, 5));
        other.setFocus();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // editing changes only the editor until it loses focus
        pEdit->setFocus();
        QTRY_VERIFY(pEdit->hasFocus());
        pEdit->setDate(QDate(2012, 7, 9));
        QCOMPARE(item.dateText(), QStringLiteral("05.03.2011"));
        other.setFocus();
        QTRY_COMPARE(item.date(), QDate(2012, 7, 9));

        // a year up to 2001 is reset and stored as the default date
        pEdit->setFocus();
        QTRY_VERIFY(pEdit->hasFocus());
        pEdit->setDate(QDate(2001, 5, 5));
        other.setFocus();
        QTRY_COMPARE(item.date(), g_dtDefault);
        QCOMPARE(item.dateText(), QStringLiteral("01.01.2000"));
        QCOMPARE(pEdit->text(), QStringLiteral("__.__.____"));
    }

    void wheelIsSwallowed() {
        CStdDateItem item(nullptr, QDate(2011, 3, 5));
        item.show();
        auto pEdit = item.findChild<CDateEditHeir*>("dedt_date");
        QWheelEvent wheel(QPointF(5, 5), pEdit->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(pEdit, &wheel);
        QCOMPARE(pEdit->date(), QDate(2011, 3, 5));
        QVERIFY(!wheel.isAccepted()); // travels on to the scrolling form
    }

    void streamRecordBytes() {
        CStdDateItem item(nullptr, QDate(2011, 3, 5));
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << item;
        }
        QCOMPARE(bytes.toHex(), QByteArray("0025784a")); // Julian day 2455626

        // reading shows the stored date at once
        QDataStream in(QByteArray::fromHex("00256859"));
        in.setVersion(QDataStream::Qt_4_6);
        in >> item;
        QCOMPARE(item.date(), g_dtDefault);
        QCOMPARE(item.findChild<CDateEditHeir*>("dedt_date")->text(), QStringLiteral("__.__.____"));

        // a record cut short changes nothing
        item.setDate(QDate(2011, 3, 5));
        QDataStream cut(QByteArray::fromHex("0025"));
        cut.setVersion(QDataStream::Qt_4_6);
        cut >> item;
        QVERIFY(cut.status() != QDataStream::Ok);
        QCOMPARE(item.date(), QDate(2011, 3, 5));
    }
};

QTEST_MAIN(TestStdDateItem)
#include "tst_stddateitem.moc"
