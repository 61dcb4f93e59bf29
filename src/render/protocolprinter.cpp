#include "render/protocolprinter.h"

#include "render/protocolhtml.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

namespace {
// How far a line or row may reach over the edge of the band it ends.
constexpr qreal g_dTouch = 1;

} // namespace

// The written conclusion's heading, "11. Заключение по результатам … контроля: …":
// on one line it goes with what follows.
bool isConclusionHeading(const QTextBlock& block) {
    static const QRegularExpression reHeading(
        QStringLiteral("^\\d+\\. Заключение по результатам .* контроля:"));
    return reHeading.match(block.text()).hasMatch();
}

// A role above a specialist's lines: "Провел контроль:", "Руководитель:", …
bool isRoleHeading(const QTextBlock& block) {
    const QString sText = block.text();
    if (!sText.endsWith(QLatin1Char(':')))
        return false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormat().fontWeight() < QFont::Bold)
            return false;
    }
    return !block.text().isEmpty();
}

ERender paintProtocol(const ProtocolDocument& doc, const QString& sStatement,
                      QPagedPaintDevice* pDevice, int* pPages, const FPageProgress& fnProgress) {
    CProtocolPrinter pages(protocolHtml(doc), endingHtml(sStatement), footerTitle(doc));
    const int n = pages.paginate(pDevice);
    if (pPages)
        *pPages = n;
    bool bStopped = false;
    const bool bDone = pages.paint(pDevice, [&](int i) {
        bStopped = fnProgress && !fnProgress(i, n);
        return !bStopped;
    });
    if (bDone)
        return ERender::Done;
    return bStopped ? ERender::Cancelled : ERender::Failed;
}

CProtocolPrinter::CProtocolPrinter(const QString& sHtml, const QString& sEndHtml,
                                   const QString& sFooterTitle)
    : sFooterTitle(sFooterTitle) {
    if (!sEndHtml.isEmpty()) {
        // the ending's blocks, as many as it makes alone
        QTextDocument ending;
        ending.setHtml(sEndHtml);
        iEndBlocks = ending.blockCount();
    }
    // the font first: set afterwards it would make the whole text be laid out again
    document.setDefaultFont(QFont(QStringLiteral("Courier")));
    document.setHtml(sHtml + sEndHtml);
    document.setDocumentMargin(0);
    keepLettersWhole();
}

void CProtocolPrinter::keepLettersWhole() {
    static const QRegularExpression reLetter(QStringLiteral("^[a-z]\\.$"));
    for (QTextFrame* pFrame : document.rootFrame()->childFrames()) {
        auto pTable = qobject_cast<QTextTable*>(pFrame);
        if (!pTable || pTable->columns() < 2)
            continue;
        for (int r = 0; r < pTable->rows(); ++r) {
            QTextCursor cursor = pTable->cellAt(r, 1).firstCursorPosition();
            if (!reLetter.match(cursor.block().text()).hasMatch())
                continue;
            QTextBlockFormat format;
            format.setNonBreakableLines(true);
            cursor.mergeBlockFormat(format);
        }
    }
}

int CProtocolPrinter::paginate(QPagedPaintDevice* pDevice) {
    dMargin = dMarginInches * pDevice->logicalDpiY();
    document.documentLayout()->setPaintDevice(pDevice);
    document.setTextWidth(pDevice->width() - 2 * dMargin);
    dBodyHeight = pDevice->height() - 2 * dMargin;
    collectAtoms();
    breakPages(dBodyHeight);
    return pageCount();
}

void CProtocolPrinter::collectAtoms() {
    lstAtoms.clear();
    int iKeepBlocks = 0; // the blocks a role heading holds on its page
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto pTable = qobject_cast<QTextTable*>(it.currentFrame())) {
            // the caption before a table goes with its first rows
            if (!lstAtoms.isEmpty())
                lstAtoms.last().bKeepWithNext = true;
            addTable(pTable);
            iKeepBlocks = 0;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (!block.isValid())
            continue;
        // an empty line passes on what the line before it is kept with
        const bool bChained = !lstAtoms.isEmpty() && lstAtoms.last().bKeepWithNext;
        if (bChained && block.text().trimmed().isEmpty()) {
            addBlock(block, true);
            continue;
        }
        if (block.blockNumber() >= document.blockCount() - iEndBlocks) {
            keepEndingWithLastLines(block);
            continue;
        }
        if (isRoleHeading(block))
            iKeepBlocks = 3; // the role, the level and certificate, the signature
        addBlock(block, iKeepBlocks > 1);
        if (isConclusionHeading(block))
            lstAtoms.last().bKeepWithNext = true;
        if (iKeepBlocks > 0)
            --iKeepBlocks;
    }
    // a block laid out after a table may start inside its last row's margin
    for (int i = 1; i < lstAtoms.size(); ++i) {
        lstAtoms[i].dTop = qMax(lstAtoms[i].dTop, lstAtoms[i - 1].dBottom);
        lstAtoms[i].dBottom = qMax(lstAtoms[i].dBottom, lstAtoms[i].dTop);
    }
}

