// Times the steps of daily use on a large protocol and reports peak memory:
// one line per step with its median over repeated runs, its budget and
// "ok" or "over". Exits with 1 when a step is over its budget.
//
//   ndt-bench            the large protocol: 9 methods whose results tables
//                        hold 200 rows x 5 columns, 3 specialists each, 50
//                        user items, 26 instruments, 100 specialists known
//                        and a journal of 100,000 protocols, and a written
//                        conclusion of 2,000 words checked for spelling
//   ndt-bench --small    a small protocol, run once; never fails
//
// It also starts itself as the program starts (the main window shown, then
// quit) and as a bare Qt window, and compares the processor time each takes.
#include "app/eventloop.h"
#include "app/vekconclusion.h"
#include "base/translations.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/journalwindow.h"
#include "items/spellchecker.h"
#include "refdata/measuringtool.h"
#include "refdata/widgetspecial.h"
#include "refdata/widgettool.h"
#include "render/protocolhtml.h"
#include "render/protocolprinter.h"
#include "results/conclusion.h"
#include "storage/journal.h"
#include "storage/journalservice.h"
#include "storage/referencefiles.h"
#include "storage/referencelists.h"
#include "support/largeprotocol.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace {

struct SSize {
    SProtocolSize protocol;
    int iRuns;
    int iJournalRows;
};

const SSize g_large{g_largeProtocol, 7, 100000};
const SSize g_small{{2, 5, 5, 2, 3, 2, 5}, 1, 1000};

// Budgets in milliseconds.
constexpr double g_dInteractive = 16;
// The close-time check, done at every change of the protocol.
constexpr double g_dCloseCheck = 1;
// Opening a document into a program just started.
constexpr double g_dOpen = 40;
constexpr double g_dFile = 100;
constexpr double g_dPrint = 1000;
// Reading a large document's records, without any form.
constexpr double g_dRecords = 5;
constexpr double g_dPeakMegabytes = 150;
// A change of the shared lists reaches every other program on the folder.
constexpr double g_dListReach = 1000;

void addMethodRow(CFusionWidget& form) {
    form.sections()[CFusionWidget::iMethodsIndex]->findChild<QToolButton*>("btn_add")->click();
}

void removeMethodRow(CFusionWidget& form) {
    form.sections()[CFusionWidget::iMethodsIndex]->findChild<QToolButton*>("btn_delete")->click();
}

double medianOf(QList<double> lst) {
    std::sort(lst.begin(), lst.end());
    return lst.isEmpty() ? 0 : lst[lst.size() / 2];
}

// Median milliseconds of runs of pStep; pPrepare runs untimed before each.
// A user takes one step per turn of the event loop: nothing the run before
// posted still waits in the queue, where each new event would look past it.
double timeStep(int iRuns, const std::function<void()>& pStep,
                const std::function<void()>& pPrepare = {}) {
    QList<double> lst;
    for (int i = 0; i < iRuns; ++i) {
        if (pPrepare)
            pPrepare();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QElapsedTimer timer;
        timer.start();
        pStep();
        lst.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return medianOf(lst);
}

// Years of a laboratory's protocols, registered in one go.
void fillJournal(CJournal& journal, int iRows) {
    QSqlDatabase db = journal.database();
    db.transaction();
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO protocols (number, year, protocol_date, customer, object, methods, path, "
        "search, first_saved, saved, user_name, host) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?)"));
    const QDateTime dtStart(QDate(2016, 1, 1), QTime(9, 0));
    for (int i = 0; i < iRows; ++i) {
        const QDateTime dtSaved = dtStart.addSecs(qint64(i) * 3000);
        const QString sNumber = QStringLiteral("%1/%2").arg(i).arg(dtSaved.date().year() % 100);
        const QString sCustomer = QStringLiteral("ООО Заказчик %1").arg(i % 500);
        const QString sObject = QStringLiteral("Резервуар РВС-%1").arg(i % 2000);
        const QString sSaved = dtSaved.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        for (const QVariant& value :
             {QVariant(sNumber), QVariant(dtSaved.date().year()),
              QVariant(dtSaved.date().toString(QStringLiteral("yyyy-MM-dd"))), QVariant(sCustomer),
              QVariant(sObject), QVariant(QStringLiteral("ультразвуковой")),
              QVariant(QStringLiteral("/protocols/%1.rpt").arg(i)),
              QVariant(CJournal::searchText(sNumber + ' ' + sCustomer + ' ' + sObject)),
              QVariant(sSaved), QVariant(sSaved), QVariant(QStringLiteral("lab")),
              QVariant(QStringLiteral("ws1"))})
            query.addBindValue(value);
        query.exec();
    }
    db.commit();
}

