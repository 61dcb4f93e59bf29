// Replays every committed fuzz input (seeds, and every crash or slow input
// ever found) through the same entry points the fuzzers use, and checks that
// the form is still usable: a sound document read after each damaged one
// prints exactly as it did.
#include "composer/fusionwidget.h"
#include "document/protocoldocument.h"
#include "fuzz/fuzztargets.h"
#include "support/bytes.h"
#include "support/scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList corpus(fuzz::ETarget eTarget) {
    const QDir dir(QStringLiteral(NDT_FUZZ_CORPUS "/") + fuzz::targetName(eTarget));
    QStringList lst;
    for (const QString& sName : dir.entryList(QDir::Files, QDir::Name))
        lst.append(dir.filePath(sName));
    return lst;
}
} // namespace

class TestFuzzCorpus : public QObject {
    Q_OBJECT
private slots:
    void referenceFiles() {
        for (const auto eTarget : {fuzz::ETarget::Technicians, fuzz::ETarget::Tools,
                                   fuzz::ETarget::Optional, fuzz::ETarget::WorkDir}) {
            const QStringList lst = corpus(eTarget);
            QVERIFY2(!lst.isEmpty(), qPrintable(fuzz::targetName(eTarget)));
            for (const QString& sPath : lst)
                QCOMPARE(fuzz::run(eTarget, fileBytes(sPath)), 0);
        }
    }

    // Every document reads as far as it is sound, writes back what was read
    // (the entry point checks it), and leaves a form that shows it usable:
    // a sound document shown after each damaged one prints as it did.
    void documentsLeaveTheFormUsable() {
        const QByteArray sound =
            fileBytes(QStringLiteral(NDT_FUZZ_CORPUS "/document/seed-two-methods.rpt"));
        const SProtocolRead read = readProtocol(sound);
        QVERIFY(read.bSound && protocolBytes(read.document) == sound);
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        form.setDocument(read.document);
        const QString sHtml = form.buildProtocolHtml();
        const QStringList lst = corpus(fuzz::ETarget::Document);
        QVERIFY(lst.size() >= 4);
        // reference lists learn from every document; what is printed may not
        for (const QString& sPath : lst) {
            QCOMPARE(fuzz::run(fuzz::ETarget::Document, fileBytes(sPath)), 0);
            form.setDocument(readProtocol(fileBytes(sPath)).document);
            form.setDocument(read.document);
            QVERIFY2(form.buildProtocolHtml() == sHtml, qPrintable(sPath));
        }
    }
};

QTEST_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
