// A save killed at any moment leaves the whole old or the whole new
// document, and every reference file whole. The test runs itself as a child
// that saves a large protocol again and again, and kills it at random.
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "document/records.h"
#include "results/conclusion.h"
#include "storage/referencefiles.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
const char* const g_pChildFlag = "--save-loop";
const QString g_sDocument = QStringLiteral("protocol.rpt");

// A large protocol: two methods with 200-row tables and some items of its own.
void fillLarge(CFusionWidget& form) {
    addMethodRow(form);
    QStringList lstCells;
    for (int i = 0; i < 200 * 5; ++i)
        lstCells << QStringLiteral("ячейка %1").arg(i);
    for (CConclusion* pConclusion : form.conclusions())
        pConclusion->setData(200, 5, {"1", "2", "3", "4", "5"}, lstCells);
    for (int i = 0; i < 10; ++i)
        form.slot_addNewStdItem(form.lastNumber() + 1, QStringLiteral("Пункт %1:").arg(i),
                                QStringLiteral("значение"));
}

// The two protocols saved in turn; they differ in length too.
void setVariant(CFusionWidget& form, int iVariant) {
    valueEdit(form.sections()[eStage])
        ->setText(iVariant == 0 ? QStringLiteral("вариант А")
                                : QStringLiteral("вариант Б ") + QString(500, QChar(0x0416)));
}

// The child: saves the two protocols in turn until it is killed.
int saveLoop(const QString& sDir) {
    CScriptedDialogs dialogs;
    CFusionWidget form(sDir);
    fillLarge(form);
    for (int i = 0;; ++i) {
        setVariant(form, i % 2);
        form.controller().writeProtocol(QDir(sDir).filePath(g_sDocument));
    }
}

// Whether every reference file in sDir is whole: what the program reads from
// it, written again, gives the same bytes (a cut file reads as less).
bool referenceFilesWhole(const QString& sDir) {
    QTemporaryDir again;
    QList<Specialist> lstSpecialists;
    QList<Tool> lstTools;
    QList<Organization> lstOrganizations;
    QStringList lstStandards, lstAssessments;
    CReferenceFiles::loadTechnicians(sDir, lstSpecialists);
    CReferenceFiles::loadTools(sDir, lstTools);
    CReferenceFiles::loadOptional(sDir, lstOrganizations, lstStandards, lstAssessments);
    CReferenceFiles::saveReferenceFiles(again.path(), sDir, lstSpecialists, lstTools,
                                        lstOrganizations, lstStandards, lstAssessments);
    for (const QString& sFile : {CReferenceFiles::sWorkDirFile, CReferenceFiles::sTechniciansFile,
                                 CReferenceFiles::sToolsFile, CReferenceFiles::sOptionalFile}) {
        const QString sPath = CReferenceFiles::filePath(sDir, sFile);
        if (QFileInfo::exists(sPath) &&
            fileBytes(sPath) != fileBytes(CReferenceFiles::filePath(again.path(), sFile)))
            return false;
    }
    return true;
}
} // namespace

class TestKillSave : public QObject {
    Q_OBJECT
private slots:
    void killedSavesLeaveWholeFiles() {
        // the two documents, as the save path writes them
        QTemporaryDir scratch;
        QByteArray lstExpected[2];
        {
            CScriptedDialogs dialogs; // saved without a number
            CFusionWidget form(scratch.path());
            fillLarge(form);
            for (int i = 0; i < 4; ++i) {
                setVariant(form, i % 2);
                QVERIFY(form.controller().writeProtocol(scratch.filePath(g_sDocument)));
                lstExpected[i % 2] = fileBytes(scratch.filePath(g_sDocument));
            }
        }
        QVERIFY(lstExpected[0].size() > 40000 && lstExpected[0] != lstExpected[1]);

        QTemporaryDir dir;
        const QString sDocument = dir.filePath(g_sDocument);
        int iKills = 0;
        int iWithDocument = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        while (iKills < 60 && elapsed.elapsed() < 100000) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QString::fromLatin1(g_pChildFlag), dir.path()});
            QVERIFY(child.waitForStarted());
            QTest::qWait(QRandomGenerator::global()->bounded(150, 750));
            child.kill(); // SIGKILL: no handler, no cleanup
            QVERIFY(child.waitForFinished());
            ++iKills;
            const QByteArray document = fileBytes(sDocument);
            if (QFileInfo::exists(sDocument)) {
                ++iWithDocument;
                QVERIFY2(document == lstExpected[0] || document == lstExpected[1],
                         qPrintable(
                             QStringLiteral("kill %1: %2 bytes").arg(iKills).arg(document.size())));
            }
            QVERIFY2(referenceFilesWhole(dir.path()), qPrintable(QString::number(iKills)));
        }
        QVERIFY2(iKills >= 50, qPrintable(QString::number(iKills)));
        QVERIFY2(iWithDocument >= iKills / 2, qPrintable(QString::number(iWithDocument)));
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], g_pChildFlag) == 0)
        return saveLoop(QString::fromLocal8Bit(argv[2]));
    TestKillSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_killsave.moc"