void CProtocolPrinter::keepEndingWithLastLines(const QTextBlock& block) {
    // the first line of the ending holds the lines above it, back to the
    // last one with text: the ending is never a page of its own
    if (block.blockNumber() == document.blockCount() - iEndBlocks) {
        for (qsizetype i = lstAtoms.size() - 1; i >= 0; --i) {
            lstAtoms[i].bKeepWithNext = true;
            if (!lstAtoms[i].bBlank)
                break;
        }
    }
    addBlock(block, block.next().isValid());
}

void CProtocolPrinter::addBlock(const QTextBlock& block, bool bKeepAll) {
    const QRectF rect = document.documentLayout()->blockBoundingRect(block);
    const QTextLayout* pLayout = block.layout();
    const int n = pLayout ? pLayout->lineCount() : 0;
    // a line break alone is laid out as two empty lines
    const bool bBlank = block.text().trimmed().isEmpty();
    if (n <= 1) {
        lstAtoms.append({rect.top(), rect.bottom(), bKeepAll, -1, bBlank});
        return;
    }
    // a paragraph is cut between its lines, never after its first line or
    // before its last one
    const qreal y = rect.top();
    for (int i = 0; i < n; ++i) {
        const QTextLine line = pLayout->lineAt(i);
        const qreal dTop = i == 0 ? y : y + line.y();
        const qreal dBottom = i == n - 1 ? rect.bottom() : y + line.y() + line.height();
        lstAtoms.append({dTop, dBottom, bKeepAll || i == 0 || i == n - 2, -1, bBlank});
    }
}

void CProtocolPrinter::addTable(QTextTable* pTable) {
    QAbstractTextDocumentLayout* pLayout = document.documentLayout();
    const QTextTableFormat format = pTable->format();
    const qreal dEdge = format.cellPadding() + format.border();
    // a table with borders is a results table: its first row holds the titles
    const int iTitleRow = format.border() > 0 && pTable->rows() > 1 ? int(lstAtoms.size()) : -1;
    for (int r = 0; r < pTable->rows(); ++r) {
        qreal dTop = -1;
        qreal dBottom = -1;
        for (int c = 0; c < pTable->columns(); ++c) {
            const QTextTableCell cell = pTable->cellAt(r, c);
            if (cell.row() != r)
                continue; // spanned from a row above
            const QTextBlock first = cell.firstCursorPosition().block();
            const QTextBlock last = cell.lastCursorPosition().block();
            const qreal dCellTop = pLayout->blockBoundingRect(first).top();
            const qreal dCellBottom = pLayout->blockBoundingRect(last).bottom();
            dTop = dTop < 0 ? dCellTop : qMin(dTop, dCellTop);
            dBottom = qMax(dBottom, dCellBottom);
        }
        SAtom atom{dTop - dEdge, dBottom + dEdge, false, r > 0 ? iTitleRow : -1};
        if (r == 0) {
            atom.dTop -= format.border() + format.cellSpacing(); // the table's own border
            // titles with the first row; a table of one row goes with nothing after it
            atom.bKeepWithNext = pTable->rows() > 1;
        }
        if (r == pTable->rows() - 1)
            atom.dBottom += format.border() + format.cellSpacing();
        lstAtoms.append(atom);
    }
}

CProtocolPrinter::SPage CProtocolPrinter::startPage(int i, qreal dTop) const {
    const int iTitle = i < lstAtoms.size() ? lstAtoms[i].iTitleRow : -1;
    SPage page;
    if (iTitle >= 0 && dTop >= lstAtoms[i].dTop) {
        // the titles of a continued table, then its rows right under them
        const SAtom& title = lstAtoms[iTitle];
        const qreal dTitle = lstAtoms[iTitle + 1].dTop - title.dTop;
        page.append({title.dTop, title.dTop + dTitle, 0});
        page.append({dTop, dTop, dTitle});
    } else {
        page.append({dTop, dTop, 0});
    }
    return page;
}

