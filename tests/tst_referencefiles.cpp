// The reference records and files: layouts checked against bytes written out
// by hand and written back byte for byte; damaged, cut, missing and
// unwritable files.
#include "refdata/referencefiles.h"

#include <QTextCodec>
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
    Bytes& date(int y, int m, int d) { return i32(quint32(QDate(y, m, d).toJulianDay())); }
};

QByteArray fileBytes(const QString& sPath) {
    QFile file(sPath);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void putFile(const QString& sPath, const QByteArray& data) {
    QFile file(sPath);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
}

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

// One specialist holding two certificates, the first covering two methods.
QByteArray techniciansBytes() {
    return Bytes()
        .i32(1)
        .str(QStringLiteral("Иванов Иван Иванович"))
        .i32(2)
        .str(QStringLiteral("А-123"))
        .str(QStringLiteral("НОАП"))
        .i32(2)
        .str(QStringLiteral("ультразвуковому")).date(2015, 6, 30).i16(1)
        .str(QStringLiteral("визуальному и измерительному")).date(2000, 1, 1).i16(2)
        .str(QStringLiteral("77"))
        .str(QString(""))
        .i32(1)
        .str(QStringLiteral("радиографическому")).date(2016, 1, 15).i16(0)
        .data;
}

QByteArray firstToolBytes() {
    return Bytes()
        .str(QStringLiteral("УД2-12"))
        .i32(2)
        .str("1021").str(QStringLiteral("п-15")).date(2015, 2, 3).b(true)
        .str("1022").str(QStringLiteral("к-7")).date(2000, 1, 1).b(false)
        .data;
}

QByteArray toolsBytes() {
    return Bytes().i32(2).data + firstToolBytes()
           + Bytes().str(QStringLiteral("Линейка")).i32(0).data;
}

QByteArray organizationsBytes() {
    return Bytes()
        .i32(2)
        .str(QStringLiteral("ООО «Газ»")).i32(2).str(QStringLiteral("договор 5")).str("письмо")
        .str(QStringLiteral("Завод")).i32(0)
        .data;
}

QByteArray optionalBytes() {
    return organizationsBytes()
           + Bytes()
                 .i32(1).str(QStringLiteral("ГОСТ 14782-86"))
                 .i32(2).str(QStringLiteral("годен")).str(QStringLiteral("не годен"))
                 .data;
}

bool readCut(const QTemporaryDir& dir, const QByteArray& data, int iCut, QList<Specialist>& lst) {
    putFile(dir.filePath("technicians.hmdb"), data.left(iCut));
    return CReferenceFiles::loadTechnicians(dir.path(), lst);
}

bool readCut(const QTemporaryDir& dir, const QByteArray& data, int iCut, QList<Tool>& lst) {
    putFile(dir.filePath("tools.hmdb"), data.left(iCut));
    return CReferenceFiles::loadTools(dir.path(), lst);
}

// The records of the lists, in file order.
QStringList flatten(const QList<Specialist>& lst) {
    QStringList lstFlat;
    for (const Specialist& s : lst) {
        lstFlat << "S " + s.sName;
        for (const Certificate& c : s.lstCertificates) {
            lstFlat << "C " + c.sNumber + " " + c.sIssuedBy;
            for (const CertificateMethod& m : c.lstMethods)
                lstFlat << "M " + m.sMethod + m.dtValidity.toString() + QString::number(m.iLevel);
        }
    }
    return lstFlat;
}

QStringList flatten(const QList<Tool>& lst) {
    QStringList lstFlat;
    for (const Tool& t : lst) {
        lstFlat << "T " + t.sName;
        for (const Device& d : t.lstDevices)
            lstFlat << "D " + d.sNumber + d.sCertNumber + d.dtValidity.toString()
                           + QString::number(d.bVerification);
    }
    return lstFlat;
}

} // namespace

class TestReferenceFiles : public QObject {
    Q_OBJECT
private slots:
    // The flat panel entries and the defaults of new records.
    void entriesAndDefaults() {
        SpecialistEntry spec{QStringLiteral("Петров"), "12", QStringLiteral("магнитному"),
                             QDate(2016, 12, 31), 2, QStringLiteral("НОАП")};
        const QByteArray specBytes = Bytes()
                                         .str(QStringLiteral("Петров")).str("12")
                                         .str(QStringLiteral("магнитному")).date(2016, 12, 31)
                                         .i16(2).str(QStringLiteral("НОАП"))
                                         .data;
        QCOMPARE(written(spec), specBytes);
        QCOMPARE(readBack<SpecialistEntry>(specBytes), spec);

        const ToolEntry tool{QStringLiteral("УД2-12"), "101", "55", QDate(2014, 1, 2), false};
        const QByteArray toolBytes =
            Bytes().str(QStringLiteral("УД2-12")).str("101").str("55").date(2014, 1, 2).b(false).data;
        QCOMPARE(written(tool), toolBytes);
        QCOMPARE(readBack<ToolEntry>(toolBytes), tool);

        // New records: level "II", a verification certificate; a null date
        // is stored as 0 and a null string as the length 0xFFFFFFFF.
        QCOMPARE(SpecialistEntry().iLevel, 1);
        QVERIFY(ToolEntry().bVerification);
        QCOMPARE(written(CertificateMethod()), Bytes().str(QString()).i32(0).i16(1).data);
        QCOMPARE(written(Device()), Bytes().str(QString()).str(QString()).i32(0).b(true).data);
    }

