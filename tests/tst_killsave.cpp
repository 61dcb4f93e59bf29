// A save killed at any moment leaves the whole old or the whole new
// document, and every reference file whole. The test runs itself as a child
// that saves a large protocol again and again, and kills it at random. A
// program killed while the user types gives back at the next start what was
// typed up to a few seconds before, its recovery copy following by itself.
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "document/records.h"
#include "results/conclusion.h"
#include "storage/referencefiles.h"
#include "storage/referencestore.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
const char* const g_pChildFlag = "--save-loop";
const char* const g_pTypeFlag = "--type";
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

// The child: types into the object field, a letter every 50 ms, telling
// how many it typed, until it is killed.
int typeLoop(const QString& sDir) {
    CScriptedDialogs dialogs;
    CFusionWidget form(sDir);
    form.controller().startRecovery(sDir);
    form.show();
    QLineEdit* pObject = valueEdit(form.sections()[eObject]);
    for (int i = 1;; ++i) {
        QTest::keyClick(pObject, Qt::Key_A);
        std::printf("%d\n", i);
        std::fflush(stdout);
        QTest::qWait(50);
    }
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
    for (EListFile eFile : g_aListFiles) {
        const QString sPath = QDir(sDir).filePath(CReferenceStore::fileName(eFile));
        SReferenceLists lists;
        if (QFileInfo::exists(sPath) && (!readListFile(eFile, fileBytes(sPath), lists) ||
                                         listFileBytes(eFile, lists) != fileBytes(sPath)))
            return false;
    }
    const QString sWorkDir = CReferenceFiles::filePath(sDir, CReferenceFiles::sWorkDirFile);
    return !QFileInfo::exists(sWorkDir) || !CReferenceFiles::readWorkDir(sDir).isEmpty();
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

    // Killed 10 s after the typing began, with the copy's own timers: the
    // next start gives back what was typed until about 5 s before, or later.
    void killedWhileTypingGivesTheTextBack() {
        QTemporaryDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(g_pTypeFlag), dir.path()});
        QVERIFY(child.waitForReadyRead(30000));
        QElapsedTimer typing;
        typing.start();
        QMap<qint64, int> mapTyped; // letters typed by when
        while (typing.elapsed() < 10000) {
            child.waitForReadyRead(100);
            while (child.canReadLine())
                mapTyped.insert(typing.elapsed(), child.readLine().trimmed().toInt());
        }
        child.kill();
        QVERIFY(child.waitForFinished());
        int iTypedBy5s = 0; // by 4.5 s: the copy follows within 5 s, give or take a turn
        for (auto it = mapTyped.cbegin(); it != mapTyped.cend() && it.key() <= 4500; ++it)
            iTypedBy5s = it.value();
        CScriptedDialogs dialogs;
        dialogs.lstAnswers << CUserDialogs::Yes;
        CFusionWidget form(dir.path());
        form.controller().offerRecovery(dir.path());
        const QString sBack = valueEdit(form.sections()[eObject])->text();
        QVERIFY2(sBack.size() >= iTypedBy5s && sBack == QString(sBack.size(), QLatin1Char('a')),
                 qPrintable(QStringLiteral("%1 of %2").arg(sBack.size()).arg(iTypedBy5s)));
        QVERIFY(iTypedBy5s > 20);
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], g_pChildFlag) == 0)
        return saveLoop(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], g_pTypeFlag) == 0)
        return typeLoop(QString::fromLocal8Bit(argv[2]));
    TestKillSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_killsave.moc"
