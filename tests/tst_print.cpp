// The pages of the print, read back from the PDF as text. Guards: a
// results table continued on a page starts there with its column titles;
// no page ends with a heading; one specialist's lines stay on one page; an
// instrument's letter keeps its point; print and PDF give the same pages;
// a print cancelled from its progress leaves no file. Every page's footer
// names the protocol and its page of how many; the last page ends with the
// laboratory's statement, as "Настройки" left it in the laboratory's
// folder, and "Конец протокола"; the page set-up chosen is kept for every
// copy; the ODT is laid out as the PDF.
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/printsettings.h"
#include "render/pdfexporter.h"
#include "render/protocolhtml.h"
#include "results/conclusion.h"
#include "storage/labstatement.h"
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

// What a page's footer must say: the protocol, page p of n.
QStringList footerFaults(const QList<QStringList>& lstPages, const QString& sTitle) {
    QStringList lstFaults;
    for (int p = 0; p < lstPages.size(); ++p)
        if (lstPages[p].last() != footerText(sTitle, p + 1, int(lstPages.size())))
            lstFaults << QStringLiteral("page %1: \"%2\"").arg(p + 1).arg(lstPages[p].last());
    return lstFaults;
}

// The last page's lines but the footer, joined: a statement wraps.
QString lastPageText(const QList<QStringList>& lstPages) {
    const QStringList lst = lstPages.value(lstPages.size() - 1);
    return lst.mid(0, lst.size() - 1).join(' ');
}

// The end of every print with the laboratory's statement as it starts.
QString defaultEnding() {
    return CLabStatement::sDefault + " Конец протокола";
}

// The program itself, as a laboratory runs it, in dir, with no display.
int runProgram(const QString& sDir, const QStringList& lstArgs, QString* pOut = nullptr,
               QString* pErr = nullptr) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* pName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(pName));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(sDir);
    program.start(QStringLiteral(NDT_PROGRAM), lstArgs);
    program.waitForFinished(60000);
    if (pOut)
        *pOut = QString::fromUtf8(program.readAllStandardOutput());
    if (pErr)
        *pErr = QString::fromUtf8(program.readAllStandardError());
    return program.exitCode();
}

// A file of an ODT as unzip gives it.
QString odtPart(const QString& sPath, const QString& sPart) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {"-p", sPath, sPart});
    unzip.waitForFinished(30000);
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

// "Page size: 841.89 x 595.276 pts (A4)" of pdfinfo.
QString pdfPageSize(const QString& sPath) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {sPath});
    info.waitForFinished(30000);
    const QString sOut = QString::fromUtf8(info.readAllStandardOutput());
    return QRegularExpression(QStringLiteral("Page size: *([^\n]*)")).match(sOut).captured(1);
}

int pdfPageCount(const QString& sPath) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {sPath});
    info.waitForFinished(30000);
    const QString sOut = QString::fromUtf8(info.readAllStandardOutput());
    return QRegularExpression(QStringLiteral("Pages: *(\\d+)")).match(sOut).captured(1).toInt();
}

