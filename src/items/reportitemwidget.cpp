#include "items/reportitemwidget.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

int roundUpToTen(int iWidth) {
    return iWidth % 10 == 0 ? iWidth : (iWidth / 10 + 1) * 10;
}

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

void setUpLineForm(QWidget* pForm, const QString& sObjectName) {
    if (pForm->objectName().isEmpty())
        pForm->setObjectName(sObjectName);
    pForm->resize(1000, 30);
    pForm->setMinimumSize(1000, 30);
    pForm->setMaximumSize(16777215, 30);
    pForm->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    setPointSize(pForm, 12);
    pForm->setWindowTitle(QStringLiteral("Form"));
}

QLabel* createNumberLabel(QWidget* pParent) {
    auto pLabel = new QLabel(pParent);
    pLabel->setObjectName(QStringLiteral("lbl_num"));
    pLabel->setGeometry(0, 0, 40, 30);
    pLabel->setFixedSize(40, 30);
    pLabel->setAlignment(Qt::AlignCenter);
    return pLabel;
}

QLabel* createNameLabel(QWidget* pParent, int iMaxWidth) {
    auto pLabel = new QLabel(pParent);
    pLabel->setObjectName(QStringLiteral("lbl_name"));
    pLabel->setGeometry(50, 0, 300, 30);
    pLabel->setMinimumSize(200, 30);
    pLabel->setMaximumSize(iMaxWidth, 30);
    pLabel->setAlignment(Qt::AlignCenter);
    pLabel->setTextFormat(Qt::PlainText); // a caption is what was typed or read
    return pLabel;
}

void placeFixed(QWidget* pWidget, const QString& sName, int x, int y, int w, int h) {
    pWidget->setObjectName(sName);
    pWidget->setGeometry(x, y, w, h);
    pWidget->setFixedSize(w, h);
    setPointSize(pWidget, 12);
}
