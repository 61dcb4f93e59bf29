#include "items/wdtseparator.h"

#include <QFrame>
#include <QResizeEvent>

CWdtSeparator::CWdtSeparator(QWidget* pParent) : QWidget(pParent) {
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("CWdtSeparator"));
    resize(1000, 20);
    setMinimumSize(1000, 20);
    setMaximumSize(16777215, 20);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    QFont f = font();
    f.setPointSize(12);
    setFont(f);
    ln_separator = new QFrame(this);
    ln_separator->setObjectName(QStringLiteral("ln_separator"));
    ln_separator->setGeometry(9, 10, 980, 3);
    ln_separator->setMinimumSize(980, 3);
    ln_separator->setMaximumSize(16777215, 3);
    ln_separator->setFrameShape(QFrame::HLine);
    ln_separator->setFrameShadow(QFrame::Raised);
    ln_separator->setMidLineWidth(3);
}

void CWdtSeparator::resizeEvent(QResizeEvent* pEvent) {
    ln_separator->resize(pEvent->size().width() - 20, ln_separator->height());
    QWidget::resizeEvent(pEvent);
}
