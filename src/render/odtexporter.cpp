#include "render/odtexporter.h"

#include "base/constants.h"
#include "base/savefile.h"
#include "render/protocolhtml.h"
#include "render/protocolprinter.h"
#include "render/zipwriter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QHash>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>

namespace {
constexpr qreal g_dPrintMarginPt = CProtocolPrinter::dMarginInches * 72;
// Between the text and the footer, as in the print.
constexpr qreal g_dFooterGapPt = 5;
// A column is this much wider than its longest word: a word processor
// measures the same font a little differently.
constexpr qreal g_dWordSlack = 1.08;

const QString g_sNamespaces =
    QStringLiteral(" xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                   " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
                   " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
                   " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                   " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
                   " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
                   " xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\""
                   " xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.3\"");
const QString g_sXmlDeclaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
// The print's font, "Courier", as fixed-pitch
const QString g_sFontFaces = QStringLiteral(
    "<office:font-face-decls><style:font-face style:name=\"Courier\" svg:font-family=\"Courier\""
    " style:font-family-generic=\"modern\" style:font-pitch=\"fixed\"/></office:font-face-decls>");

QString pt(qreal dPoints) {
    return QString::number(dPoints, 'f', 2) + QStringLiteral("pt");
}

// Text as XML holds it: what XML cannot hold left out.
QString escaped(const QString& s) {
    QString sOut = s.toHtmlEscaped();
    sOut.removeIf([](QChar ch) { return ch.unicode() < 0x20 || ch.isNonCharacter(); });
    return sOut;
}

// Automatic styles: one for every distinct set of properties, named by
// family in the order first asked for.
class CStyles {
public:
    QString name(const QString& sPrefix, const QString& sFamily, const QString& sProperties) {
        const QString sKey = sFamily + QLatin1Char('|') + sProperties;
        const auto it = hashNames.constFind(sKey);
        if (it != hashNames.cend())
            return *it;
        const QString sName = sPrefix + QString::number(++hashCounts[sPrefix]);
        hashNames.insert(sKey, sName);
        sXml += QStringLiteral("<style:style style:name=\"%1\" style:family=\"%2\"%3</style:style>")
                    .arg(sName, sFamily, sProperties);
        return sName;
    }
    const QString& xml() const { return sXml; }

private:
    QHash<QString, QString> hashNames;
    QHash<QString, int> hashCounts;
    QString sXml;
};

// A paragraph's text, its runs of spaces kept: OpenDocument folds them, and
// drops those a paragraph begins with.
class CTextRun {
public:
    QString take(const QString& sText) {
        QString sOut;
        int iSpaces = 0;
        auto flush = [&] {
            if (iSpaces > 0)
                sOut += QStringLiteral("<text:s text:c=\"%1\"/>").arg(iSpaces);
            iSpaces = 0;
        };
        for (const QChar ch : sText) {
            if (ch == QLatin1Char(' ') && (bSpaceBefore || iSpaces > 0 || bStart)) {
                ++iSpaces;
                continue;
            }
            flush();
            if (ch == QChar::LineSeparator)
                sOut += QStringLiteral("<text:line-break/>");
            else if (ch == QLatin1Char('\t'))
                sOut += QStringLiteral("<text:tab/>");
            else
                sOut += escaped(QString(ch));
            bSpaceBefore = ch == QLatin1Char(' ');
            bStart = ch == QChar::LineSeparator;
        }
        flush();
        if (!sText.isEmpty() && sText.back() == QLatin1Char(' '))
            bSpaceBefore = true;
        return sOut;
    }

private:
    bool bStart = true;
    bool bSpaceBefore = false;
};

// The document of the print as a word processor is to lay it out: its
// styles and its text, each paragraph and table row as high as the print
// makes it.
class COdtContent {
public:
    // The print's text as laid out on its pages, in pixels of dPixelPt points.
    COdtContent(const QTextDocument& document, qreal dPixelPt)
        : document(document), pLayout(document.documentLayout()), dPixelPt(dPixelPt),
          dFontSize(document.defaultFont().pointSizeF()) {}