void CProtocolPrinter::breakPages(qreal dHeight) {
    lstPages.clear();
    if (lstAtoms.isEmpty())
        return;
    SPage page = startPage(0, 0);
    // room taken on the page above the band
    auto used = [&page](qreal dBottom) {
        const SSlice& band = page.last();
        return band.dOnPage + dBottom - band.dTop;
    };
    auto close = [&](qreal dEnd, int iNext, qreal dNextTop) {
        page.last().dBottom = dEnd;
        lstPages.append(page);
        page = startPage(iNext, dNextTop);
    };
    const int n = int(lstAtoms.size());
    // a page is started only for content: the empty lines that would begin
    // it are left at the end of the page before
    auto content = [&](int i) {
        while (i < n && lstAtoms[i].bBlank)
            ++i;
        return i;
    };
    auto breakBefore = [&](int i, int iEnd) {
        const int iNext = content(i);
        if (iNext == n) {
            page.last().dBottom = lstAtoms[iEnd].dBottom;
            lstPages.append(page);
            page.clear();
        } else {
            close(lstAtoms[iEnd].dBottom, iNext, lstAtoms[iNext].dTop);
        }
        return iNext;
    };
    for (int i = 0; i < n;) {
        int j = i;
        while (j + 1 < n && lstAtoms[j].bKeepWithNext)
            ++j;
        if (used(lstAtoms[j].dBottom) <= dHeight) {
            i = j + 1; // the group fits
            continue;
        }
        if (lstAtoms[i].dTop > page.last().dTop) {
            i = breakBefore(i, i - 1); // the group begins a page
            continue;
        }
        // a group taller than a page is cut after the last stretch that fits,
        // a stretch taller than a page where the page ends
        int k = i;
        while (k <= j && used(lstAtoms[k].dBottom) <= dHeight)
            ++k;
        if (k > i) {
            i = breakBefore(k, k - 1);
        } else {
            const qreal dCut = page.last().dTop + dHeight - page.last().dOnPage;
            close(dCut, n, dCut);
            if (dCut >= lstAtoms[i].dBottom)
                ++i;
        }
    }
    if (!page.isEmpty())
        close(lstAtoms.last().dBottom, n, 0);
}

bool CProtocolPrinter::paint(QPagedPaintDevice* pDevice,
                             const std::function<bool(int)>& fnBeforePage) {
    QPainter painter(pDevice);
    if (!painter.isActive())
        return false;
    QAbstractTextDocumentLayout* pLayout = document.documentLayout();
    const qreal dWidth = document.textWidth();
    const QFont pageFont(document.defaultFont());
    const qreal dDpi = pDevice->logicalDpiY();
    // the footer where Qt's own print puts the page number: right, under the text
    const QFontMetricsF metrics(pageFont, pDevice);
    // the painter aligns it with its own measure of the font, which may
    // differ from the device's on a printer: it ends at the text's right edge
    const QRectF footerBand(dMargin, dMargin + dBodyHeight + 5 * dDpi / 72.0, dWidth,
                            2 * metrics.height());
    const int n = int(lstPages.size());
    for (int i = 0; i < lstPages.size(); ++i) {
        if (fnBeforePage && !fnBeforePage(i))
            return false;
        if (i > 0)
            pDevice->newPage();
        for (const SSlice& slice : std::as_const(lstPages[i])) {
            if (slice.dBottom <= slice.dTop)
                continue;
            painter.save();
            painter.translate(dMargin, dMargin + slice.dOnPage - slice.dTop);
            QAbstractTextDocumentLayout::PaintContext context;
            context.palette.setColor(QPalette::Text, Qt::black);
            const QRectF band(0, slice.dTop, dWidth, slice.dBottom - slice.dTop);
            painter.setClipRect(band);
            // what only touches the band is left out, not drawn and clipped
            // away: it would still be in the PDF's text
            context.clip = band.adjusted(0, g_dTouch, 0, -g_dTouch);
            pLayout->draw(&painter, context);
            painter.restore();
        }
        painter.setFont(pageFont);
        const QString sFooter = footerLine(metrics, dWidth, i + 1, n);
        painter.drawText(footerBand, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, sFooter);
    }
    return true;
}

QString CProtocolPrinter::footerLine(const QFontMetricsF& metrics, qreal dWidth, int iPage,
                                     int iPages) const {
    const QString sFooter = footerText(sFooterTitle, iPage, iPages);
    if (metrics.horizontalAdvance(sFooter) <= dWidth)
        return sFooter;
    // a number too long for a line gives way: the page and the count stay
    const QString sPages = footerText(QString(), iPage, iPages);
    const QString sTitle = metrics.elidedText(sFooterTitle, Qt::ElideRight,
                                              dWidth - metrics.horizontalAdvance(sPages));
    return footerText(sTitle, iPage, iPages);
}
