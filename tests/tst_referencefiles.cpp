#include "refdata/referencefiles.h"
#include "support/bytes.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {
const QDate g_dtUnset(2000, 1, 1);

QByteArray fileBytes(const QString& sPath) {
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void putFile(const QString& sPath, const QByteArray& data) {
    QFile file(sPath);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
}

// One specialist holding two certificates, the first covering two methods.
QList<Specialist> technicians() {
    return {{QStringLiteral("Иванов Иван Иванович"),
             {{QStringLiteral("А-123"), QStringLiteral("НОАП"),
               {{QStringLiteral("ультразвуковому"), QDate(2015, 6, 30), 1},
                {QStringLiteral("визуальному и измерительному"), g_dtUnset, 2}}},
              {"77", "", {{QStringLiteral("радиографическому"), QDate(2016, 1, 15), 0}}}}}};
}

QByteArray techniciansBytes() {
    return CBytes().i32(1).str(QStringLiteral("Иванов Иван Иванович"))
        .i32(2).str(QStringLiteral("А-123")).str(QStringLiteral("НОАП"))
        .i32(2).str(QStringLiteral("ультразвуковому")).date(QDate(2015, 6, 30)).i16(1)
        .str(QStringLiteral("визуальному и измерительному")).date(g_dtUnset).i16(2)
        .str("77").str("")
        .i32(1).str(QStringLiteral("радиографическому")).date(QDate(2016, 1, 15)).i16(0).data;
}
} // namespace

class TestReferenceFiles : public QObject {
    Q_OBJECT
private slots:
    // The lists read from hand-written bytes and written back byte for byte. A damaged
    // element ends a list, keeping those before it; counts are not trusted.
    void referenceLists() {
        QTemporaryDir dir, outDir;
        putFile(dir.filePath("technicians.hmdb"), techniciansBytes());
        QList<Specialist> lstTech = {{"old", {}}}, lstExpected = ::technicians();
        QVERIFY(CReferenceFiles::loadTechnicians(dir.path(), lstTech));
        QCOMPARE(lstTech, lstExpected);
        QVERIFY(CReferenceFiles::saveTechnicians(outDir.path(), lstTech));
        QCOMPARE(fileBytes(outDir.filePath("technicians.hmdb")), techniciansBytes());
        putFile(dir.filePath("technicians.hmdb"),
                techniciansBytes().left(techniciansBytes().indexOf(CBytes().str("77").data) + 6));
        QVERIFY(CReferenceFiles::loadTechnicians(dir.path(), lstTech));
        lstExpected[0].lstCertificates.removeLast(); // cut inside the second certificate
        QCOMPARE(lstTech, lstExpected);

        // A calibration device is stored with the bool byte 0, verification with 1.
        const QByteArray tools =
            CBytes().i32(2).str(QStringLiteral("УД2-12"))
                .i32(2).str("1021").str(QStringLiteral("п-15")).date(QDate(2015, 2, 3)).u8(1)
                .str("1022").str(QStringLiteral("к-7")).date(g_dtUnset).u8(0)
                .str(QStringLiteral("Линейка")).i32(0).data;
        putFile(dir.filePath("tools.hmdb"), tools);
        QList<Tool> lstTools;
        QVERIFY(CReferenceFiles::loadTools(dir.path(), lstTools));
        QCOMPARE(lstTools[0].lstDevices.value(1), Device({"1022", QStringLiteral("к-7"), g_dtUnset, false}));
        QVERIFY(CReferenceFiles::saveTools(outDir.path(), lstTools));
        QCOMPARE(fileBytes(outDir.filePath("tools.hmdb")), tools);
        // Count 3 with the second name claiming an odd byte length; absurd counts.
        putFile(dir.filePath("tools.hmdb"), CBytes().i32(3).str("A").i32(0).u32(3).data + QByteArray(40, 'q'));
        QVERIFY(CReferenceFiles::loadTools(dir.path(), lstTools));
        QCOMPARE(lstTools, QList<Tool>({{"A", {}}}));
        putFile(dir.filePath("tools.hmdb"), CBytes().i32(0x7FFFFFFF).str("X").i32(0x7FFFFFFF).data);
        QVERIFY(CReferenceFiles::loadTools(dir.path(), lstTools));
        QCOMPARE(lstTools, QList<Tool>({{"X", {}}}));

        const QByteArray orgs = CBytes().i32(2).str(QStringLiteral("ООО «Газ»"))
                                    .strList({QStringLiteral("договор 5"), "письмо"})
                                    .str(QStringLiteral("Завод")).i32(0).data;
        const QByteArray optional = orgs + CBytes().strList({"ГОСТ"}).strList({"да", "нет"}).data;
        putFile(dir.filePath("optional.hmdb"), optional);
        QList<Organization> lstOrgs;
        QStringList lstStandards, lstAssessments;
        QVERIFY(CReferenceFiles::loadOptional(dir.path(), lstOrgs, lstStandards, lstAssessments));
        QCOMPARE(lstOrgs.value(0).lstGrounds + lstStandards + lstAssessments,
                 QStringList({QStringLiteral("договор 5"), "письмо", "ГОСТ", "да", "нет"}));
        QVERIFY(CReferenceFiles::saveOptional(outDir.path(), lstOrgs, lstStandards, lstAssessments));
        QCOMPARE(fileBytes(outDir.filePath("optional.hmdb")), optional);
        putFile(dir.filePath("optional.hmdb"), orgs); // ends after the customers: no choices
        QVERIFY(CReferenceFiles::loadOptional(dir.path(), lstOrgs, lstStandards, lstAssessments));
        QVERIFY(lstOrgs.size() == 2 && lstStandards.isEmpty() && lstAssessments.isEmpty());
    }