    QString body() {
        QString sBody;
        qreal dBottomBefore = -1; // none: the text begins
        QTextFrame* pRoot = document.rootFrame();
        for (auto it = pRoot->begin(); !it.atEnd(); ++it) {
            if (auto pTable = qobject_cast<QTextTable*>(it.currentFrame())) {
                sBody += table(*pTable);
                dBottomBefore = 0; // a table's edge holds no margin
                continue;
            }
            const QTextBlock block = it.currentBlock();
            if (!block.isValid())
                continue;
            auto next = it;
            ++next;
            const bool bTableNext = !next.atEnd() && next.currentFrame();
            const qreal dTop =
                dBottomBefore < 0 ? 0 : qMax(dBottomBefore, block.blockFormat().topMargin());
            sBody += paragraph(block, dTop, bTableNext || keepsWithNext(block));
            dBottomBefore = block.blockFormat().bottomMargin();
        }
        return sBody;
    }

    const QString& styles() const { return automatic.xml(); }

    // The blocks the ending begins with, last in the document.
    int iEndBlocks = 0;

private:
    QString px(qreal dPixels) const { return pt(dPixels * dPixelPt); }

    // What the print keeps on one page with what follows it: a written
    // conclusion's heading, a role and the specialist's lines under it, the
    // last lines before the ending, and the ending.
    bool keepsWithNext(const QTextBlock& block) {
        const int iEnd = document.blockCount() - iEndBlocks;
        if (block.blockNumber() >= iEnd)
            return block.next().isValid();
        if (isConclusionHeading(block) || isRoleHeading(block))
            return true;
        const QTextBlock previous = block.previous();
        if (previous.isValid() && isRoleHeading(previous))
            return true; // the level and certificate, with the signature
        for (QTextBlock b = block.next(); b.isValid(); b = b.next()) {
            if (b.blockNumber() >= iEnd)
                return true; // only empty lines before the ending
            if (!b.text().trimmed().isEmpty())
                break;
        }
        return false;
    }

    // The line height the print gives the block's first line.
    qreal lineHeight(const QTextBlock& block) const {
        const QTextLayout* pText = block.layout();
        if (pText && pText->lineCount() > 0)
            return pText->lineAt(0).height();
        return QFontMetricsF(block.charFormat().font(), document.documentLayout()->paintDevice())
            .height();
    }

    QString paragraphStyle(const QTextBlock& block, qreal dTop, bool bKeep) {
        const Qt::Alignment eAlign = block.blockFormat().alignment();
        const QString sAlign = eAlign & Qt::AlignHCenter   ? QStringLiteral("center")
                               : eAlign & Qt::AlignRight   ? QStringLiteral("end")
                               : eAlign & Qt::AlignJustify ? QStringLiteral("justify")
                                                           : QStringLiteral("start");
        QString sProperties =
            QStringLiteral(" style:parent-style-name=\"Standard\"><style:paragraph-properties "
                           "fo:text-align=\"%1\" fo:margin-top=\"%2\" fo:margin-bottom=\"0pt\" "
                           "fo:line-height=\"%3\"")
                .arg(sAlign, px(dTop), px(lineHeight(block)));
        if (bKeep)
            sProperties += QStringLiteral(" fo:keep-with-next=\"always\"");
        return automatic.name(QStringLiteral("P"), QStringLiteral("paragraph"),
                              sProperties + QStringLiteral("/>"));
    }

    // A run of text in its own weight and size; none for the page's own.
    QString textStyle(const QTextCharFormat& format) {
        const QFont font = format.font();
        const bool bBold = font.weight() >= QFont::Bold;
        const qreal dSize = font.pointSizeF() > 0 ? font.pointSizeF() : dFontSize;
        if (!bBold && qFuzzyCompare(dSize, dFontSize))
            return QString();
        QString sProperties =
            QStringLiteral("><style:text-properties fo:font-size=\"%1\"").arg(pt(dSize));
        if (bBold)
            sProperties += QStringLiteral(" fo:font-weight=\"bold\"");
        return automatic.name(QStringLiteral("T"), QStringLiteral("text"),
                              sProperties + QStringLiteral("/>"));
    }

    QString paragraph(const QTextBlock& block, qreal dTop, bool bKeep) {
        QString sXml = QStringLiteral("<text:p text:style-name=\"%1\">")
                           .arg(paragraphStyle(block, dTop, bKeep));
        CTextRun run;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString sStyle = textStyle(fragment.charFormat());
            const QString sText = run.take(fragment.text());
            sXml += sStyle.isEmpty() ? sText
                                     : QStringLiteral("<text:span text:style-name=\"%1\">%2</"
                                                      "text:span>")
                                           .arg(sStyle, sText);
        }
        return sXml + QStringLiteral("</text:p>");
    }

