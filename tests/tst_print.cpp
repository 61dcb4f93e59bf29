// The pages of the print, read back from the PDF as text. Guards: a
// results table continued on a page starts there with its column titles;
// no page ends with a heading; one specialist's lines stay on one page; an
// instrument's letter keeps its point; print and PDF give the same pages;
// a print cancelled from its progress leaves no file.
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "results/conclusion.h"
#include "storage/referencefiles.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/largeprotocol.h"
#include "support/scripteddialogs.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>

namespace {
// The pages of a PDF as pdftotext (poppler-utils) lays them out, each a list
// of its lines without the blank ones.
QList<QStringList> pdfPages(const QString& sPath) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {"-layout", sPath, "-"});
    process.waitForFinished(60000);
    QList<QStringList> lstPages;
    for (const QString& sPage : QString::fromUtf8(process.readAllStandardOutput()).split('\f')) {
        QStringList lstLines;
        for (const QString& sLine : sPage.split('\n'))
            if (!sLine.trimmed().isEmpty())
                lstLines << sLine.trimmed();
        if (!lstLines.isEmpty())
            lstPages << lstLines;
    }
    return lstPages;
}

const QRegularExpression g_reHeading(
    QStringLiteral("^(\\d+\\. (Результаты .* контроля\\.|Приборы и оборудование:|Заключение по "
                   "результатам .* контроля:.*)|Провел контроль:|Выдал заключение:|Провел контроль "
                   "и выдал заключение:|Руководитель:)$"));
const QRegularExpression g_reRow(QStringLiteral("\\d+ +Шов \\d+-1.*")); // a whole line