    void recordsFromEntries() {
        const SpecialistEntry e{QStringLiteral("Сидоров"), "9", QStringLiteral("вихретоковому"),
                                QDate(2015, 1, 1), 2, QStringLiteral("ЦС")};
        const Specialist expected{e.sName, {{"9", e.sIssuedBy, {{e.sMethod, e.dtValidity, 2}}}}};
        QCOMPARE(Specialist::fromEntry(e), expected);

        ToolEntry t{QStringLiteral("Толщиномер"), QString(), "1", QDate(2015, 1, 1), false};
        QCOMPARE(Tool::fromEntry(t), Tool({t.sToolName, {}})); // no serial number, no device
        t.sNumber = "42";
        QCOMPARE(Tool::fromEntry(t), Tool({t.sToolName, {{"42", "1", t.dtValidity, false}}}));
    }

    // A list inside a longer stream, as a protocol document carries it: the
    // data after it stays readable, and a damaged element keeps the elements
    // read whole before it (the toolkit's container operators would drop
    // them all).
    void listsInsideAStream() {
        const QList<Tool> lstTools = {{"A", {{"1", "c", QDate(2013, 5, 5), true}}}, {"B", {}}};
        QByteArray data = written(lstTools);
        QCOMPARE(data.left(4), Bytes().i32(2).data);
        data += Bytes().i32(77).data;
        QDataStream in(data);
        in.setVersion(QDataStream::Qt_4_6);
        QList<Tool> lstRead = {{"old", {}}};
        qint32 iAfter = 0;
        in >> lstRead >> iAfter;
        QCOMPARE(lstRead, lstTools);
        QCOMPARE(iAfter, 77);

        // Count 3; the second tool's name has an odd byte length.
        const QByteArray damaged = Bytes().i32(3).str("A").i32(0).i32(3).data + "xyz" + QByteArray(40, 'q');
        QDataStream::Status eStatus;
        QCOMPARE(readBack<QList<Tool>>(damaged, &eStatus), QList<Tool>({{"A", {}}}));
        QCOMPARE(eStatus, QDataStream::ReadCorruptData);
    }

    // Counts are not trusted: reading goes element by element and ends with
    // the data.
    void absurdCounts() {
        const QByteArray huge = Bytes().i32(0x7FFFFFFF).str("X").i32(0x7FFFFFFF).data;
        QCOMPARE(readBack<QList<Organization>>(huge), QList<Organization>({{"X", {}}}));
        // A string claiming nearly 4 GiB, followed by a few bytes.
        QDataStream::Status eStatus;
        QVERIFY(readBack<QList<Device>>(Bytes().i32(5).i32(0xFFFFFFF0).str("abc").data, &eStatus)
                    .isEmpty());
        QCOMPARE(eStatus, QDataStream::ReadPastEnd);
        // A negative count reads as an empty list.
        QVERIFY(readBack<QList<Specialist>>(Bytes().i32(0xFFFFFFFE).str("Y").data).isEmpty());
    }

    void techniciansByHand() {
        QTemporaryDir dir, outDir;
        putFile(dir.filePath("technicians.hmdb"), techniciansBytes());
        QList<Specialist> lst = {{"old", {}}};
        QVERIFY(CReferenceFiles::loadTechnicians(dir.path(), lst));

        const QList<Specialist> expected = {
            {QStringLiteral("Иванов Иван Иванович"),
             {{QStringLiteral("А-123"), QStringLiteral("НОАП"),
               {{QStringLiteral("ультразвуковому"), QDate(2015, 6, 30), 1},
                {QStringLiteral("визуальному и измерительному"), QDate(2000, 1, 1), 2}}},
              {"77", "", {{QStringLiteral("радиографическому"), QDate(2016, 1, 15), 0}}}}}};
        QCOMPARE(lst, expected);

        QVERIFY(CReferenceFiles::saveTechnicians(outDir.path(), lst));
        QCOMPARE(fileBytes(outDir.filePath("technicians.hmdb")), techniciansBytes());
    }