    // The top of row r's cells, and the bottom of its lowest, as laid out.
    QPair<qreal, qreal> rowSpan(QTextTable& t, int r) const {
        qreal dTop = -1;
        qreal dBottom = -1;
        for (int c = 0; c < t.columns(); ++c) {
            const QTextTableCell cell = t.cellAt(r, c);
            if (cell.row() != r)
                continue;
            const qreal dCellTop =
                pLayout->blockBoundingRect(cell.firstCursorPosition().block()).top();
            const qreal dCellBottom =
                pLayout->blockBoundingRect(cell.lastCursorPosition().block()).bottom();
            dTop = dTop < 0 ? dCellTop : qMin(dTop, dCellTop);
            dBottom = qMax(dBottom, dCellBottom);
        }
        return {dTop, dBottom};
    }

    // Each column as wide as the print lays it out, and never narrower than
    // its longest word with the cell's padding: a word is never broken.
    QList<qreal> columnWidths(QTextTable& t) const {
        const QTextTableFormat format = t.format();
        const qreal dEdge = 2 * (format.cellPadding() + format.border());
        const QRectF frame = pLayout->frameBoundingRect(&t);
        QList<qreal> lstLefts;
        for (int c = 0; c < t.columns(); ++c) {
            qreal dLeft = c == 0 ? frame.left() : -1;
            for (int r = 0; r < t.rows() && dLeft < 0; ++r) {
                const QTextTableCell cell = t.cellAt(r, c);
                if (cell.column() == c)
                    dLeft = pLayout->blockBoundingRect(cell.firstCursorPosition().block()).left() -
                            dEdge / 2;
            }
            lstLefts << (dLeft < 0 ? lstLefts.last() : dLeft);
        }
        lstLefts << frame.right();
        QList<qreal> lstWidths;
        QList<qreal> lstLeast;
        static const QRegularExpression reSpace(QStringLiteral("\\s+"));
        for (int c = 0; c < t.columns(); ++c) {
            qreal dWord = 0;
            for (int r = 0; r < t.rows(); ++r) {
                const QTextTableCell cell = t.cellAt(r, c);
                if (cell.column() != c || cell.columnSpan() > 1)
                    continue;
                const QTextBlock block = cell.firstCursorPosition().block();
                const QFontMetricsF metrics(block.charFormat().font(), pLayout->paintDevice());
                for (const QString& sWord : block.text().split(reSpace, Qt::SkipEmptyParts))
                    dWord = qMax(dWord, metrics.horizontalAdvance(sWord));
            }
            lstLeast << dWord * g_dWordSlack + dEdge;
            lstWidths << qMax(lstLefts[c + 1] - lstLefts[c], lstLeast.last());
        }
        // what the words took is given back by the columns with room to spare
        qreal dOver = 0;
        qreal dSpare = 0;
        for (int c = 0; c < t.columns(); ++c) {
            dOver += lstWidths[c];
            dSpare += lstWidths[c] - lstLeast[c];
        }
        dOver -= frame.width();
        if (dOver > 0 && dSpare > 0) {
            const qreal dShare = qMin<qreal>(1, dOver / dSpare);
            for (int c = 0; c < t.columns(); ++c)
                lstWidths[c] -= (lstWidths[c] - lstLeast[c]) * dShare;
        }
        return lstWidths;
    }

    QString cell(const QTextTableCell& c, const QString& sCellStyle) {
        QString sXml = QStringLiteral("<table:table-cell table:style-name=\"%1\"").arg(sCellStyle);
        if (c.columnSpan() > 1)
            sXml += QStringLiteral(" table:number-columns-spanned=\"%1\"").arg(c.columnSpan());
        if (c.rowSpan() > 1)
            sXml += QStringLiteral(" table:number-rows-spanned=\"%1\"").arg(c.rowSpan());
        sXml += QLatin1Char('>');
        for (auto it = c.begin(); !it.atEnd(); ++it) {
            if (it.currentBlock().isValid())
                sXml += paragraph(it.currentBlock(), 0, false);
        }
        return sXml + QStringLiteral("</table:table-cell>");
    }

