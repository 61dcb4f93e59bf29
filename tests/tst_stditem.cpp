#include "items/stditem.h"

#include "support/typing.h"

#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {
int expectedWidth(const QWidget* pWidget, const QString& sText, int iLower) {
    int c = pWidget->fontMetrics().horizontalAdvance(sText) + 20;
    c = (c + 9) / 10 * 10;
    return qMin(pWidget->maximumWidth(), qMax(c, iLower));
}
} // namespace

class TestStdItem : public QObject {
    Q_OBJECT
private slots:
    void widthRule() {
        CStdItem item(nullptr, 7, QStringLiteral("Стадия контроля:"), QString(), false, 3);
        item.resize(1200, 30);
        auto pName = item.findChild<QLabel*>("lbl_name");
        auto pValue = item.findChild<QLineEdit*>("edt_value");
        // an empty value keeps the editor at its minimum times the factor
        QCOMPARE(pValue->width(), 600);
        QCOMPARE(pName->width(), expectedWidth(pName, pName->text(), 200));
        QCOMPARE(pName->x(), 50);
        QCOMPARE(pValue->x(), 50 + pName->width() + 10);
        // a long value widens the editor to its text, rounded up to ten
        const QString sLong(120, QChar('W'));
        item.setValue(sLong);
        QCOMPARE(pValue->width(), expectedWidth(pValue, sLong, 600));
        QVERIFY(pValue->width() > 600);
        QCOMPARE(pValue->width() % 10, 0);
        // a caption wider than the label's maximum is clipped at 750
        item.setName(QString(200, QChar('M')));
        QCOMPARE(pName->width(), 750);
        // a short caption still gets the label's minimum
        item.setName(QStringLiteral("a"));
        QCOMPARE(pName->width(), 200);
    }

    void numberZeroPrintsNothing() {
        CStdItem item(nullptr, 0, QStringLiteral("Номер протокола"), QStringLiteral("12"), false,
                      1);
        QCOMPARE(item.findChild<QLabel*>("lbl_num")->text(), QString());
        QCOMPARE(item.toHtml(0), QString());
        QCOMPARE(item.toHtml(-3), QString());
        item.setNumber(4);
        QCOMPARE(item.findChild<QLabel*>("lbl_num")->text(), QStringLiteral("4"));
        QCOMPARE(item.toHtml(1), QStringLiteral("<p>3. Номер протокола 12.</p>\n"));
    }

    void deletableButtonStaysInside() {
        CStdItem item(nullptr, 12, QStringLiteral("Примечание:"), QString(80, QChar('x')), true,
                      1);
        item.resize(1000, 30);
        auto pButton = item.findChild<QToolButton*>("btn_deleteItem");
        auto pValue = item.findChild<QLineEdit*>("edt_value");
        QVERIFY(!pButton->isHidden());
        QCOMPARE(pButton->size(), QSize(120, 30));
        QCOMPARE(pButton->geometry().right() + 1, 1000 - 10 + 10); // ends at the right edge
        QCOMPARE(pButton->x(), pValue->x() + pValue->width() + 10);
        QSignalSpy spy(&item, &CStdItem::deleteItem);
        QTest::mouseClick(pButton, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().value<CStdItem*>(), &item);

        CStdItem fixed(nullptr, 3, QStringLiteral("Адрес:"), QString(), false, 3);
        QVERIFY(fixed.findChild<QToolButton*>("btn_deleteItem")->isHidden());
    }

    void typedTextPrintedButSavedOnlyWhenCommitted() {
        CStdItem item(nullptr, 5, QStringLiteral("Наименование объекта:"), QString(), false, 3);
        auto pValue = item.findChild<QLineEdit*>("edt_value");
        typeText(pValue, QStringLiteral("< 0,5 мм & B"));
        QCOMPARE(item.toHtml(0),
                 QStringLiteral("<p>5. Наименование объекта: &lt; 0,5 мм &amp; B.</p>\n"));
        QCOMPARE(item.value(), QString());
        item.commitValue();
        QCOMPARE(item.value(), QStringLiteral("< 0,5 мм & B"));
        QTest::keyClicks(pValue, QStringLiteral("!"));
        QTest::keyClick(pValue, Qt::Key_Return);
        QCOMPARE(item.value(), QStringLiteral("< 0,5 мм & B!"));
    }

    void streamRecordBytes() {
        CStdItem item(nullptr, 258, QStringLiteral("Аб"), QStringLiteral("x"), false, 1);
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << item;
        }
        const QByteArray expected = QByteArray::fromHex("00000102"          // number 258
                                                        "00000004" "04100431" // "Аб"
                                                        "00000002" "0078");   // "x"
        QCOMPARE(bytes.toHex(), expected.toHex());

        // read back: the value read is applied through the setters
        const QByteArray record = QByteArray::fromHex("00000009"
                                                      "00000002" "0041"
                                                      "ffffffff");
        QDataStream in(record);
        in.setVersion(QDataStream::Qt_4_6);
        CStdItem scratch(nullptr, 0, QString(), QString(), false, 1);
        in >> scratch;
        QCOMPARE(scratch.number(), 9);
        QCOMPARE(scratch.name(), QStringLiteral("A"));
        QCOMPARE(scratch.value(), QString());
        QCOMPARE(scratch.findChild<QLabel*>("lbl_num")->text(), QStringLiteral("9"));

        // a record cut short changes nothing
        QDataStream cut(QByteArray::fromHex("0000000500000008"));
        cut >> scratch;
        QCOMPARE(scratch.number(), 9);
    }
};

QTEST_MAIN(TestStdItem)
#include "tst_stditem.moc"
