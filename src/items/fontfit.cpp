#include "items/fontfit.h"

#include <QWidget>

void shrinkFontToFit(QWidget* pWidget) {
    QFont f = pWidget->font();
    while (f.pointSize() > 7 && pWidget->sizeHint().width() > pWidget->width()) {
        f.setPointSize(f.pointSize() - 1);
        pWidget->setFont(f);
    }
}