    QString table(QTextTable& t) {
        const QTextTableFormat format = t.format();
        const QList<qreal> lstWidths = columnWidths(t);
        qreal dWidth = 0;
        for (const qreal d : lstWidths)
            dWidth += d;
        const QString sTableStyle = automatic.name(
            QStringLiteral("Table"), QStringLiteral("table"),
            QStringLiteral("><style:table-properties style:width=\"%1\" table:align=\"%2\" "
                           "table:border-model=\"collapsing\" fo:margin-top=\"0pt\" "
                           "fo:margin-bottom=\"0pt\"/>")
                .arg(px(dWidth), format.alignment() & Qt::AlignHCenter ? QStringLiteral("center")
                                                                       : QStringLiteral("left")));
        const QString sBorder = format.border() > 0
                                    ? QStringLiteral("%1 solid #000000").arg(px(format.border()))
                                    : QStringLiteral("none");
        const QString sCellStyle = automatic.name(
            QStringLiteral("Cell"), QStringLiteral("table-cell"),
            QStringLiteral("><style:table-cell-properties fo:padding=\"%1\" fo:border=\"%2\"/>")
                .arg(px(format.cellPadding()), sBorder));
        QString sXml = QStringLiteral("<table:table table:name=\"%1\" table:style-name=\"%1\">")
                           .arg(sTableStyle);
        for (const qreal d : lstWidths)
            sXml +=
                QStringLiteral("<table:table-column table:style-name=\"%1\"/>")
                    .arg(automatic.name(QStringLiteral("Column"), QStringLiteral("table-column"),
                                        QStringLiteral("><style:table-column-properties "
                                                       "style:column-width=\"%1\"/>")
                                            .arg(px(d))));
        // a table with borders is a results table: its first row holds the
        // titles, repeated on every page it runs over
        const bool bTitles = format.border() > 0 && t.rows() > 1;
        for (int r = 0; r < t.rows(); ++r) {
            const QPair<qreal, qreal> span = rowSpan(t, r);
            const qreal dNext = r + 1 < t.rows() ? rowSpan(t, r + 1).first : -1;
            const qreal dHeight =
                (dNext > span.first ? dNext - span.first : span.second - span.first) +
                (dNext > span.first ? 0 : 2 * format.cellPadding());
            const QString sRowStyle = automatic.name(
                QStringLiteral("Row"), QStringLiteral("table-row"),
                QStringLiteral("><style:table-row-properties style:min-row-height=\"%1\" "
                               "fo:keep-together=\"always\"/>")
                    .arg(px(dHeight)));
            if (bTitles && r == 0)
                sXml += QStringLiteral("<table:table-header-rows>");
            sXml += QStringLiteral("<table:table-row table:style-name=\"%1\">").arg(sRowStyle);
            for (int c = 0; c < t.columns(); ++c) {
                const QTextTableCell tableCell = t.cellAt(r, c);
                if (tableCell.row() == r && tableCell.column() == c)
                    sXml += cell(tableCell, sCellStyle);
                else
                    sXml += QStringLiteral("<table:covered-table-cell/>");
            }
            sXml += QStringLiteral("</table:table-row>");
            if (bTitles && r == 0)
                sXml += QStringLiteral("</table:table-header-rows>");
        }
        return sXml + QStringLiteral("</table:table>");
    }

    const QTextDocument& document;
    QAbstractTextDocumentLayout* pLayout;
    qreal dPixelPt;
    qreal dFontSize;
    CStyles automatic;
};
} // namespace

COdtExporter::COdtExporter(const ProtocolDocument& doc, const SPrintSetup& setup)
    : doc(doc), setup(setup) {}

