#include "app/constants.h"
#include "items/dateeditheir.h"
#include "items/extdatset.h"

#include <QDataStream>
#include <QSignalSpy>
#include <QtTest>

namespace {
CDateEditHeir* editor(CExtDatSet& set, int i) {
    return static_cast<CDateEditHeir*>(set.subItems().at(i));
}
} // namespace

class TestExtDatSet : public QObject {
    Q_OBJECT
private slots:
    void datesUpTo2011CountAsUnset() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Дата проведения контроля:"));
        set.setDates({QDate(2012, 1, 1), QDate(2011, 12, 31), g_dtDefault, QDate(2013, 3, 5)});
        QCOMPARE(set.subItemCount(), 4);

        QList<QDate> lstDates;
        QCOMPARE(set.collectDates(lstDates), 4);
        QCOMPARE(lstDates,
                 QList<QDate>({QDate(2012, 1, 1), g_dtDefault, g_dtDefault, QDate(2013, 3, 5)}));
        QCOMPARE(editor(set, 1)->date(), QDate(2011, 12, 31)); // saving changes nothing

        // printing resets a date up to 2011 in its editor
        QCOMPARE(set.toHtml(0), QStringLiteral("<p>1. Дата проведения контроля: 01.01.2012. "
                                               "__.__.____. __.__.____. 05.03.2013.</p>\n"));
        QCOMPARE(editor(set, 1)->date(), g_dtDefault);
        QCOMPARE(editor(set, 1)->text(), QStringLiteral("__.__.____"));
    }

    void setDatesMatchesTheCount() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Дата:"));
        QSignalSpy spyCount(&set, &CExtItem::listItemsWidgetChanged);
        set.setDates({});
        QCOMPARE(set.subItemCount(), 1);
        QCOMPARE(spyCount.count(), 0);

        set.setDates({QDate(2012, 2, 2), QDate(2013, 3, 3), QDate(2014, 4, 4)});
        QCOMPARE(spyCount.count(), 2); // each new count announced
        QCOMPARE(spyCount.at(0).first().toInt(), 2);
        QCOMPARE(spyCount.at(1).first().toInt(), 3);
        QCOMPARE(editor(set, 2)->date(), QDate(2014, 4, 4));

        spyCount.clear();
        set.setDates({QDate(2015, 5, 5)});
        QCOMPARE(set.subItemCount(), 1);
        QCOMPARE(spyCount.count(), 2);
        QCOMPARE(spyCount.at(1).first().toInt(), 1);
        QCOMPARE(editor(set, 0)->date(), QDate(2015, 5, 5));
    }

    void streamRecordBytes() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Д"));
        set.setDates({QDate(2011, 3, 5), QDate(2012, 1, 1)});
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << set;
        }
        const QByteArray expected = QByteArray::fromHex("00000001"           // number
                                                        "00000002" "0414"    // "Д"
                                                        "00000002"           // two dates
                                                        "00256859"           // 2000-01-01
                                                        "00257978");         // 2012-01-01
        QCOMPARE(bytes.toHex(), expected.toHex());

        CExtDatSet scratch(nullptr, 0, QString());
        {
            QDataStream in(QByteArray::fromHex("00000006" "00000002" "0041" "00000003"
                                               "0025784a" "00257978" "00000000"));
            in.setVersion(QDataStream::Qt_4_6);
            in >> scratch;
            QCOMPARE(in.status(), QDataStream::Ok);
        }
        QCOMPARE(scratch.number(), 6);
        QCOMPARE(scratch.name(), QStringLiteral("A"));
        QList<QDate> lstDates;
        QCOMPARE(scratch.collectDates(lstDates), 3);
        // a damaged (zero) Julian day reads as not set
        QCOMPARE(lstDates, QList<QDate>({g_dtDefault, QDate(2012, 1, 1), g_dtDefault}));
        QCOMPARE(editor(scratch, 0)->date(), QDate(2011, 3, 5));

        // a stored list makes at most a hundred sub-items
        {
            QByteArray record = QByteArray::fromHex("00000006" "00000002" "0041" "00000096");
            for (int i = 0; i < 150; ++i)
                record += QByteArray::fromHex("00257978");
            QDataStream in(record);
            in.setVersion(QDataStream::Qt_4_6);
            in >> scratch;
            QCOMPARE(in.status(), QDataStream::Ok);
            QCOMPARE(scratch.subItemCount(), 100);
            scratch.setDates({QDate(2011, 3, 5), QDate(2012, 1, 1), QDate()});
            QCOMPARE(scratch.subItemCount(), 3);
        }

        // a record cut short, or a count the bytes cannot hold, is not applied
        const QByteArray lstDamaged[] = {
            QByteArray::fromHex("00000009" "00000002" "0042" "00000002" "00257978"),
            QByteArray::fromHex("00000009" "00000002" "0042" "10000000" "00257978")};
        for (const QByteArray& damaged : lstDamaged) {
            QDataStream in(damaged);
            in.setVersion(QDataStream::Qt_4_6);
            in >> scratch;
            QVERIFY(in.status() != QDataStream::Ok);
            QCOMPARE(scratch.number(), 6);
            QCOMPARE(scratch.subItemCount(), 3);
        }
    }
};

QTEST_MAIN(TestExtDatSet)
#include "tst_extdatset.moc"
