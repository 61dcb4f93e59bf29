// The reference records and files against bytes written out by hand, and bad files.
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
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
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
        .i32(1).str(QStringLiteral("радиографическому")).date(QDate(2016, 1, 15)).i16(0)
        .data;
}

} // namespace

class TestReferenceFiles : public QObject {
    Q_OBJECT
private slots:
    void technicians() {
        QTemporaryDir dir, outDir;
        putFile(dir.filePath("technicians.hmdb"), techniciansBytes());
        QList<Specialist> lst = {{"old", {}}};
        QVERIFY(CReferenceFiles::loadTechnicians(dir.path(), lst));
        QCOMPARE(lst, ::technicians());
        QVERIFY(CReferenceFiles::saveTechnicians(outDir.path(), lst));
        QCOMPARE(fileBytes(outDir.filePath("technicians.hmdb")), techniciansBytes());

        // Cut inside the second certificate's number: everything before it.
        const QByteArray cut = techniciansBytes();
        putFile(dir.filePath("technicians.hmdb"), cut.left(cut.indexOf(CBytes().str("77").data) + 6));
        QVERIFY(CReferenceFiles::loadTechnicians(dir.path(), lst));
        const Specialist whole = ::technicians()[0];
        QCOMPARE(lst, QList<Specialist>({{whole.sName, whole.lstCertificates.mid(0, 1)}}));
    }

    // Read from hand-written bytes and written back byte for byte. A
    // calibration device is stored with the bool byte 0, verification with 1.
    // A damaged element ends a list, keeping those before it; counts are not trusted.
    void toolsAndOptional() {
        QTemporaryDir dir, outDir;
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
        // Count 3; the second name claims an odd byte length.
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
        QCOMPARE(lstOrgs.value(0).lstGrounds, QStringList({QStringLiteral("договор 5"), "письмо"}));
        QCOMPARE(lstStandards + lstAssessments, QStringList({"ГОСТ", "да", "нет"}));
        QVERIFY(CReferenceFiles::saveOptional(outDir.path(), lstOrgs, lstStandards, lstAssessments));
        QCOMPARE(fileBytes(outDir.filePath("optional.hmdb")), optional);

        // A file that ends right after the organisations: empty choice lists.
        putFile(dir.filePath("optional.hmdb"), orgs);
        QVERIFY(CReferenceFiles::loadOptional(dir.path(), lstOrgs, lstStandards, lstAssessments));
        QVERIFY(lstOrgs.size() == 2 && lstStandards.isEmpty() && lstAssessments.isEmpty());
    }

    // The flat panel entries (a protocol document carries them), the tool
    // made from an entry, and a new device.
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

    // Nothing present: the lists stay as they are, the working directory is
    // the program's; saving then creates all four files. "program_wd" is
    // Windows-1251; a removed directory or an empty line is not taken.
    void missingFilesAndWorkDir() {
        QTemporaryDir dir;
        QList<Specialist> lstTech = {{"keep", {}}};
        QVERIFY(!CReferenceFiles::loadTechnicians(dir.path(), lstTech));
        QCOMPARE(lstTech.size(), 1);
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());

        QVERIFY(CReferenceFiles::saveReferenceFiles(dir.path(), dir.path(), {}, {}, {}, {}, {}));
        QCOMPARE(fileBytes(dir.filePath("technicians.hmdb")) + fileBytes(dir.filePath("tools.hmdb"))
                     + fileBytes(dir.filePath("optional.hmdb")),
                 QByteArray(20, '\0'));
        const QString sWd = dir.filePath("program_wd");
        QCOMPARE(fileBytes(sWd), dir.path().toUtf8() + "\n");

        const QByteArray cp1251Name("\xCF\xF0\xEE\xF2\xEE\xEA\xEE\xEB\xFB"); // "Протоколы"
        const QString sProtocols = dir.filePath(QStringLiteral("Протоколы"));
        QVERIFY(QDir().mkpath(sProtocols));
        putFile(sWd, dir.path().toUtf8() + "/" + cp1251Name + "\r\nsecond line\n");
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), sProtocols);
        putFile(sWd, dir.path().toUtf8() + "/removed\n");
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());
        putFile(sWd, "\n" + sProtocols.toUtf8() + "\n");
        QCOMPARE(CReferenceFiles::loadWorkDir(dir.path()), dir.path());
        QVERIFY(CReferenceFiles::saveWorkDir(dir.path(), sProtocols));
        QCOMPARE(fileBytes(sWd), dir.path().toUtf8() + "/" + cp1251Name + "\n");
    }

    // A write that fails (here: on the file size limit) leaves the old file
    // as it was and no temporary file behind.
    void failedSaveKeepsOldFile() {
        QTemporaryDir dir;
        QVERIFY(CReferenceFiles::saveTechnicians(dir.path(), {}));
        const auto failsCleanly = [&](const QList<Specialist>& lst) {
            rlimit limit;
            getrlimit(RLIMIT_FSIZE, &limit);
            const rlimit small = {16, limit.rlim_max};
            std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
            setrlimit(RLIMIT_FSIZE, &small);
            const bool bSaved = CReferenceFiles::saveTechnicians(dir.path(), lst);
            setrlimit(RLIMIT_FSIZE, &limit);
            return !bSaved && fileBytes(dir.filePath("technicians.hmdb")) == QByteArray(4, '\0')
                   && QDir(dir.path()).entryList(QDir::Files).size() == 1;
        };
        QVERIFY(failsCleanly(QList<Specialist>(2000, ::technicians().first()))); // while writing
        QVERIFY(failsCleanly(::technicians())); // on the final flush
    }
};

QTEST_MAIN(TestReferenceFiles)
#include "tst_referencefiles.moc"