QByteArray COdtExporter::bytes() const {
    // the print's text laid out on the print's pages, which are not painted
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter device(&sink);
    device.setPageLayout(setup.layout);
    device.setResolution(setup.iResolution);
    const QString sEnd = endingHtml(setup.sStatement);
    CProtocolPrinter print(protocolHtml(doc), sEnd, footerTitle(doc));
    print.paginate(&device);
    const qreal dPixelPt = 72.0 / device.logicalDpiY();
    QTextDocument ending;
    ending.setHtml(sEnd);
    COdtContent content(print.textDocument(), dPixelPt);
    content.iEndBlocks = ending.blockCount();
    const QFont font = print.textDocument().defaultFont();
    const QRectF page = setup.layout.fullRectPoints();
    const QMarginsF margins = setup.layout.marginsPoints();
    const QString sBody = content.body();
    const QByteArray contentXml =
        (g_sXmlDeclaration + QStringLiteral("<office:document-content") + g_sNamespaces +
         QLatin1Char('>') + g_sFontFaces + QStringLiteral("<office:automatic-styles>") +
         content.styles() + QStringLiteral("</office:automatic-styles><office:body><office:text>") +
         sBody + QStringLiteral("</office:text></office:body></office:document-content>"))
            .toUtf8();

    // the footer's line stands where the print's does, under the text
    const qreal dFooterLine = QFontMetricsF(font, &device).height() * dPixelPt;
    const qreal dBottom = margins.bottom() + g_dPrintMarginPt;
    const bool bLandscape = setup.layout.orientation() == QPageLayout::Landscape;
    const QString sFooter =
        escaped(footerTitle(doc) + QStringLiteral(" · стр. ")) +
        QStringLiteral("<text:page-number text:select-page=\"current\">1</text:page-number>") +
        escaped(QStringLiteral(" из ")) + QStringLiteral("<text:page-count>1</text:page-count>");
    const QByteArray stylesXml =
        (g_sXmlDeclaration + QStringLiteral("<office:document-styles") + g_sNamespaces +
         QLatin1Char('>') + g_sFontFaces +
         QStringLiteral("<office:styles><style:default-style style:family=\"paragraph\">"
                        "<style:paragraph-properties fo:orphans=\"2\" fo:widows=\"2\"/>"
                        "<style:text-properties style:font-name=\"Courier\" fo:font-size=\"%1\" "
                        "fo:language=\"ru\" fo:country=\"RU\"/></style:default-style>"
                        "<style:style style:name=\"Standard\" style:family=\"paragraph\" "
                        "style:class=\"text\"/>"
                        "<style:style style:name=\"Footer\" style:family=\"paragraph\" "
                        "style:parent-style-name=\"Standard\" style:class=\"extra\">"
                        "<style:paragraph-properties fo:text-align=\"end\" fo:line-height=\"%2\"/>"
                        "</style:style></office:styles>")
             .arg(pt(font.pointSizeF()), pt(dFooterLine)) +
         QStringLiteral("<office:automatic-styles><style:page-layout style:name=\"Page\">"
                        "<style:page-layout-properties fo:page-width=\"%1\" fo:page-height=\"%2\" "
                        "style:print-orientation=\"%3\" fo:margin-top=\"%4\" "
                        "fo:margin-bottom=\"%5\" fo:margin-left=\"%6\" fo:margin-right=\"%7\"/>"
                        "<style:footer-style><style:header-footer-properties fo:min-height=\"%8\" "
                        "fo:margin-top=\"%9\"/></style:footer-style></style:page-layout>"
                        "</office:automatic-styles>")
             .arg(pt(page.width()), pt(page.height()),
                  bLandscape ? QStringLiteral("landscape") : QStringLiteral("portrait"),
                  pt(margins.top() + g_dPrintMarginPt), pt(dBottom - dFooterLine - g_dFooterGapPt),
                  pt(margins.left() + g_dPrintMarginPt), pt(margins.right() + g_dPrintMarginPt),
                  pt(dFooterLine), pt(g_dFooterGapPt)) +
         QStringLiteral("<office:master-styles><style:master-page style:name=\"Standard\" "
                        "style:page-layout-name=\"Page\"><style:footer>"
                        "<text:p text:style-name=\"Footer\">") +
         sFooter +
         QStringLiteral("</text:p></style:footer></style:master-page></office:master-styles>"
                        "</office:document-styles>"))
            .toUtf8();

    const QByteArray metaXml =
        (g_sXmlDeclaration + QStringLiteral("<office:document-meta") + g_sNamespaces +
         QStringLiteral("><office:meta><meta:generator>%1</meta:generator><dc:title>%2</dc:title>"
                        "</office:meta></office:document-meta>")
             .arg(escaped(g_sAppTitle + QLatin1Char(' ') + g_sVersion),
                  escaped(QStringLiteral("Протокол №%1 от %2")
                              .arg(protocolNumber(doc), protocolDateText(doc)))))
            .toUtf8();
    const QByteArray manifestXml = QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest "
        "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.3\">"
        "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.3\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" "
        "manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"styles.xml\" "
        "manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>"
        "</manifest:manifest>");

    // the type first and stored, as readers look for it
    CZipWriter zip;
    zip.add(QStringLiteral("mimetype"),
            QByteArrayLiteral("application/vnd.oasis.opendocument.text"),
            CZipWriter::EMethod::Stored);
    zip.add(QStringLiteral("content.xml"), contentXml);
    zip.add(QStringLiteral("styles.xml"), stylesXml);
    zip.add(QStringLiteral("meta.xml"), metaXml);
    zip.add(QStringLiteral("META-INF/manifest.xml"), manifestXml);
    return zip.finish();
}

bool COdtExporter::write(const QString& sFileName, QString* pProblem) {
    return saveFileBytes(sFileName, bytes(), pProblem);
}
