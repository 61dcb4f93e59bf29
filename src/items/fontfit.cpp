#include "items/fontfit.h"

#include <QFontMetrics>
#include <QWidget>

void shrinkFontToFit(QWidget* pWidget, const QString& sText, int iWidth) {
    const int iRoom = iWidth - 8; // frame and text margins
    QFont f = pWidget->font();
    while (f.pointSize() > 7 && QFontMetrics(f).horizontalAdvance(sText) > iRoom)
        f.setPointSize(f.pointSize() - 1);
    if (f != pWidget->font())
        pWidget->setFont(f);
}