    void toolsByHand() {
        QTemporaryDir dir, outDir;
        putFile(dir.filePath("tools.hmdb"), toolsBytes());
        QList<Tool> lst;
        QVERIFY(CReferenceFiles::loadTools(dir.path(), lst));
        const QList<Tool> expected = {
            {QStringLiteral("УД2-12"),
             {{"1021", QStringLiteral("п-15"), QDate(2015, 2, 3), true},
              {"1022", QStringLiteral("к-7"), QDate(2000, 1, 1), false}}},
            {QStringLiteral("Линейка"), {}}};
        QCOMPARE(lst, expected);
        QVERIFY(CReferenceFiles::saveTools(outDir.path(), lst));
        QCOMPARE(fileBytes(outDir.filePath("tools.hmdb")), toolsBytes());
    }

    void optionalByHand() {
        QTemporaryDir dir, outDir;
        putFile(dir.filePath("optional.hmdb"), optionalBytes());
        QList<Organization> lstOrgs;
        QStringList lstStandards, lstAssessments;
        QVERIFY(CReferenceFiles::loadOptional(dir.path(), lstOrgs, lstStandards, lstAssessments));
        QCOMPARE(lstOrgs, QList<Organization>(
                              {{QStringLiteral("ООО «Газ»"), {QStringLiteral("договор 5"), "письмо"}},
                               {QStringLiteral("Завод"), {}}}));
        QCOMPARE(lstStandards, QStringList({QStringLiteral("ГОСТ 14782-86")}));
        QCOMPARE(lstAssessments, QStringList({QStringLiteral("годен"), QStringLiteral("не годен")}));
        QVERIFY(CReferenceFiles::saveOptional(outDir.path(), lstOrgs, lstStandards, lstAssessments));
        QCOMPARE(fileBytes(outDir.filePath("optional.hmdb")), optionalBytes());

        // A file that ends right after the organisations: empty choice lists.
        putFile(dir.filePath("optional.hmdb"), organizationsBytes());
        QVERIFY(CReferenceFiles::loadOptional(dir.path(), lstOrgs, lstStandards, lstAssessments));
        QCOMPARE(lstOrgs.size(), 2);
        QVERIFY(lstStandards.isEmpty());
        QVERIFY(lstAssessments.isEmpty());
    }

    // Every cut of a file reads without harm, as the records before the cut:
    // a record cut inside one of its fields is left out, the lists cut between
    // two records keep the records before. Flattened to their records in
    // file order, the lists read are a growing prefix of the whole file's.
    void truncatedFiles() {
        QTemporaryDir dir;
        const QByteArray tech = techniciansBytes();
        QList<Specialist> lstFull;
        QVERIFY(readCut(dir, tech, tech.size(), lstFull));
        QStringList lstLast;
        for (int iCut = 0; iCut <= tech.size(); ++iCut) {
            QList<Specialist> lst = {{"old", {}}};
            QVERIFY(readCut(dir, tech, iCut, lst));
            const QStringList lstFlat = flatten(lst);
            QCOMPARE(flatten(lstFull).mid(0, lstFlat.size()), lstFlat);
            QVERIFY(lstFlat.size() >= lstLast.size());
            lstLast = lstFlat;
        }
        // Cut right before the second certificate: the first one, whole.
        QList<Specialist> lst;
        QVERIFY(readCut(dir, tech, tech.indexOf(Bytes().str("77").data), lst));
        QCOMPARE(lst.size(), 1);
        QCOMPARE(lst[0].lstCertificates.size(), 1);
        QCOMPARE(lst[0].lstCertificates[0].lstMethods.size(), 2);
        // Cut inside the name: nothing.
        QVERIFY(readCut(dir, tech, 10, lst));
        QVERIFY(lst.isEmpty());

        const QByteArray tools = toolsBytes();
        QList<Tool> lstFullTools, lstTools;
        QVERIFY(readCut(dir, tools, tools.size(), lstFullTools));
        lstLast.clear();
        for (int iCut = 0; iCut <= tools.size(); ++iCut) {
            QVERIFY(readCut(dir, tools, iCut, lstTools));
            const QStringList lstFlat = flatten(lstTools);
            QCOMPARE(flatten(lstFullTools).mid(0, lstFlat.size()), lstFlat);
            QVERIFY(lstFlat.size() >= lstLast.size());
            lstLast = lstFlat;
        }
        // Cut inside the second device: the first device only.
        QVERIFY(readCut(dir, tools, tools.indexOf(Bytes().str("1022").data) + 20, lstTools));
        QCOMPARE(lstTools.size(), 1);
        QCOMPARE(lstTools[0].lstDevices.size(), 1);

        const QByteArray optional = optionalBytes();
        for (int iCut = 0; iCut <= optional.size(); ++iCut) {
            putFile(dir.filePath("optional.hmdb"), optional.left(iCut));
            QList<Organization> lstOrgs;
            QStringList lstStandards = {"s"}, lstAssessments = {"a"};
            QVERIFY(CReferenceFiles::loadOptional(dir.path(), lstOrgs, lstStandards,
                                                  lstAssessments));
            QVERIFY(lstOrgs.size() <= 2);
            QVERIFY(lstStandards.size() <= 1);
            QVERIFY(lstAssessments.size() <= 2);
            QVERIFY(!lstStandards.contains("s") && !lstAssessments.contains("a"));
            if (lstOrgs.size() < 2 || lstOrgs[1].sName != QStringLiteral("Завод"))
                QVERIFY(lstStandards.isEmpty());
            if (iCut == optional.size())
                QCOMPARE(lstAssessments.size(), 2);
        }
    }

