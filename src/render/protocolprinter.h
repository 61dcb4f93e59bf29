#pragma once

#include <QList>
#include <QString>
#include <QTextDocument>

#include <functional>

class QPagedPaintDevice;
class QTextBlock;
class QTextTable;

// Prints the protocol's HTML on pages: the text is laid out once at the
// width of a page, then cut into pages only between lines, table rows and
// the blocks that belong together. A results table continued on another
// page repeats its title row there; a heading never ends a page; a
// specialist's lines (role, level and certificate, signature) and an
// instrument's line stay on one page; long paragraphs keep at least two
// lines together. Print, preview and PDF export give the same pages.
class CProtocolPrinter {
public:
    explicit CProtocolPrinter(const QString& sHtml);

    // Lays the text out for the pages of pDevice and decides where they
    // break; returns the number of pages.
    int paginate(QPagedPaintDevice* pDevice);
    int pageCount() const { return int(lstPages.size()); }

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
    void addTable(QTextTable* pTable);
    // The lettered column of the instruments never wraps its ".".
    void keepLettersWhole();
    void breakPages(qreal dHeight);
    // The page that begins with atom i, at dTop of the text.
    SPage startPage(int i, qreal dTop) const;

    QTextDocument document;
    QList<SAtom> lstAtoms;
    QList<SPage> lstPages;
    qreal dMargin = 0;
    qreal dBodyHeight = 0;
};
