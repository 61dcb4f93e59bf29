#include "composer/reportheader.h"
#include "items/lineeditheir.h"
#include "support/typing.h"

#include <QDataStream>
#include <QLabel>
#include <QtTest>

namespace {
const QString g_sNewHtml = QStringLiteral(
    "<H2 ALIGN = \"CENTER\";\"><b></b></H2>"
    "<H4 ALIGN = \"CENTER\";\"><b>&nbsp;&nbsp;&nbsp;телефон / факс </b></H4>"
    "<H4 ALIGN = \"CENTER\";\"><b>Свидетельство об аккредитации лаборатории №, выдано "
    "</b><BR></H4>");

int nameWidth(const QString& sName) {
    QFont f;
    f.setPointSize(16);
    f.setBold(true);
    return (QFontMetrics(f).horizontalAdvance(sName) + 20 + 9) / 10 * 10;
}
} // namespace

class TestReportHeader : public QObject {
    Q_OBJECT
private slots:
    void newHeaderShowsPromptsAndPrintsNone() {
        CReportHeader header;
        auto pName = header.findChild<CLineEditHeir*>("edt_labName");
        auto pAddress = header.findChild<CLineEditHeir*>("edt_address");
        QCOMPARE(pName->text(), QStringLiteral("Название лаборатории НК"));
        QVERIFY(pName->font().italic());
        QVERIFY(!pName->font().bold());
        QCOMPARE(pName->font().pointSize(), 12);
        QCOMPARE(pAddress->text(), QStringLiteral("Адрес лаборатории НК"));
        QVERIFY(pAddress->font().italic());
        // fixed-width labels keep their whole text (11 pt at most for the certificate)
        for (const char* pLabel : {"lbl_phone", "lbl_licence", "lbl_issued_by"}) {
            auto pL = header.findChild<QLabel*>(pLabel);
            QVERIFY(pL->fontMetrics().horizontalAdvance(pL->text()) <= pL->width());
        }
        QVERIFY(header.findChild<QLabel*>("lbl_licence")->font().pointSize() <= 11);
        QCOMPARE(header.labName(), QString());
        QCOMPARE(header.toHtml(), g_sNewHtml);
        QCOMPARE(header.size(), QSize(1000, 130));
    }

    void nameWidthFollowsText() {
        CReportHeader header;
        header.resize(1400, 130);
        auto pName = header.findChild<CLineEditHeir*>("edt_labName");
        const QString sName = QStringLiteral("Лаборатория неразрушающего контроля «Корва»");
        header.setLabName(sName);
        QVERIFY(pName->font().bold());
        QVERIFY(!pName->font().italic());
        QCOMPARE(pName->font().pointSize(), 16);
        const int w = qMax(500, nameWidth(sName));
        QCOMPARE(pName->geometry(), QRect((1400 - w) / 2, 10, w, 30));

        // a very long name is held to the header's width - 20, centred
        header.setLabName(sName + sName + sName);
        QCOMPARE(pName->geometry(), QRect(10, 10, 1380, 30));

        // clearing shows the prompt again at the minimum width
        header.setLabName(QString());
        QCOMPARE(pName->text(), QStringLiteral("Название лаборатории НК"));
        QVERIFY(pName->font().italic());
        QCOMPARE(pName->font().pointSize(), 12);
        QCOMPARE(pName->geometry(), QRect(450, 10, 500, 30));

        // a short name keeps the minimum width
        header.setLabName(QStringLiteral("ЛНК"));
        QCOMPARE(pName->width(), 500);
    }

    void fieldsCommitOnLeaving() {
        CReportHeader header;
        header.show();
        QVERIFY(QTest::qWaitForWindowActive(&header));
        auto pName = header.findChild<CLineEditHeir*>("edt_labName");
        auto pAddress = header.findChild<CLineEditHeir*>("edt_address");
        auto pPhone = header.findChild<QLineEdit*>("edt_phone");

        QTest::mouseClick(pName, Qt::LeftButton);
        QTRY_VERIFY(pName->hasFocus());
        QCOMPARE(pName->text(), QString()); // the prompt gives way
        QVERIFY(pName->font().bold());
        typeText(pName, QStringLiteral("ЛНК <Восток>"));
        QCOMPARE(header.labName(), QString());
        pPhone->setFocus();
        QTRY_COMPARE(header.labName(), QStringLiteral("ЛНК <Восток>"));

        // entering and leaving a name keeps it
        QTest::mouseClick(pName, Qt::LeftButton);
        QTRY_VERIFY(pName->hasFocus());
        QCOMPARE(pName->text(), QStringLiteral("ЛНК <Восток>"));
        pPhone->setFocus();
        QTRY_VERIFY(pPhone->hasFocus());
        QCOMPARE(header.labName(), QStringLiteral("ЛНК <Восток>"));

        QTest::mouseClick(pAddress, Qt::LeftButton);
        QTRY_VERIFY(pAddress->hasFocus());
        QCOMPARE(pAddress->text(), QString());
        QVERIFY(!pAddress->font().italic());
        typeText(pAddress, QStringLiteral("г. Москва & область"));
        pPhone->setFocus();
        QTRY_COMPARE(header.address(), QStringLiteral("г. Москва & область"));
        typeText(pPhone, QStringLiteral("123-45-67"));
        header.setPhoneLicenceIssuer(pPhone->text(), QStringLiteral("77-1"),
                                     QStringLiteral("Ростехнадзор"));
        QCOMPARE(header.toHtml(),
                 QStringLiteral("<H2 ALIGN = \"CENTER\";\"><b>ЛНК &lt;Восток&gt;</b></H2>"
                                "<H4 ALIGN = \"CENTER\";\"><b>г. Москва &amp; область"
                                "&nbsp;&nbsp;&nbsp;телефон / факс 123-45-67</b></H4>"
                                "<H4 ALIGN = \"CENTER\";\"><b>Свидетельство об аккредитации "
                                "лаборатории №77-1, выдано Ростехнадзор</b><BR></H4>"));

        // an emptied field shows the prompt again, which is never stored
        QTest::mouseClick(pAddress, Qt::LeftButton);
        QTRY_VERIFY(pAddress->hasFocus());
        pAddress->clear();
        pPhone->setFocus();
        QTRY_COMPARE(pAddress->text(), QStringLiteral("Адрес лаборатории НК"));
        QCOMPARE(header.address(), QString());
        QVERIFY(pAddress->font().italic());
    }

