#pragma once

#include <QList>
#include <QString>
#include <QTextDocument>

#include <functional>

class QFontMetricsF;
class QPagedPaintDevice;
class QTextBlock;
class QTextTable;
struct ProtocolDocument;

// How painting the pages of a print ended.
enum class ERender { Done, Cancelled, Failed };

// Told before page iPage (from 0) of iPages is painted; false stops the print.
using FPageProgress = std::function<bool(int iPage, int iPages)>;

// Paints the print of doc, ended by the laboratory's sStatement, on the
// pages of pDevice; the number of pages in *pPages when given. Cancelled
// when fnProgress stopped it, Failed when the device takes no pages.
ERender paintProtocol(const ProtocolDocument& doc, const QString& sStatement,
                      QPagedPaintDevice* pDevice, int* pPages = nullptr,
                      const FPageProgress& fnProgress = {});

// The blocks the pages never part from what follows them: the written
// conclusion's heading on one line, "11. Заключение по результатам …
// контроля: …", and a role above a specialist's lines, "Провел контроль:".
bool isConclusionHeading(const QTextBlock& block);
bool isRoleHeading(const QTextBlock& block);

// Prints the protocol's HTML on pages: the text is laid out once at the
// width of a page, then cut into pages only between lines, table rows and
// the blocks that belong together. A results table continued on another
// page repeats its title row there; a heading never ends a page; a
// specialist's lines (role, level and certificate, signature) and an
// instrument's line stay on one page; long paragraphs keep at least two
// lines together. The ending (sEndHtml: the statement, "Конец протокола")
// stays with the last signature. Every page's footer names the protocol
// by sFooterTitle and gives the page and the number of pages: "Протокол №
// 118/26 от 07.12.2026 · стр. 2 из 4". Print, preview and PDF export give
// the same pages.
class CProtocolPrinter {
public:
    // The margins the print keeps inside the page set-up's, 2 cm on every
    // side, as Qt's own print has them; the footer stands in the lower one.
    static constexpr qreal dMarginInches = 2 / 2.54;

    explicit CProtocolPrinter(const QString& sHtml, const QString& sEndHtml = QString(),
                              const QString& sFooterTitle = QString());

    // Lays the text out for the pages of pDevice and decides where they
    // break; returns the number of pages.
    int paginate(QPagedPaintDevice* pDevice);
    int pageCount() const { return int(lstPages.size()); }
    // The text as laid out by paginate().
    const QTextDocument& textDocument() const { return document; }

    // Paints the pages laid out by paginate() on pDevice, calling
    // fnBeforePage(i) before page i; when it returns false the print stops
    // and paint() returns false (a printer is aborted by fnBeforePage
    // before, or the pages painted so far go out).
    bool paint(QPagedPaintDevice* pDevice, const std::function<bool(int)>& fnBeforePage = {});

private:
    // A stretch of the laid-out text that is never cut: a line of a
    // paragraph, a table row. bKeepWithNext joins it to the next on a page;
    // iTitleRow is the title row a results table repeats above this row.
    struct SAtom {
        qreal dTop = 0;
        qreal dBottom = 0;
        bool bKeepWithNext = false;
        int iTitleRow = -1;
        bool bBlank = false; // an empty line: it never starts a page
    };
    // A band of the laid-out text and where its top goes on the page.
    struct SSlice {
        qreal dTop = 0;
        qreal dBottom = 0;
        qreal dOnPage = 0;
    };
    using SPage = QList<SSlice>;

    void collectAtoms();
    void addBlock(const QTextBlock& block, bool bKeepAll);
    // A block of the ending, kept with the lines above it and below it.
    void keepEndingWithLastLines(const QTextBlock& block);
    void addTable(QTextTable* pTable);
    // The lettered column of the instruments never wraps its ".".
    void keepLettersWhole();
    void breakPages(qreal dHeight);
    // The footer of page iPage of iPages, within dWidth.
    QString footerLine(const QFontMetricsF& metrics, qreal dWidth, int iPage, int iPages) const;
    // The page that begins with atom i, at dTop of the text.
    SPage startPage(int i, qreal dTop) const;

    QTextDocument document;
    QString sFooterTitle;
    // the blocks of the ending, last in the document
    int iEndBlocks = 0;
    QList<SAtom> lstAtoms;
    QList<SPage> lstPages;
    qreal dMargin = 0;
    qreal dBodyHeight = 0;
};
