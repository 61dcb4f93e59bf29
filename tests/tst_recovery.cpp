// Crash recovery: the unsaved protocol copied every two minutes, offered at
// the next start when its instance is gone, removed after a save or a clean end.
#include "composer/fusionwidget.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
QStringList recoveryFiles(const QString& sDir) {
    return QDir(sDir).entryList({"recovery-*.rpt"}, QDir::Files);
}
// A process number that no running process has: one that has just ended.
qint64 deadProcessId() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForFinished();
    return process.processId() > 0 ? process.processId() : 999999;
}
// Leaves in sDir what a crashed instance leaves: its copy and its lock.
void leaveCrashedCopy(const QString& sDir, const QByteArray& document) {
    const QString sPath = QDir(sDir).filePath("recovery-4242-deadbeef.rpt");
    QFile copy(sPath);
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(document);
    copy.close();
    QFile lock(sPath + ".lock");
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(deadProcessId()) + "\nndt-protocol\n\n");
}
QByteArray protocolWithStage(const QString& sDir, const QString& sStage) {
    CFusionWidget form(sDir);
    enterValue(form.sections()[eStage], sStage);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    form.writeDocument(out);
    return bytes;
}
} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    void copiedWhileUnsavedRemovedAfterASave() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        form.startRecovery(dir.filePath("data"));
        QCOMPARE(form.findChild<QTimer*>()->interval(), 2 * 60 * 1000);
        QVERIFY(form.findChild<QTimer*>()->isActive());
        // nothing unsaved: no copy
        form.slot_recoveryTimeout();
        QVERIFY(!QFile::exists(form.recoveryPath()));
        enterValue(form.sections()[eStage], QStringLiteral("монтаж"));
        form.slot_recoveryTimeout();
        QFile copy(form.recoveryPath());
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QByteArray expected;
        QDataStream out(&expected, QIODevice::WriteOnly);
        form.writeDocument(out);
        QCOMPARE(copy.readAll(), expected);
        copy.close();
        // a save removes it; a clean end removes what is left
        dialogs.lstFileNames << dir.filePath("p.rpt");
        QVERIFY(form.saveReport());
        QVERIFY(!QFile::exists(form.recoveryPath()));
        enterValue(form.sections()[eStage], QStringLiteral("ремонт"));
        form.slot_recoveryTimeout();
        QVERIFY(QFile::exists(form.recoveryPath()));
    }

    void offeredAfterACrash() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        const QString sData = dir.filePath("data");
        QDir().mkpath(sData);
        leaveCrashedCopy(sData, protocolWithStage(dir.path(), QStringLiteral("после сбоя")));
        // an instance still running keeps its copy to itself
        CFusionWidget running(dir.path());
        running.startRecovery(sData);
        enterValue(running.sections()[eStage], QStringLiteral("идёт работа"));
        running.slot_recoveryTimeout();

        CFusionWidget form(dir.path());
        dialogs.lstAnswers << QMessageBox::Yes;
        form.offerRecovery(sData);
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QVERIFY(dialogs.texts()[0].startsWith(QStringLiteral("Найден несохраненный протокол от ")));
        QVERIFY(dialogs.texts()[0].endsWith(QStringLiteral(". Восстановить его?")));
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("после сбоя"));
        // unsaved: closing asks to save
        QVERIFY(form.isChanged());
        dialogs.lstAnswers << QMessageBox::No;
        QVERIFY(form.askSaveOnClose());
        QCOMPARE(dialogs.lstMessages.size(), 2);
        // the crashed copy is gone; the running instance's stays and is not offered
        QCOMPARE(recoveryFiles(sData), QStringList({QFileInfo(running.recoveryPath()).fileName()}));
        CFusionWidget third(dir.path());
        third.offerRecovery(sData);
        QCOMPARE(dialogs.lstMessages.size(), 2);
    }

    void refusedCopiesAreRemoved() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        leaveCrashedCopy(dir.path(), protocolWithStage(dir.path(), QStringLiteral("x")));
        CFusionWidget form(dir.path());
        dialogs.lstAnswers << QMessageBox::No;
        form.offerRecovery(dir.path());
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QVERIFY(recoveryFiles(dir.path()).isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("recovery-4242-deadbeef.rpt.lock")));
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QString());
        QVERIFY(!form.isChanged());
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