    void layoutFollowsWidth() {
        CReportHeader header;
        header.show();
        header.resize(1300, 130);
        auto geometry = [&](const char* pName) {
            return header.findChild<QWidget*>(pName)->geometry();
        };
        QCOMPARE(geometry("edt_labName"), QRect(400, 10, 500, 30));
        QCOMPARE(geometry("edt_phone"), QRect(1070, 50, 220, 30));
        QCOMPARE(geometry("lbl_phone"), QRect(940, 50, 120, 30));
        QCOMPARE(geometry("edt_address"), QRect(10, 50, 920, 30));
        QCOMPARE(geometry("lbl_licence"), QRect(10, 90, 350, 30));
        QCOMPARE(geometry("edt_licence"), QRect(370, 90, 150, 30));
        QCOMPARE(geometry("lbl_issued_by"), QRect(530, 90, 80, 30));
        QCOMPARE(geometry("edt_issued_by"), QRect(620, 90, 670, 30));
        header.resize(1000, 130);
        QCOMPARE(geometry("edt_address"), QRect(10, 50, 620, 30));
        QCOMPARE(geometry("edt_issued_by"), QRect(620, 90, 370, 30));
    }

    void streamRecordBytes() {
        CReportHeader header;
        header.setLabName(QStringLiteral("Л"));
        header.setPhoneLicenceIssuer(QStringLiteral("1"), QString(), QStringLiteral("ab"));
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << header;
        }
        const QByteArray expected = QByteArray::fromHex("00000002" "041b"   // name
                                                        "ffffffff"          // address, never set
                                                        "00000002" "0031"   // telephone
                                                        "00000000"          // certificate
                                                        "00000004" "00610062");
        QCOMPARE(bytes.toHex(), expected.toHex());

        // reading commits name and address: an empty name shows the prompt
        {
            QDataStream in(QByteArray::fromHex("ffffffff" "00000002" "0041" "00000002" "0032"
                                               "00000002" "0033" "00000002" "0034"));
            in.setVersion(QDataStream::Qt_4_6);
            in >> header;
            QCOMPARE(in.status(), QDataStream::Ok);
        }
        auto pName = header.findChild<CLineEditHeir*>("edt_labName");
        QCOMPARE(header.labName(), QString());
        QCOMPARE(pName->text(), QStringLiteral("Название лаборатории НК"));
        QVERIFY(pName->font().italic());
        QCOMPARE(header.address(), QStringLiteral("A"));
        QVERIFY(!header.findChild<CLineEditHeir*>("edt_address")->font().italic());
        QCOMPARE(header.phone(), QStringLiteral("2"));
        QCOMPARE(header.licence(), QStringLiteral("3"));
        QCOMPARE(header.issuedBy(), QStringLiteral("4"));

        // a name read is shown bold 16 pt at its width
        {
            QDataStream in(QByteArray::fromHex("00000002" "041b" "00000000" "00000000"
                                               "00000000" "00000000"));
            in.setVersion(QDataStream::Qt_4_6);
            in >> header;
        }
        QCOMPARE(pName->text(), QStringLiteral("Л"));
        QVERIFY(pName->font().bold());
        QCOMPARE(pName->font().pointSize(), 16);

        // a record cut short is not applied
        QDataStream cut(QByteArray::fromHex("00000002" "0041" "00000002" "0042" "00000008"));
        cut.setVersion(QDataStream::Qt_4_6);
        cut >> header;
        QVERIFY(cut.status() != QDataStream::Ok);
        QCOMPARE(header.labName(), QStringLiteral("Л"));
        QCOMPARE(header.address(), QString());
    }
};

QTEST_MAIN(TestReportHeader)
#include "tst_reportheader.moc"