    // Nothing present: the lists stay as they are and the working directory
    // is the program's; saving then creates all four files.
    void missingFilesThenSave() {
        QTemporaryDir dir;
        QList<Specialist> lstTech = {{"keep", {}}};
        QList<Tool> lstTools;
        QList<Organization> lstOrgs;
        QStringList lstStandards = {"keep"}, lstAssessments;
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());
        QVERIFY(!CReferenceFiles::loadTechnicians(dir.path(), lstTech));
        QVERIFY(!CReferenceFiles::loadTools(dir.path(), lstTools));
        QVERIFY(!CReferenceFiles::loadOptional(dir.path(), lstOrgs, lstStandards, lstAssessments));
        QCOMPARE(lstTech.size(), 1);
        QCOMPARE(lstStandards, QStringList({"keep"}));

        QStringList lstFailed;
        QVERIFY(CReferenceFiles::saveReferenceFiles(dir.path(), dir.path(), {}, {}, {}, {}, {},
                                                    &lstFailed));
        QVERIFY(lstFailed.isEmpty());
        QCOMPARE(fileBytes(dir.filePath("technicians.hmdb")), Bytes().i32(0).data);
        QCOMPARE(fileBytes(dir.filePath("tools.hmdb")), Bytes().i32(0).data);
        QCOMPARE(fileBytes(dir.filePath("optional.hmdb")), Bytes().i32(0).i32(0).i32(0).data);
        QCOMPARE(fileBytes(dir.filePath("program_wd")), dir.path().toLocal8Bit() + "\n");
    }

    void unwritableDirectory() {
        QTemporaryDir dir;
        const QString sGone = dir.filePath("gone");
        QVERIFY(!CReferenceFiles::saveTechnicians(sGone, {}));
        QVERIFY(!CReferenceFiles::saveWorkDir(sGone, dir.path()));
        QStringList lstFailed;
        QVERIFY(!CReferenceFiles::saveReferenceFiles(sGone, dir.path(), {}, {}, {}, {}, {},
                                                     &lstFailed));
        QCOMPARE(lstFailed, QStringList({sGone + "/program_wd", sGone + "/technicians.hmdb",
                                         sGone + "/tools.hmdb", sGone + "/optional.hmdb"}));
    }

    void workDirFile() {
        QVERIFY(QTextCodec::codecForName("Windows-1251"));
        QTemporaryDir dir;
        const QString sWd = dir.filePath("program_wd");
        // "Протоколы" in Windows-1251.
        const QByteArray cp1251Name("\xCF\xF0\xEE\xF2\xEE\xEA\xEE\xEB\xFB");
        const QString sProtocols = dir.filePath(QStringLiteral("Протоколы"));
        QVERIFY(QDir().mkpath(sProtocols));

        putFile(sWd, dir.path().toUtf8() + "/" + cp1251Name + "\r\nsecond line\n");
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), sProtocols);

        putFile(sWd, "\n" + sProtocols.toUtf8() + "\n");
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());

        putFile(sWd, dir.path().toUtf8() + "/removed\n");
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());

        putFile(sWd, dir.path().toUtf8() + "/" + QByteArray(40000, 'a'));
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());

        // No line end after the path: still the path.
        putFile(sWd, dir.path().toUtf8() + "/" + cp1251Name);
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), sProtocols);

        QVERIFY(CReferenceFiles::saveWorkDir(dir.path(), sProtocols));
        QCOMPARE(fileBytes(sWd), dir.path().toUtf8() + "/" + cp1251Name + "\n");
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path() + "/"), sProtocols);
    }
};

QTEST_MAIN(TestReferenceFiles)
#include "tst_referencefiles.moc"
