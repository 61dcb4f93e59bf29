#include "composer/reportheader.h"
#include "items/lineeditheir.h"
#include "support/typing.h"

#include <QDataStream>
#include <QLabel>
#include <QtTest>

namespace {
const QString g_sNamePrompt = QStringLiteral("Название лаборатории НК");
const QString g_sH2 = QStringLiteral("<H2 ALIGN = \"CENTER\";\"><b>");
const QString g_sH4 = QStringLiteral("<H4 ALIGN = \"CENTER\";\"><b>");

// The name field in the entered style (bold 16 pt) or in the prompt's (italic 12 pt).
bool nameStyled(const QLineEdit* pName, bool bEntered) {
    const QFont f = pName->font();
    return f.bold() == bEntered && f.italic() != bEntered && f.pointSize() == (bEntered ? 16 : 12);
}

bool readHex(CReportHeader& header, const QByteArray& hex) {
    QDataStream in(QByteArray::fromHex(hex));
    in.setVersion(QDataStream::Qt_4_6);
    in >> header;
    return in.status() == QDataStream::Ok;
}
} // namespace

class TestReportHeader : public QObject {
    Q_OBJECT
private slots:
    void promptsAndNameWidth() {
        CReportHeader header;
        auto pName = header.findChild<CLineEditHeir*>("edt_labName");
        QVERIFY(pName->text() == g_sNamePrompt && nameStyled(pName, false));
        // the prompts never reach the print
        QCOMPARE(header.toHtml(), g_sH2 + "</b></H2>" + g_sH4
                                      + "&nbsp;&nbsp;&nbsp;телефон / факс </b></H4>" + g_sH4
                                      + "Свидетельство об аккредитации лаборатории №, выдано "
                                        "</b><BR></H4>");
        // fixed-width labels keep their whole text in the fonts at hand
        for (const QLabel* pL : header.findChildren<QLabel*>())
            QVERIFY(pL->fontMetrics().horizontalAdvance(pL->text()) <= pL->width());

        // a name widens its field to its text, centred, up to the header's width - 20
        header.resize(1400, 130);
        const QString sName = QStringLiteral("Лаборатория неразрушающего контроля «Корва»");
        header.setLabName(sName);
        QVERIFY(nameStyled(pName, true));
        const int w = (pName->fontMetrics().horizontalAdvance(sName) + 20 + 9) / 10 * 10;
        QCOMPARE(pName->geometry(), QRect((1400 - qMax(500, w)) / 2, 10, qMax(500, w), 30));
        header.setLabName(sName + sName + sName);
        QCOMPARE(pName->geometry(), QRect(10, 10, 1380, 30));
        // clearing brings the prompt back at the minimum width
        header.setLabName(QString());
        QVERIFY(pName->text() == g_sNamePrompt && nameStyled(pName, false));
        QCOMPARE(pName->geometry(), QRect(450, 10, 500, 30));
    }

    void fieldsCommitOnLeaving() {
        CReportHeader header;
        header.show();
        QVERIFY(QTest::qWaitForWindowActive(&header));
        auto pName = header.findChild<CLineEditHeir*>("edt_labName");
        auto pAddress = header.findChild<CLineEditHeir*>("edt_address");
        auto pPhone = header.findChild<QLineEdit*>("edt_phone");
        auto moveTo = [](QLineEdit* pEdit) {
            QTest::mouseClick(pEdit, Qt::LeftButton);
            QTRY_VERIFY(pEdit->hasFocus());
        };
        moveTo(pName);
        QVERIFY(pName->text().isEmpty() && nameStyled(pName, true)); // the prompt gives way
        typeText(pName, QStringLiteral("ЛНК <Восток>"));
        QCOMPARE(header.labName(), QString());
        moveTo(pAddress);
        QCOMPARE(header.labName(), QStringLiteral("ЛНК <Восток>"));
        typeText(pAddress, QStringLiteral("г. Москва & область"));
        moveTo(pName); // a name entered and left again stays
        moveTo(pPhone);
        header.setPhoneLicenceIssuer("123", QStringLiteral("77-1"), QStringLiteral("Ростехнадзор"));
        QCOMPARE(header.toHtml(), g_sH2 + "ЛНК &lt;Восток&gt;</b></H2>" + g_sH4
                                      + "г. Москва &amp; область&nbsp;&nbsp;&nbsp;телефон / "
                                        "факс 123</b></H4>"
                                      + g_sH4 + "Свидетельство об аккредитации лаборатории "
                                        "№77-1, выдано Ростехнадзор</b><BR></H4>");
        // an emptied field shows the prompt again, which is never stored
        moveTo(pAddress);
        pAddress->clear();
        moveTo(pPhone);
        QCOMPARE(pAddress->text(), QStringLiteral("Адрес лаборатории НК"));
        QVERIFY(pAddress->font().italic() && header.address().isEmpty());
    }

    void streamRecord() {
        CReportHeader header;
        auto pName = header.findChild<CLineEditHeir*>("edt_labName");
        // name, address (never set), telephone, certificate, issuer
        const QByteArray record("00000002" "041b" "ffffffff" "00000002" "0031" "00000000"
                                "00000004" "00610062");
        QVERIFY(readHex(header, record));
        QVERIFY(pName->text() == QStringLiteral("Л") && nameStyled(pName, true));
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        out << header;
        QCOMPARE(bytes.toHex(), record);
        // reading commits name and address: an empty name shows the prompt
        QVERIFY(readHex(header, "ffffffff" "00000002" "0041" "00000002" "0032" "00000002" "0033"
                                "00000002" "0034"));
        QVERIFY(pName->text() == g_sNamePrompt && nameStyled(pName, false));
        QCOMPARE(QStringList({header.labName(), header.address(), header.phone(),
                              header.licence(), header.issuedBy()}),
                 QStringList({"", "A", "2", "3", "4"}));
        // a record cut short is not applied
        QVERIFY(!readHex(header, "00000002" "0042" "00000002" "0042" "00000008"));
        QCOMPARE(QStringList({header.labName(), header.address()}), QStringList({"", "A"}));
    }
};

QTEST_MAIN(TestReportHeader)
#include "tst_reportheader.moc"
