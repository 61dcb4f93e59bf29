#include "items/reportitemwidget.h"

#include <QFontMetrics>
#include <algorithm>

int roundUpToTen(int iWidth) { return iWidth % 10 == 0 ? iWidth : (iWidth / 10 + 1) * 10; }

int fitTextWidth(const QWidget* pWidget, const QString& sText, int iLower) {
    if (sText.isEmpty())
        return iLower;
    int c = roundUpToTen(pWidget->fontMetrics().horizontalAdvance(sText) + 20);
    c = std::max(c, iLower);
    return std::min(pWidget->maximumWidth(), c);
}

void setPointSize(QWidget* pWidget, int iPointSize) {
    QFont f = pWidget->font();
    f.setPointSize(iPointSize);
    pWidget->setFont(f);
}
