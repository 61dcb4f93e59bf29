#include "items/fontfit.h"

#include <QFont>
#include <QHash>
#include <QVariant>
#include <QWidget>

namespace {
// A text is never made smaller than this to fit.
constexpr int g_iSmallestPoints = 7;
} // namespace

void fitFontToText(QWidget* pWidget, int iPoints) {
    QFont f; // resolves nothing: the parent's font
    if (iPoints > 0) {
        f = pWidget->parentWidget() ? pWidget->parentWidget()->font() : pWidget->font();
        f.setPointSize(iPoints);
    }
    pWidget->setFont(f);
    shrinkFontToFit(pWidget);
}

void shrinkFontToFit(QWidget* pWidget) {
    // every panel of a kind shows the same texts at the same widths: the size
    // found for the first one serves the rest
    static QHash<QString, int> s_fitted;
    QFont f = pWidget->font();
    const QString sKey = QString::fromLatin1(pWidget->metaObject()->className()) +
                         QLatin1Char('|') + pWidget->property("text").toString() +
                         QLatin1Char('|') + QString::number(pWidget->width()) + QLatin1Char('|') +
                         f.key();
    if (const auto it = s_fitted.constFind(sKey); it != s_fitted.cend()) {
        if (it.value() != f.pointSize()) {
            f.setPointSize(it.value());
            pWidget->setFont(f);
        }
        return;
    }
    // the text narrows with the size: the first guess is in proportion, each
    // size tried loads a font of its own
    const int iHint = pWidget->sizeHint().width();
    if (iHint > pWidget->width() && f.pointSize() > g_iSmallestPoints) {
        f.setPointSize(qMax(g_iSmallestPoints, f.pointSize() * pWidget->width() / iHint));
        pWidget->setFont(f);
    }
    while (f.pointSize() > g_iSmallestPoints && pWidget->sizeHint().width() > pWidget->width()) {
        f.setPointSize(f.pointSize() - 1);
        pWidget->setFont(f);
    }
    s_fitted.insert(sKey, f.pointSize());
}

void matchFont(QWidget* pWidget, const QWidget* pModel) {
    if (pWidget->font() != pModel->font())
        pWidget->setFont(pModel->font());
}
