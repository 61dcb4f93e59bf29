// Stream layout of the reference records, checked against bytes written out
// by hand, and their reading of damaged data.
#include "refdata/records.h"

#include <QBuffer>
#include <QtTest>

namespace {

// Builds Qt 4.6 stream bytes by hand: big-endian integers, UTF-16BE strings.
struct Bytes {
    QByteArray data;
    Bytes& i32(quint32 v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            data.append(char((v >> shift) & 0xFF));
        return *this;
    }
    Bytes& i16(quint16 v) {
        data.append(char(v >> 8));
        data.append(char(v & 0xFF));
        return *this;
    }
    Bytes& b(bool v) {
        data.append(v ? '\1' : '\0');
        return *this;
    }
    Bytes& str(const QString& s) {
        if (s.isNull())
            return i32(0xFFFFFFFF);
        i32(quint32(s.size() * 2));
        for (QChar c : s)
            i16(c.unicode());
        return *this;
    }
    Bytes& date(const QDate& d) { return i32(d.isValid() ? quint32(d.toJulianDay()) : 0); }
};

template <typename T>
QByteArray written(const T& value) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << value;
    return data;
}

template <typename T>
T readBack(const QByteArray& data, QDataStream::Status* pStatus = nullptr) {
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_4_6);
    T value;
    in >> value;
    if (pStatus)
        *pStatus = in.status();
    return value;
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private slots:
    void certificateMethodLayout() {
        CertificateMethod method;
        QCOMPARE(method.iLevel, 1);
        method.sMethod = QStringLiteral("УЗ");
        method.dtValidity = QDate(2015, 3, 1);
        method.iLevel = 2;
        const QByteArray expected =
            Bytes().str(QStringLiteral("УЗ")).date(QDate(2015, 3, 1)).i16(2).data;
        QCOMPARE(written(method), expected);
        QCOMPARE(readBack<CertificateMethod>(expected), method);
        // A null date is stored as 0, a null string as the length 0xFFFFFFFF.
        QCOMPARE(written(CertificateMethod()), Bytes().str(QString()).i32(0).i16(1).data);
    }

    void deviceKindByte() {
        Device device;
        QVERIFY(device.bVerification);
        device.sNumber = QStringLiteral("7");
        device.sCertNumber = QStringLiteral("C-1");
        device.dtValidity = QDate(2000, 1, 1);
        QCOMPARE(written(device), Bytes()
                                      .str(QStringLiteral("7"))
                                      .str(QStringLiteral("C-1"))
                                      .date(QDate(2000, 1, 1))
                                      .b(true)
                                      .data);
        device.bVerification = false;
        QCOMPARE(written(device).right(1), QByteArray(1, '\0'));
        QCOMPARE(readBack<Device>(written(device)), device);
    }

    void entriesLayout() {
        SpecialistEntry spec;
        QCOMPARE(spec.iLevel, 1);
        QVERIFY(spec.dtValidity.isNull());
        spec.sName = QStringLiteral("Петров");
        spec.sLicenseNum = QStringLiteral("12");
        spec.sMethod = QStringLiteral("магнитному");
        spec.dtValidity = QDate(2016, 12, 31);
        spec.iLevel = 0;
        spec.sIssuedBy = QStringLiteral("НОАП");
        const QByteArray specBytes = Bytes()
                                         .str(spec.sName)
                                         .str(spec.sLicenseNum)
                                         .str(spec.sMethod)
                                         .date(spec.dtValidity)
                                         .i16(0)
                                         .str(spec.sIssuedBy)
                                         .data;
        QCOMPARE(written(spec), specBytes);
        QCOMPARE(readBack<SpecialistEntry>(specBytes), spec);

        ToolEntry tool;
        QVERIFY(tool.bVerification);
        tool.sToolName = QStringLiteral("УД2-12");
        tool.sNumber = QStringLiteral("101");
        tool.sCertNumber = QStringLiteral("55");
        tool.dtValidity = QDate(2014, 1, 2);
        tool.bVerification = false;
        const QByteArray toolBytes =
            Bytes().str(tool.sToolName).str("101").str("55").date(tool.dtValidity).b(false).data;
        QCOMPARE(written(tool), toolBytes);
        QCOMPARE(readBack<ToolEntry>(toolBytes), tool);
    }

    void recordsFromEntries() {
        SpecialistEntry e;
        e.sName = QStringLiteral("Сидоров");
        e.sLicenseNum = QStringLiteral("9");
        e.sMethod = QStringLiteral("вихретоковому");
        e.dtValidity = QDate(2015, 1, 1);
        e.iLevel = 2;
        e.sIssuedBy = QStringLiteral("ЦС");
        const Specialist s = Specialist::fromEntry(e);
        QCOMPARE(s.sName, e.sName);
        QCOMPARE(s.lstCertificates.size(), 1);
        QCOMPARE(s.lstCertificates[0].sNumber, e.sLicenseNum);
        QCOMPARE(s.lstCertificates[0].sIssuedBy, e.sIssuedBy);
        QCOMPARE(s.lstCertificates[0].lstMethods,
                 QList<CertificateMethod>({{e.sMethod, e.dtValidity, 2}}));

        ToolEntry t;
        t.sToolName = QStringLiteral("Толщиномер");
        t.sCertNumber = QStringLiteral("1");
        QVERIFY(Tool::fromEntry(t).lstDevices.isEmpty()); // no serial number, no device
        t.sNumber = QStringLiteral("42");
        t.bVerification = false;
        const Tool tool = Tool::fromEntry(t);
        QCOMPARE(tool.sName, t.sToolName);
        QCOMPARE(tool.lstDevices, QList<Device>({{"42", "1", QDate(), false}}));
    }

    // A list inside a longer stream, as a protocol document carries it: the
    // data after it stays readable, and a damaged element keeps the elements
    // read whole before it (the container operators of the toolkit would
    // drop them all).
    void listsInsideAStream() {
        QList<Tool> lstTools = {{"A", {{"1", "c", QDate(2013, 5, 5), true}}}, {"B", {}}};
        QByteArray data;
        {
            QDataStream out(&data, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << lstTools << qint32(77);
        }
        QCOMPARE(data.left(4), Bytes().i32(2).data);
        QList<Tool> lstRead = {{"old", {}}};
        qint32 iAfter = 0;
        QDataStream in(data);
        in.setVersion(QDataStream::Qt_4_6);
        in >> lstRead >> iAfter;
        QCOMPARE(lstRead, lstTools);
        QCOMPARE(iAfter, 77);

        // Count 3; the second tool's name has an odd byte length.
        const QByteArray damaged =
            Bytes().i32(3).str("A").i32(0).i32(3).data + QByteArray("xyz") + QByteArray(40, 'q');
        QDataStream::Status eStatus;
        const QList<Tool> lstDamaged = readBack<QList<Tool>>(damaged, &eStatus);
        QCOMPARE(lstDamaged, QList<Tool>({{"A", {}}}));
        QVERIFY(eStatus != QDataStream::Ok);
    }

    // Absurd counts are not trusted: reading goes element by element and
    // ends with the data.
    void absurdCounts() {
        const QByteArray huge = Bytes().i32(0x7FFFFFFF).str("X").i32(0x7FFFFFFF).data;
        QCOMPARE(readBack<QList<Organization>>(huge), QList<Organization>({{"X", {}}}));

        // A string claiming nearly 4 GiB followed by a few bytes.
        const QByteArray longString = Bytes().i32(5).i32(0xFFFFFFF0).str("abc").data;
        QDataStream::Status eStatus;
        QVERIFY(readBack<QList<Device>>(longString, &eStatus).isEmpty());
        QCOMPARE(eStatus, QDataStream::ReadPastEnd);

        // A negative count reads as an empty list.
        QVERIFY(readBack<QList<Specialist>>(Bytes().i32(0xFFFFFFFE).str("Y").data).isEmpty());

        QStringList lst = {"old"};
        QDataStream in(Bytes().i32(1000000).str("a").str("b").data);
        in.setVersion(QDataStream::Qt_4_6);
        readRecordList(in, lst);
        QCOMPARE(lst, QStringList({"a", "b"}));
    }
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
