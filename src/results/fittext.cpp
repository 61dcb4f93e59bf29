#include "results/fittext.h"

#include <QWidget>

void fitTextToWidth(QWidget* pWidget) {
    QFont font = pWidget->font();
    while (font.pointSize() > 8 && pWidget->sizeHint().width() > pWidget->width()) {
        font.setPointSize(font.pointSize() - 1);
        pWidget->setFont(font);
    }
}