// One paragraph of a conclusion, words as such texts hold them, a few misspelt.
QString conclusionOfWords(int iWords) {
    const QStringList lstWords =
        QStringLiteral(
            "при ультразвуковом контроле сварного соединения обнаружен непровар корня шва "
            "длиной 12 мм на глубине 4 мм, несплавление по кромке, поры и шлаковые включения "
            "в допустимых пределах; оценка качества по ГОСТ Р 55724 ограниченно годен дефектт "
            "трещин не выявлено, рекомендовано устранить дефектные участки и провести повторный "
            "контроль после ремонта согласно технологической карте")
            .split(' ');
    QStringList lst;
    for (int i = 0; i < iWords; ++i)
        lst << lstWords[i % lstWords.size()];
    return lst.join(' ');
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// Runs until the window is shown on the screen, as the user sees it, and
// the program has taken its first turn of the event loop.
int showAndQuit(QWidget& window) {
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::processEvents();
    return 0;
}

// Processor time, in milliseconds, of the child processes that ended.
double childrenMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

// Median processor time of starting this program in a mode, iRuns times.
double startupMilliseconds(const QString& sMode, const QString& sDir, int iRuns) {
    QList<double> lst;
    for (int i = 0; i < iRuns; ++i) {
        const double dBefore = childrenMilliseconds();
        QProcess child;
        // a user of its own: the settings, recovery copies and journal of
        // the one running the benchmark are neither read nor asked about
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* pName : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            env.insert(QString::fromLatin1(pName), sDir + QLatin1Char('/') + QLatin1String(pName));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {sMode, sDir});
        child.waitForFinished(60000);
        lst.append(childrenMilliseconds() - dBefore);
    }
    return medianOf(lst);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 &&
        (qstrcmp(argv[1], "--bare-window") == 0 || qstrcmp(argv[1], "--program-window") == 0)) {
        // the bare window as Qt starts it; the program's window as main() does
        if (qstrcmp(argv[1], "--program-window") == 0)
            chooseQtEventLoop();
        QApplication app(argc, argv);
        if (qstrcmp(argv[1], "--bare-window") == 0) {
            QWidget window;
            return showAndQuit(window);
        }
        // as main() starts the program, beside a folder of its own
        QCoreApplication::setApplicationName(QStringLiteral("ndt-protocol"));
        installRussianTranslations(app);
        CVEKConclusion window(nullptr, QString::fromLocal8Bit(argv[2]));
        return showAndQuit(window);
    }
    // the bench saves and opens documents as a user does: in settings, data
    // and a journal of its own, never the user's (the programs it starts
    // take them over)
    QTemporaryDir home;
    if (!home.isValid())
        return 1; // never the user's own settings
    for (const char* pVariable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(pVariable,
                QDir(home.path()).filePath(QString::fromLatin1(pVariable)).toLocal8Bit());
    // the steps are timed in the event loop the program runs in
    chooseQtEventLoop();
    QApplication app(argc, argv);
    const bool bSmall = app.arguments().contains(QStringLiteral("--small"));
    const SSize size = bSmall ? g_small : g_large;

    QTemporaryDir dir;
    writeSpecialists(dir.path(), knownSpecialists(size.protocol.iKnownSpecialists));

    struct SLine {
        const char* pStep;
        double dMedian;
        double dBudget;
    };
    QList<SLine> lstLines;

    // building: the form with the known lists, then filled as above
    lstLines.append(
        {"build form", timeStep(size.iRuns, [&] { CFusionWidget form(dir.path()); }), g_dFile});
    // the form in the program's window, as the user has it: painting a
    // window as high as the whole form would cost more than the form
    CVEKConclusion window(nullptr, dir.path());
    window.resize(1280, 900);
    window.show();
    CFusionWidget& form = *window.composer();
    fillProtocol(form, size.protocol);
    form.controller().takeSnapshot();

    lstLines.append({"add and remove a method",
                     timeStep(size.iRuns,
                              [&] {
                                  addMethodRow(form);
                                  removeMethodRow(form);
                              }),
                     g_dInteractive});
    lstLines.append({"insert and delete a user item",
                     timeStep(size.iRuns,
                              [&] {
                                  form.slot_addNewStdItem(5, QStringLiteral("Новый:"), QString());
                                  form.slot_deleteNewItemAdded(form.userItems().last());
                              }),
                     g_dInteractive});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    lstLines.append({"re-lay out the form",
                     timeStep(size.iRuns, [&] { form.slot_innerWidgetHeightChanged(); }),
                     g_dInteractive});
    const ProtocolDocument shown = form.document();
    lstLines.append({"build the protocol HTML", timeStep(size.iRuns, [&] { protocolHtml(shown); }),
                     g_dInteractive});
    lstLines.append({"close-time check",
                     timeStep(size.iRuns, [&] { form.controller().isChanged(); }), g_dCloseCheck});

    QByteArray document;
    lstLines.append({"write the document",
                     timeStep(size.iRuns, [&] { document = protocolBytes(form.document()); }),
                     g_dFile});
    lstLines.append({"read the document's records",
                     timeStep(size.iRuns, [&] { readProtocol(document); }), g_dRecords});
    CFusionWidget reader(dir.path());
    reader.hide(); // a form of its own, never shown
    const ProtocolDocument records = readProtocol(document).document;
    lstLines.append({"show the document in a form",
                     timeStep(size.iRuns, [&] { reader.setDocument(records); }), g_dFile});
    // a double-click on a document: a program just started opens it
    const QString sDocument = dir.filePath(QStringLiteral("large.rpt"));
    {
        QFile file(sDocument);
        file.open(QIODevice::WriteOnly);
        file.write(document);
    }
    std::unique_ptr<CFusionWidget> pFresh;
    lstLines.append({"open in a new form",
                     timeStep(
                         size.iRuns, [&] { pFresh->controller().openDocument(sDocument); },
                         [&] { pFresh = std::make_unique<CFusionWidget>(dir.path()); }),
                     g_dOpen});
    pFresh.reset();
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("protocol.pdf"));
    lstLines.append(
        {"print to PDF", timeStep(bSmall ? 1 : 3, [&] { form.printPreview(&printer); }), g_dPrint});
    // the archive's command: the program started for the PDF of the
    // document, as a laboratory runs it
    const QString sProgram =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ndt-protocol"));
    lstLines.append(
        {"--pdf, the whole program",
         timeStep(bSmall ? 1 : 3,
                  [&] {
                      QProcess program;
                      program.setStandardOutputFile(QProcess::nullDevice());
                      program.start(sProgram, {"--pdf", dir.filePath("pdf"), sDocument});
                      program.waitForFinished(60000);
                  }),
         g_dPrint});
    // where the print's time goes
    const QString sHtml = protocolHtml(shown);
    std::unique_ptr<CProtocolPrinter> pPages;
    lstLines.append({"  print: read the HTML",
                     timeStep(3, [&] { pPages = std::make_unique<CProtocolPrinter>(sHtml); }),
                     g_dPrint});
    lstLines.append({"  print: lay out, break pages",
                     timeStep(3, [&] { pPages->paginate(&printer); }), g_dPrint});
    lstLines.append(
        {"  print: paint the pages", timeStep(3, [&] { pPages->paint(&printer); }), g_dPrint});

    // typing into a long written conclusion, every word checked for spelling
    auto pText =
        form.conclusions().first()->findChild<QTextEdit*>(QStringLiteral("tedt_description"));
    pText->setPlainText(conclusionOfWords(2000));
    for (QElapsedTimer wait;
         !wait.isValid() || (!CSpellChecker::shared().isReady() &&
                             CSpellChecker::shared().hasDictionary() && !wait.hasExpired(10000));) {
        if (!wait.isValid())
            wait.start();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QCoreApplication::processEvents(); // the text looked at once the dictionary is there
    pText->moveCursor(QTextCursor::End);
    lstLines.append({"keystroke in a 2,000-word text",
                     timeStep(size.iRuns * 3,
                              [&] {
                                  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier,
                                                QStringLiteral("а"));
                                  QCoreApplication::sendEvent(pText, &key);
                              }),
                     g_dInteractive});

    // another workstation on the same folder adds an entry: how long until
    // this program's form offers it
    CReferenceLists other(dir.path(), QString());
    int iAdded = 0;
    lstLines.append(
        {"a colleague's entry reaches the form",
         timeStep(size.iRuns,
                  [&] {
                      const QString sName = QStringLiteral("ГОСТ %1").arg(++iAdded);
                      other.addStandard(sName);
                      QElapsedTimer wait;
                      wait.start();
                      while (!form.lists().standards().contains(sName) && !wait.hasExpired(5000))
                          QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                  }),
         g_dListReach});

    // the journal of many years: opened, then a filter typed key by key
    {
        CJournal filled(CJournal::fileIn(dir.path()), dir.filePath(CJournal::sQueueFileName),
                        SJournalPlace());
        fillJournal(filled, size.iJournalRows);
    }
    // read by its worker, as the program reads it
    CJournalService journal(CJournal::fileIn(dir.path()), dir.filePath(CJournal::sQueueFileName),
                            SJournalPlace());
    std::unique_ptr<CJournalWindow> pJournal;
    lstLines.append(
        {"open the journal window",
         timeStep(size.iRuns, [&] { pJournal = std::make_unique<CJournalWindow>(journal); }),
         g_dFile});
    const QString sTyped = QStringLiteral("рвс-1999");
    QList<double> lstKeys;
    for (int i = 1; i <= sTyped.size(); ++i)
        lstKeys.append(timeStep(1, [&] {
            pJournal->findChild<QLineEdit*>(QStringLiteral("edt_filter"))->setText(sTyped.left(i));
            QCoreApplication::processEvents(); // the window's turn: the next key has its time
        }));
    // each keystroke is within budget: the slowest one counts
    lstLines.append({"journal: slowest filter keystroke",
                     *std::max_element(lstKeys.begin(), lstKeys.end()), g_dInteractive});
    pJournal.reset();

    // starting the program: processor time, against twice a bare window's
    QTemporaryDir startDir;
    const int iStarts = bSmall ? 1 : 5;
    const double dBare =
        startupMilliseconds(QStringLiteral("--bare-window"), startDir.path(), iStarts);
    lstLines.append(
        {"start to a shown window, CPU",
         startupMilliseconds(QStringLiteral("--program-window"), startDir.path(), iStarts),
         2 * dBare});

    std::printf("%-32s %12s %12s  %s\n", "step", "median, ms", "budget, ms", "");
    bool bOver = false;
    for (const SLine& line : lstLines) {
        const bool bLineOver = line.dMedian > line.dBudget;
        bOver = bOver || bLineOver;
        std::printf("%-32s %12.1f %12.0f  %s\n", line.pStep, line.dMedian, line.dBudget,
                    bLineOver ? "over" : "ok");
    }
    const double dPeak = peakMegabytes();
    const bool bMemoryOver = dPeak > g_dPeakMegabytes;
    std::printf("%-32s %9.1f MB %9.0f MB  %s\n", "peak memory", dPeak, g_dPeakMegabytes,
                bMemoryOver ? "over" : "ok");
    std::printf("document %lld bytes, %d sections; a bare Qt window starts in %.1f ms of CPU\n",
                static_cast<long long>(document.size()), int(form.sections().size()), dBare);
    if (bSmall)
        return 0; // the small run only keeps the program working
    return (bOver || bMemoryOver) ? 1 : 0;
}
