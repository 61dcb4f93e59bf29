#include "composer/printsettings.h"

#include "base/settings.h"
#include "render/protocolprinter.h"
#include "storage/labstatement.h"
#include "storage/settingskeys.h"

#include <QPageSize>

namespace {
const QString g_sPortrait = QStringLiteral("portrait");
const QString g_sLandscape = QStringLiteral("landscape");
// The largest paper taken from the settings, in points: a little more than A0.
constexpr qreal g_dMaxPaper = 5000;

// Numbers separated by spaces, iCount of them, none negative; empty otherwise.
QList<qreal> numbers(const QString& sText, int iCount) {
    const QStringList lst = sText.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<qreal> lstNumbers;
    for (const QString& s : lst) {
        bool bOk = false;
        const qreal d = s.toDouble(&bOk);
        if (!bOk || d < 0 || d > g_dMaxPaper)
            return {};
        lstNumbers << d;
    }
    return lstNumbers.size() == iCount ? lstNumbers : QList<qreal>();
}

QPageSize paperOf(const QString& sPaper) {
    for (int i = 0; i <= int(QPageSize::LastPageSize); ++i) {
        const auto eId = QPageSize::PageSizeId(i);
        if (eId != QPageSize::Custom && QPageSize::key(eId) == sPaper)
            return QPageSize(eId);
    }
    const QList<qreal> lstSize = numbers(QString(sPaper).replace(QLatin1Char('x'), ' '), 2);
    if (lstSize.isEmpty() || lstSize[0] <= 0 || lstSize[1] <= 0)
        return QPageSize();
    return QPageSize(QSizeF(lstSize[0], lstSize[1]), QPageSize::Point);
}
} // namespace

QPageLayout storedPageLayout() {
    const auto pSettings = openSettings();
    const QPageSize paper = paperOf(pSettings->value(SettingsKey::sPagePaper).toString());
    const QString sOrientation = pSettings->value(SettingsKey::sPageOrientation).toString();
    const QList<qreal> lstMargins =
        numbers(pSettings->value(SettingsKey::sPageMargins).toString(), 4);
    if (!paper.isValid() || (sOrientation != g_sPortrait && sOrientation != g_sLandscape) ||
        lstMargins.isEmpty())
        return defaultPageLayout();
    const QPageLayout layout(
        paper, sOrientation == g_sPortrait ? QPageLayout::Portrait : QPageLayout::Landscape,
        QMarginsF(lstMargins[0], lstMargins[1], lstMargins[2], lstMargins[3]), QPageLayout::Point);
    // the print's own margins and an inch of text must fit within
    const QRectF text = layout.paintRectPoints();
    const qreal dLeast = 2 * CProtocolPrinter::dMarginInches * 72 + 72;
    return layout.isValid() && text.width() >= dLeast && text.height() >= dLeast
               ? layout
               : defaultPageLayout();
}

void storePageLayout(const QPageLayout& layout) {
    const QPageSize paper = layout.pageSize();
    const QSizeF size = paper.size(QPageSize::Point);
    const QMarginsF margins = layout.margins(QPageLayout::Point);
    const auto pSettings = openSettings();
    pSettings->setValue(SettingsKey::sPagePaper,
                        paper.id() == QPageSize::Custom
                            ? QStringLiteral("%1x%2").arg(size.width()).arg(size.height())
                            : QPageSize::key(paper.id()));
    pSettings->setValue(SettingsKey::sPageOrientation,
                        layout.orientation() == QPageLayout::Portrait ? g_sPortrait : g_sLandscape);
    pSettings->setValue(SettingsKey::sPageMargins, QStringLiteral("%1 %2 %3 %4")
                                                       .arg(margins.left())
                                                       .arg(margins.top())
                                                       .arg(margins.right())
                                                       .arg(margins.bottom()));
}

SPrintSetup printSetup(const QString& sReferenceDir, int iResolution) {
    return {storedPageLayout(), iResolution, CLabStatement::read(sReferenceDir)};
}