    // The flat panel entries a protocol document carries, the tool made from one, a new device.
    void entries() {
        const SpecialistEntry entry{QStringLiteral("Петров"), "12", QStringLiteral("магнитному"),
                                    QDate(2016, 12, 31), 2, QStringLiteral("НОАП")};
        ToolEntry tool{QStringLiteral("УД2-12"), QString(), "55", QDate(2014, 1, 2), false};
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        out << entry << tool << Device();
        QCOMPARE(data, CBytes().str(entry.sName).str("12").str(entry.sMethod).date(entry.dtValidity)
                           .i16(2).str(entry.sIssuedBy)
                           .str(tool.sToolName).nullStr().str("55").date(tool.dtValidity).u8(0)
                           .nullStr().nullStr().u32(0).u8(1).data);
        QCOMPARE(Tool::fromEntry(tool), Tool({tool.sToolName, {}})); // no serial number, no device
        tool.sNumber = "42";
        QCOMPARE(Tool::fromEntry(tool).lstDevices, QList<Device>({{"42", "55", tool.dtValidity, false}}));
    }

    // With nothing present the lists stay and the working directory is the program's;
    // saving creates all four files, "program_wd" in Windows-1251. A write failing on the
    // size limit, while writing or on the final flush, leaves the old file and no other.
    void missingFilesWorkDirAndFailedSave() {
        QTemporaryDir dir;
        QList<Specialist> lstTech = {{"keep", {}}};
        QVERIFY(!CReferenceFiles::loadTechnicians(dir.path(), lstTech) && lstTech.size() == 1);
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());
        const QByteArray cp1251Name("\xCF\xF0\xEE\xF2\xEE\xEA\xEE\xEB\xFB"); // "Протоколы"
        const QString sProtocols = dir.filePath(QStringLiteral("Протоколы"));
        QVERIFY(QDir().mkpath(sProtocols));
        QVERIFY(CReferenceFiles::saveReferenceFiles(dir.path(), sProtocols, {}, {}, {}, {}, {}));
        QCOMPARE(fileBytes(dir.filePath("technicians.hmdb")) + fileBytes(dir.filePath("tools.hmdb"))
                     + fileBytes(dir.filePath("optional.hmdb")), QByteArray(20, '\0'));
        const QByteArray baDir = dir.path().toUtf8();
        QCOMPARE(fileBytes(dir.filePath("program_wd")), baDir + "/" + cp1251Name + "\n");
        // A CRLF line is read; a removed directory or an empty first line is not taken.
        for (const QByteArray& wd : {baDir + "/" + cp1251Name + "\r\nsecond line\n",
                                     baDir + "/removed\n", "\n" + sProtocols.toUtf8()}) {
            putFile(dir.filePath("program_wd"), wd);
            QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()),
                     wd.contains('\r') ? sProtocols : dir.path());
        }

        std::signal(SIGXFSZ, SIG_IGN); // a write over the limit fails instead
        rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small = {16, limit.rlim_max};
        for (const auto& lst : {QList<Specialist>(2000, ::technicians()[0]), ::technicians()}) {
            setrlimit(RLIMIT_FSIZE, &small);
            const bool bSaved = CReferenceFiles::saveTechnicians(dir.path(), lst);
            setrlimit(RLIMIT_FSIZE, &limit);
            QVERIFY(!bSaved && fileBytes(dir.filePath("technicians.hmdb")) == QByteArray(4, '\0')
                    && QDir(dir.path()).entryList(QDir::Files).size() == 4);
        }
    }
};

QTEST_MAIN(TestReferenceFiles)
#include "tst_referencefiles.moc"