void setNumberAndDate(CFusionWidget& form, const QString& sNumber, const QDate& dt) {
    form.setProtocolNumber(sNumber);
    if (dt.isValid())
        child<QDateEdit>(form.sections()[eDate], "dedt_date")->setDate(dt);
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
        setNumberAndDate(form, "118/26", QDate(2026, 12, 7));
        QVERIFY(form.controller().exportPdf(dir.filePath("large.pdf")));
        const QList<QStringList> lstPages = pdfPages(dir.filePath("large.pdf"));
        QVERIFY(lstPages.size() > 60);
        QCOMPARE(pageFaults(lstPages), QStringList());
        QCOMPARE(footerFaults(lstPages, "Протокол № 118/26 от 07.12.2026"), QStringList());
        QVERIFY2(lastPageText(lstPages).endsWith("77. Пункт 49: значение. " + defaultEnding()),
                 qPrintable(lastPageText(lstPages)));
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
        // two methods of 7 rows: the last page ends with the last signature,
        // the statement and the end
        for (CConclusion* pConclusion : form.conclusions())
            pConclusion->setData(7, 3, {"Колонка 1", "Колонка 2", "Колонка 3"},
                                 QStringList(7 * 3, QStringLiteral("Шов 1-1")));
        QVERIFY(form.controller().exportPdf(dir.filePath("two.pdf")));
        const QList<QStringList> lstPages = pdfPages(dir.filePath("two.pdf"));
        QCOMPARE(lstPages.size(), 4);
        QVERIFY2(
            lastPageText(lstPages).endsWith("____________________Специалист 2 " + defaultEnding()),
            qPrintable(lastPageText(lstPages)));
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
            return runProgram(dir.path(), lstArgs, pOut, pErr);
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

    // A page that comes loose names its protocol; what the document leaves
    // out is left out of the footer.
    void footerNamesTheProtocol_data() {
        QTest::addColumn<QString>("sNumber");
        QTest::addColumn<QDate>("dt");
        QTest::addColumn<QString>("sTitle");
        QTest::newRow("number and date")
            << "118/26" << QDate(2026, 12, 7) << "Протокол № 118/26 от 07.12.2026";
        QTest::newRow("no number") << "  " << QDate(2026, 12, 7) << "Протокол от 07.12.2026";
        QTest::newRow("markup") << "<b>1</b> & 2" << QDate(2026, 1, 2)
                                << "Протокол № <b>1</b> & 2 от 02.01.2026";
    }

    void footerNamesTheProtocol() {
        QFETCH(QString, sNumber);
        QFETCH(QDate, dt);
        QFETCH(QString, sTitle);
        QTemporaryDir dir;
        ProtocolDocument doc;
        doc.lstRecords = {HeaderRecord{"ИЛ НК", {}, {}, {}, {}},
                          StdItemRecord{0, Caption::sNumber, sNumber}, DateRecord{dt},
                          StdItemRecord{1, "Объект контроля:", "Шов 1"}};
        CPdfExporter exporter(doc, {defaultPageLayout(), 96, CLabStatement::sDefault});
        QVERIFY(exporter.write(dir.filePath("p.pdf")));
        const QList<QStringList> lstPages = pdfPages(dir.filePath("p.pdf"));
        QCOMPARE(lstPages.size(), 1);
        QCOMPARE(footerFaults(lstPages, sTitle), QStringList());
        QVERIFY(lastPageText(lstPages).endsWith("1. Объект контроля: Шов 1. " + defaultEnding()));
    }

    // The statement is the laboratory's: "Настройки" change it or empty it
    // in the laboratory's folder, and every copy prints it as typed.
    void statementFromTheLaboratoryFolder() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        setNumberAndDate(form, "12", QDate(2026, 3, 5));
        const QString sFile = CReferenceFiles::filePath(dir.path(), CLabStatement::sFileName);
        auto settings = [&](const QString& sText) {
            dialogs.lstDialogActions << [&, sText](QDialog* pDialog) {
                child<QLineEdit>(pDialog, "edt_folder")->setText(dir.path());
                auto pEdit = child<QPlainTextEdit>(pDialog, "edt_statement");
                // what the folder holds is shown
                if (pEdit->toPlainText() != CLabStatement::read(dir.path()))
                    return int(QDialog::Rejected);
                pEdit->setPlainText(sText);
                return int(QDialog::Accepted);
            };
            form.controller().showSettings();
        };
        const QString sTyped = "Заявление <лаборатории> & Ко.\nВторая строка.";
        settings(sTyped);
        QCOMPARE(fileBytes(sFile), sTyped.toUtf8());
        QVERIFY(form.controller().exportPdf(dir.filePath("typed.pdf")));
        QVERIFY(lastPageText(pdfPages(dir.filePath("typed.pdf")))
                    .endsWith("____________________ Заявление <лаборатории> & Ко. Вторая строка. "
                              "Конец протокола"));
        // the command line prints the folder chosen in "Настройки"
        writeFile(dir.filePath("12.rpt"), protocolBytes(form.document()));
        QCOMPARE(runProgram(dir.path(), {"--pdf", "out", "12.rpt"}), 0);
        QCOMPARE(pdfPages(dir.filePath("out/12.pdf")), pdfPages(dir.filePath("typed.pdf")));
        // emptied, it stays empty: the end follows the signature
        settings(QString());
        QVERIFY(QFile::exists(sFile) && fileBytes(sFile).isEmpty());
        QVERIFY(form.controller().exportPdf(dir.filePath("empty.pdf")));
        QVERIFY(lastPageText(pdfPages(dir.filePath("empty.pdf")))
                    .endsWith("____________________ Конец протокола"));
        // a file that is no statement gives the default
        writeFile(sFile, QByteArray(CLabStatement::iMaxBytes + 1, 'a'));
        QCOMPARE(CLabStatement::read(dir.path()), CLabStatement::sDefault);
        QVERIFY(QFile::remove(sFile));
        QCOMPARE(CLabStatement::read(dir.path()), CLabStatement::sDefault);
    }

    // The page chosen in the preview is kept: the PDF, "--pdf", the ODT
    // and the next form's printer take it.
    void pageSetupKeptForEveryCopy() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        QCOMPARE(pdfPageSize(form.controller().exportPdf(dir.filePath("a.pdf"))
                                 ? dir.filePath("a.pdf")
                                 : QString()),
                 "842 x 595 pts (A4)");
        dialogs.lstAnswers << CUserDialogs::Yes; // no specialist chosen
        dialogs.lstDialogActions << [&](QDialog*) {
            form.printer()->setPageLayout(QPageLayout(
                QPageSize(QPageSize::A5), QPageLayout::Portrait, QMarginsF(20, 30, 40, 50)));
            return int(QDialog::Rejected); // closed, not printed
        };
        form.slot_previewReport();
        QVERIFY(form.controller().exportPdf(dir.filePath("b.pdf")));
        QCOMPARE(pdfPageSize(dir.filePath("b.pdf")), "420 x 595 pts (A5)");
        writeFile(dir.filePath("p.rpt"), protocolBytes(form.document()));
        QCOMPARE(runProgram(dir.path(), {"--pdf", "out", "p.rpt"}), 0);
        QCOMPARE(pdfPages(dir.filePath("out/p.pdf")), pdfPages(dir.filePath("b.pdf")));
        QVERIFY(form.controller().exportOdt(dir.filePath("b.odt")));
        QVERIFY(odtPart(dir.filePath("b.odt"), "styles.xml")
                    .contains("fo:page-width=\"420.00pt\" fo:page-height=\"595.00pt\" "
                              "style:print-orientation=\"portrait\" fo:margin-top=\"86.69pt\""));
        CFusionWidget next(dir.path());
        QCOMPARE(next.printer()->pageLayout(), form.printer()->pageLayout());
        storePageLayout(defaultPageLayout());
    }

    // The editable copy for a customer, laid out as the PDF: the same page,
    // a footer counting pages, a results table's titles repeated, each
    // column as wide as its longest word at least, a heading kept with what
    // follows it; a place it cannot go is told.
    void odtAsThePdf() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeSpecialists(dir.path(), knownSpecialists(3));
        CFusionWidget form(dir.path());
        fillProtocol(form, {2, 3, 3, 1, 0, 1, 3});
        setNumberAndDate(form, "118/26", QDate(2026, 12, 7));
        form.conclusions()[0]->setData(2, 2, {"Колонка", "Заключение"},
                                       {"Шов 1-1", "Годен", "Шов 2-1", "Непровар_без_пробелов"});
        dialogs.lstAnswers << CUserDialogs::Yes; // the certificates' dates are not given
        dialogs.lstFileNames << dir.filePath("118-26");
        form.controller().exportOdtWithDialog();
        const QString sOdt = dir.filePath("118-26.odt");
        QCOMPARE(fileBytes(sOdt).mid(30, 47), "mimetypeapplication/vnd.oasis.opendocument.text");
        const QString sContent = odtPart(sOdt, "content.xml");
        const QString sStyles = odtPart(sOdt, "styles.xml");
        QVERIFY(sContent.contains("Протокол по проведению контроля ультразвуковым и "
                                  "акустико-эмиссионным методами"));
        QVERIFY(sContent.contains(">Шов 3-3<") && sContent.contains("Провел контроль и выдал"));
        QVERIFY(sStyles.contains("fo:page-width=\"842.00pt\" fo:page-height=\"595.00pt\" "
                                 "style:print-orientation=\"landscape\""));
        QVERIFY(sStyles.contains("style:font-name=\"Courier\" fo:font-size=\"12.00pt\""));
        QVERIFY(sStyles.contains(
            "<style:footer><text:p text:style-name=\"Footer\">Протокол № 118/26 от 07.12.2026 · "
            "стр. <text:page-number text:select-page=\"current\">1</text:page-number> из "
            "<text:page-count>1</text:page-count></text:p></style:footer>"));
        // one results table a method, its titles repeated
        QCOMPARE(sContent.count("<table:table-header-rows><table:table-row"), 2);
        QCOMPARE(sContent.count("</table:table-row></table:table-header-rows>"), 2);
        // a caption before a table is kept with it
        const QRegularExpression reCaption(
            "<text:p text:style-name=\"([^\"]+)\">10. Результаты ультразвукового контроля.<");
        const QString sCaptionStyle = reCaption.match(sContent).captured(1);
        QVERIFY(sContent.contains(QRegularExpression("style:name=\"" + sCaptionStyle +
                                                     "\"[^>]*>[^/]*fo:keep-with-next=\"always\"")));
        // the longest word of a column fits it: 21 characters of 7.2 points
        const QRegularExpression reColumn(
            "<table:table-column table:style-name=\"([^\"]+)\"/><table:table-column "
            "table:style-name=\"([^\"]+)\"/><table:table-column table:style-name=\"([^\"]+)\"/>"
            "<table:table-header-rows>");
        const QString sWordColumn = reColumn.match(sContent).captured(3);
        const QRegularExpression reWidth("style:name=\"" + sWordColumn +
                                         "\"[^>]*><style:table-column-properties "
                                         "style:column-width=\"([0-9.]+)pt\"");
        QVERIFY2(reWidth.match(sContent).captured(1).toDouble() > 21 * 7.2,
                 qPrintable(reWidth.match(sContent).captured()));
        // every table stays within the page's text
        const qreal dText = defaultPageLayout().paintRect(QPageLayout::Point).width();
        const QRegularExpression reTableWidth(QStringLiteral("style:width=\"([0-9.]+)pt\""));
        for (const QRegularExpressionMatch& match : reTableWidth.globalMatch(sContent))
            QVERIFY2(match.captured(1).toDouble() <= dText + 0.5, qPrintable(match.captured()));
        dialogs.lstAnswers << CUserDialogs::Yes;
        dialogs.lstFileNames << dir.filePath("no/such/dir/p.odt");
        form.controller().exportOdtWithDialog();
        QCOMPARE(dialogs.texts().last(),
                 "Папка «" + dir.filePath("no/such/dir") + "» недоступна для записи");
    }

    // A word processor gives the large protocol's ODT as many pages as the
    // PDF has, within one.
    void odtPagesAsThePdfInAWordProcessor() {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("no LibreOffice (soffice) here");
        QTemporaryDir dir;
        writeSpecialists(dir.path(), knownSpecialists(100));
        CFusionWidget form(dir.path());
        fillProtocol(form, g_largeProtocol);
        QVERIFY(form.controller().exportPdf(dir.filePath("large.pdf")));
        QVERIFY(form.controller().exportOdt(dir.filePath("large.odt")));
        QProcess office;
        office.setWorkingDirectory(dir.path());
        office.start(QStringLiteral("soffice"),
                     {"-env:UserInstallation=file://" + dir.filePath("office"), "--headless",
                      "--convert-to", "pdf", "--outdir", dir.filePath("office-pdf"), "large.odt"});
        QVERIFY(office.waitForFinished(100000));
        const int iPdf = pdfPageCount(dir.filePath("large.pdf"));
        const int iOdt = pdfPageCount(dir.filePath("office-pdf/large.pdf"));
        QVERIFY2(qAbs(iPdf - iOdt) <= 1, qPrintable(QStringLiteral("%1 %2").arg(iPdf).arg(iOdt)));
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
