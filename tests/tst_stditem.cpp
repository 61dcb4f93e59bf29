#include "items/stditem.h"
#include "support/bytes.h"
#include "support/typing.h"

#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

class TestStdItem : public QObject {
    Q_OBJECT
private slots:
    void widthRule() {
        CStdItem item(nullptr, 7, QStringLiteral("Стадия контроля:"), QString(), false, 3);
        item.resize(1200, 30);
        auto pName = item.findChild<QLabel*>("lbl_name");
        auto pValue = item.findChild<QLineEdit*>("edt_value");
        QCOMPARE(pValue->width(), 600); // an empty value: minimum times the factor
        const int iText = pName->fontMetrics().horizontalAdvance(pName->text()) + 20;
        QCOMPARE(pName->width(), qMax(200, (iText + 9) / 10 * 10));
        QCOMPARE(pValue->x(), 50 + pName->width() + 10);
        item.setValue(QString(120, QChar('W')));
        QVERIFY(pValue->width() > 600);
        QCOMPARE(pValue->width() % 10, 0);
        item.setName(QString(200, QChar('M'))); // clipped at the maximum
        QCOMPARE(pName->width(), 750);
    }

    void numberZeroPrintsNothing() {
        CStdItem item(nullptr, 0, QStringLiteral("Номер"), QStringLiteral("12"), false, 1);
        QCOMPARE(item.findChild<QLabel*>("lbl_num")->text(), QString());
        QCOMPARE(item.toHtml(0), QString());
        item.setNumber(4);
        QCOMPARE(item.toHtml(1), QStringLiteral("<p>3. Номер 12.</p>\n"));
    }

    void deletableButtonStaysInside() {
        CStdItem item(nullptr, 12, QStringLiteral("Примечание:"), QString(80, QChar('x')), true, 1);
        item.show();
        item.resize(1000, 30);
        auto pButton = item.findChild<QToolButton*>("btn_deleteItem");
        QCOMPARE(pButton->size(), QSize(120, 30));
        QCOMPARE(pButton->geometry().right(), 999);
        QSignalSpy spy(&item, &CStdItem::deleteItem);
        QTest::mouseClick(pButton, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().value<CStdItem*>(), &item);
    }

    void typedTextPrintedButSavedOnlyWhenCommitted() {
        CStdItem item(nullptr, 5, QStringLiteral("Объект:"), QString(), false, 3);
        auto pValue = item.findChild<QLineEdit*>("edt_value");
        typeText(pValue, QStringLiteral("< 0,5 мм & B"));
        QCOMPARE(item.toHtml(0), QStringLiteral("<p>5. Объект: &lt; 0,5 мм &amp; B.</p>\n"));
        QCOMPARE(item.value(), QString());
        item.commitValue();
        QCOMPARE(item.value(), QStringLiteral("< 0,5 мм & B"));
        typeText(pValue, QStringLiteral("!"));
        QTest::keyClick(pValue, Qt::Key_Return);
        QCOMPARE(item.value(), QStringLiteral("< 0,5 мм & B!"));
    }

    void streamRecordBytes() {
        CStdItem item(nullptr, 258, QStringLiteral("Аб"), QStringLiteral("x"), false, 1);
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        out << item;
        QCOMPARE(bytes.toHex(), QByteArray("00000102" "00000004" "04100431" "00000002" "0078"));

        CStdItem scratch(nullptr, 0, QString(), QString(), false, 1);
        QDataStream in(CBytes().i32(9).str("A").nullStr().data);
        in >> scratch;
        QCOMPARE(scratch.number(), 9);
        QCOMPARE(scratch.name(), QStringLiteral("A"));
        QCOMPARE(scratch.findChild<QLabel*>("lbl_num")->text(), QStringLiteral("9"));
        // a record cut short changes nothing
        QDataStream cut(CBytes().i32(5).u32(8).data);
        cut >> scratch;
        QCOMPARE(scratch.number(), 9);
        QVERIFY(cut.status() != QDataStream::Ok);
    }
};

QTEST_MAIN(TestStdItem)
#include "tst_stditem.moc"
