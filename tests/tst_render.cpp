// The print of a protocol. Guards: every document of tests/data/render and
// of the fuzz corpus prints the HTML committed beside it, and its validity
// question names the lines committed beside it.
//
// NDT_WRITE_RENDER_DATA=1 tst_render writes those files anew from the
// print as it is now; `git diff tests/data/render` then shows what changed.
#include "document/protocoldocument.h"
#include "document/validity.h"
#include "render/protocolhtml.h"
#include "support/bytes.h"

#include <QDir>
#include <QtTest>

namespace {
const QDir g_data(QStringLiteral(NDT_RENDER_DATA));

// What the print gives for a document: its HTML, and the validity lines.
struct SPrint {
    QString sHtml;
    QStringList lstProblems;
};

SPrint printOf(const ProtocolDocument& doc) {
    return {protocolHtml(doc), validityProblems(doc)};
}
} // namespace

class TestRender : public QObject {
    Q_OBJECT
private slots:
    void committedPrint_data() {
        QTest::addColumn<QString>("sPath");
        for (const QDir& dir : {g_data, QDir(QStringLiteral(NDT_FUZZ_CORPUS "/document"))})
            for (const QString& sName : dir.entryList({"*.rpt"}, QDir::Files))
                QTest::newRow(qPrintable(sName)) << dir.filePath(sName);
    }

    void committedPrint() {
        QFETCH(QString, sPath);
        const SPrint print = printOf(readProtocol(fileBytes(sPath)).document);
        const QString sBase = g_data.filePath(QFileInfo(sPath).completeBaseName());
        if (qEnvironmentVariableIsSet("NDT_WRITE_RENDER_DATA")) {
            writeFile(sBase + ".html", print.sHtml.toUtf8());
            writeFile(sBase + ".validity", print.lstProblems.join('\n').toUtf8());
        }
        // line by line: a difference is named where it starts
        QCOMPARE(print.sHtml.split('\n'),
                 QString::fromUtf8(fileBytes(sBase + ".html")).split('\n'));
        QCOMPARE(print.lstProblems.join('\n'), QString::fromUtf8(fileBytes(sBase + ".validity")));
    }
};

QTEST_MAIN(TestRender)
#include "tst_render.moc"