// What no page may break: checked on every page, the faults named.
QStringList pageFaults(const QList<QStringList>& lstPages) {
    QStringList lstFaults;
    for (int p = 0; p < lstPages.size(); ++p) {
        const QStringList& lst = lstPages[p];
        if (lst.size() < 2)
            lstFaults << QStringLiteral("page %1 holds only its number").arg(p + 1);
        // the last line is the page number
        const QString sLast = lst.size() > 1 ? lst[lst.size() - 2] : QString();
        if (g_reHeading.match(sLast).hasMatch())
            lstFaults << QStringLiteral("page %1 ends with \"%2\"").arg(p + 1).arg(sLast);
        const int iRow = lst.indexOf(g_reRow);
        if (iRow >= 0 && !lst.mid(0, iRow).join('\n').contains(QStringLiteral("Колонка 1")))
            lstFaults << QStringLiteral("page %1: rows without titles").arg(p + 1);
        const int iRoles = lst.filter(QRegularExpression("^(Провел|Выдал|Руководитель)")).size();
        const int iLevels = lst.filter(QRegularExpression("^Специалист \\d уровня")).size();
        const int iSignatures = lst.filter(QRegularExpression("^____")).size();
        if (iRoles != iLevels || iLevels != iSignatures)
            lstFaults << QStringLiteral("page %1: a specialist split").arg(p + 1);
        for (const QString& sLine : lst.filter(QStringLiteral("Прибор ")))
            if (!QRegularExpression("^[a-z]\\. Прибор").match(sLine).hasMatch() &&
                !sLine.contains(QStringLiteral("Приборы и оборудование")))
                lstFaults << QStringLiteral("page %1: \"%2\"").arg(p + 1).arg(sLine);
    }
    return lstFaults;
}
} // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void largeProtocolPagesBreakWell() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeSpecialists(dir.path(), knownSpecialists(100));
        CFusionWidget form(dir.path());
        fillProtocol(form, g_largeProtocol);
        QVERIFY(form.controller().exportPdf(dir.filePath("large.pdf")));
        const QList<QStringList> lstPages = pdfPages(dir.filePath("large.pdf"));
        QVERIFY(lstPages.size() > 60);
        QCOMPARE(pageFaults(lstPages), QStringList());
        QVERIFY(
            lstPages.value(0).contains(QStringLiteral("a. Прибор 0 №1000, свидетельство о поверке "
                                                      "№С-0, действительно до 01.03.2027;")));
        // the print gives the same pages
        form.printer()->setOutputFormat(QPrinter::PdfFormat);
        form.printer()->setOutputFileName(dir.filePath("printed.pdf"));
        dialogs.lstAnswers << CUserDialogs::Yes; // printed despite the certificates missing
        dialogs.lstDialogActions << [](QDialog*) { return int(QDialog::Accepted); };
        form.slot_printReport();
        QCOMPARE(pdfPages(dir.filePath("printed.pdf")), lstPages);
    }

    // Tables of every length push the specialists over every page end.
    void signatureBlocksAtPageEnds() {
        QTemporaryDir dir;
        writeSpecialists(dir.path(), knownSpecialists(3));
        CFusionWidget form(dir.path());
        fillProtocol(form, {2, 1, 3, 3, 0, 1, 3});
        for (int iRows = 1; iRows < 40; iRows += 2) {
            form.conclusions()[0]->setData(iRows, 3, {"Колонка 1", "Колонка 2", "Колонка 3"},
                                           QStringList(iRows * 3, QStringLiteral("Шов 1-1")));
            QVERIFY(form.controller().exportPdf(dir.filePath("two.pdf")));
            const QStringList lstFaults = pageFaults(pdfPages(dir.filePath("two.pdf")));
            QVERIFY2(lstFaults.isEmpty(),
                     qPrintable(QStringLiteral("%1 rows: ").arg(iRows) + lstFaults.join(", ")));
        }
        // two methods of 7 rows: the last page ends with the last signature
        for (CConclusion* pConclusion : form.conclusions())
            pConclusion->setData(7, 3, {"Колонка 1", "Колонка 2", "Колонка 3"},
                                 QStringList(7 * 3, QStringLiteral("Шов 1-1")));
        QVERIFY(form.controller().exportPdf(dir.filePath("two.pdf")));
        const QList<QStringList> lstPages = pdfPages(dir.filePath("two.pdf"));
        QCOMPARE(lstPages.size(), 4);
        QCOMPARE(lstPages.last().mid(lstPages.last().size() - 2),
                 QStringList({"____________________Специалист 2", "4"}));
    }

    // The program run with no display converts a folder of protocols: the
    // pages "Сохранить в PDF" gives, one line a file; a damaged file and a
    // folder that cannot be made are named, the others still converted.
    void pdfCommandWithoutAWindow() {
        QTemporaryDir dir;
        writeSpecialists(dir.path(), knownSpecialists(3));
        CFusionWidget form(dir.path());
        fillProtocol(form, {2, 30, 3, 2, 2, 2, 3});
        const QByteArray good = protocolBytes(form.document());
        writeFile(dir.filePath("118-26.rpt"), good);
        writeFile(dir.filePath("cut.rpt"), good.left(good.size() / 2));
        QVERIFY(form.controller().exportPdf(dir.filePath("saved.pdf")));
        writeFile(dir.filePath("file"), "not a folder");
        auto run = [&](const QStringList& lstArgs, QString* pOut, QString* pErr) {
            QProcess program;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* pName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                env.remove(QString::fromLatin1(pName));
            program.setProcessEnvironment(env);
            program.setWorkingDirectory(dir.path());
            program.start(QStringLiteral(NDT_PROGRAM), lstArgs);
            program.waitForFinished(60000);
            *pOut = QString::fromUtf8(program.readAllStandardOutput());
            *pErr = QString::fromUtf8(program.readAllStandardError());
            return program.exitCode();
        };
        QString sOut, sErr;
        QCOMPARE(run({"--pdf", "archive", "118-26.rpt", "cut.rpt"}, &sOut, &sErr), 1);
        const QList<QStringList> lstPages = pdfPages(dir.filePath("saved.pdf"));
        QCOMPARE(pdfPages(dir.filePath("archive/118-26.pdf")), lstPages);
        QCOMPARE(sOut, QStringLiteral("118-26.rpt → 118-26.pdf, %1 стр.\n").arg(lstPages.size()));
        QVERIFY2(sErr.startsWith("cut.rpt: поврежден") && sErr.count('\n') == 1, qPrintable(sErr));
        QVERIFY(!QFile::exists(dir.filePath("archive/cut.pdf")));
        QCOMPARE(run({"--pdf", "file/archive", "118-26.rpt"}, &sOut, &sErr), 1);
        QVERIFY2(sOut.isEmpty() && sErr.startsWith("118-26.rpt: Папка «"), qPrintable(sErr));
        QCOMPARE(run({"--pdf", "file", "118-26.rpt"}, &sOut, &sErr), 1);
        QCOMPARE(sErr, QStringLiteral("file: это файл, а не папка\n"));
        // one name from two folders: the first PDF is never replaced unsaid
        QVERIFY(QDir(dir.path()).mkdir("copy"));
        writeFile(dir.filePath("copy/118-26.rpt"), good);
        QCOMPARE(run({"--pdf", "twice", "118-26.rpt", "copy/118-26.rpt"}, &sOut, &sErr), 1);
        QVERIFY(sOut.count('\n') == 1 && QFile::exists(dir.filePath("twice/118-26.pdf")));
        QCOMPARE(sErr, QStringLiteral("copy/118-26.rpt: 118-26.pdf уже записан из 118-26.rpt\n"));
        QCOMPARE(run({"--help"}, &sOut, &sErr), 0);
        QVERIFY(sOut.contains("ndt-protocol --pdf ПАПКА ФАЙЛ.rpt..."));
    }

    // A method nobody is chosen for prints blanks to fill in by hand, not
    // the level and the date its empty panel holds.
    void emptySpecialistPrintsBlanks() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        QVERIFY(form.controller().exportPdf(dir.filePath("blank.pdf")));
        QStringList lstLines;
        const QList<QStringList> lstPages = pdfPages(dir.filePath("blank.pdf"));
        for (const QStringList& lstPage : lstPages)
            lstLines += lstPage;
        // a table of one row (the titles, the instrument) drags nothing after it to the next page
        QVERIFY(lstPages.value(0).contains("10. Результаты ультразвукового контроля."));
        const QString sText = lstLines.join(' '); // the long line wraps
        QVERIFY2(sText.contains("Специалист ___ уровня НК, удостоверение №__________, выданное "
                                "__________, действительно до __.__.____ ____________________ "),
                 qPrintable(sText));
        QVERIFY(!sText.contains("01.01.2000") && !sText.contains(QRegularExpression("\\d уровня")));
    }

    // The editable copy for a customer: an OpenDocument text holding the
    // print's heading and tables; a place it cannot go is told.
    void odtHoldsThePrint() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeSpecialists(dir.path(), knownSpecialists(3));
        CFusionWidget form(dir.path());
        fillProtocol(form, {2, 3, 3, 1, 0, 1, 3});
        dialogs.lstAnswers << CUserDialogs::Yes; // the certificates' dates are not given
        dialogs.lstFileNames << dir.filePath("118-26");
        form.controller().exportOdtWithDialog();
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {"-p", dir.filePath("118-26.odt"), "content.xml"});
        QVERIFY(unzip.waitForFinished(30000) && unzip.exitCode() == 0);
        const QString sContent = QString::fromUtf8(unzip.readAllStandardOutput());
        QVERIFY(sContent.contains("Протокол по проведению контроля ультразвуковым и "
                                  "акустико-эмиссионным методами"));
        QVERIFY(sContent.contains(">Шов 3-3<") && sContent.contains("<table:table "));
        QVERIFY(sContent.contains("Провел контроль и выдал заключение:"));
        // a word processor takes a column's width only as a length, and
        // every table spans the 17 cm of text on an A4 page
        const QRegularExpression column(
            QStringLiteral("<table:table-column [^>]*style-name=\"([^\"]+)\""));
        for (const QRegularExpressionMatch& match : column.globalMatch(sContent))
            QVERIFY2(
                sContent.contains(QRegularExpression(
                    "style:name=\"" + QRegularExpression::escape(match.captured(1)) +
                    "\"[^>]*>\\s*<style:table-column-properties style:column-width=\"[0-9.]+pt\"")),
                qPrintable(match.captured(1)));
        const QRegularExpression tableWidth(QStringLiteral("style:width=\"([0-9.]+)pt\""));
        for (const QRegularExpressionMatch& match : tableWidth.globalMatch(sContent))
            QVERIFY2(match.captured(1).toDouble() > 10 / 2.54 * 72 &&
                         match.captured(1).toDouble() <= 17 / 2.54 * 72,
                     qPrintable(match.captured()));
        dialogs.lstAnswers << CUserDialogs::Yes;
        dialogs.lstFileNames << dir.filePath("no/such/dir/p.odt");
        form.controller().exportOdtWithDialog();
        QCOMPARE(dialogs.texts().last(),
                 "Папка «" + dir.filePath("no/such/dir") + "» недоступна для записи");
    }

    void cancelledPrintsLeaveNoFile() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeSpecialists(dir.path(), knownSpecialists(1));
        CFusionWidget form(dir.path());
        fillProtocol(form, {1, 90, 3, 1, 0, 1, 1}); // a few pages
        CFusionWidget::iProgressDelayMs = 0;
        // the user cancels as soon as the progress shows
        auto cancelSoon = [] {
            QTimer::singleShot(0, [] {
                for (QWidget* pWidget : QApplication::topLevelWidgets())
                    if (auto pProgress = qobject_cast<QProgressDialog*>(pWidget))
                        pProgress->cancel();
            });
        };
        cancelSoon();
        dialogs.lstFileNames << dir.filePath("p.pdf");
        form.slot_exportPdf();
        form.printer()->setOutputFormat(QPrinter::PdfFormat);
        form.printer()->setOutputFileName(dir.filePath("printed.pdf"));
        dialogs.lstDialogActions << [](QDialog*) { return int(QDialog::Accepted); };
        cancelSoon();
        form.slot_printReport();
        CFusionWidget::iProgressDelayMs = 500;
        QVERIFY(dialogs.lstMessages.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList({"*.pdf"}), QStringList());
        // a print that cannot go out is said, not taken for a cancel
        form.printer()->setOutputFileName(dir.filePath("no/such/dir/p.pdf"));
        dialogs.lstDialogActions << [](QDialog*) { return int(QDialog::Accepted); };
        form.slot_printReport();
        QCOMPARE(dialogs.texts(),
                 QStringList({"Протокол не напечатан: «" + dir.filePath("no/such/dir/p.pdf") +
                              "» не принимает страницы."}));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
