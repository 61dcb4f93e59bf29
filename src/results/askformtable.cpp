#include "results/askformtable.h"

#include "items/fontfit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

CAskFormTable::CAskFormTable(QWidget* pParent) : QWidget(pParent) {
    setObjectName(QStringLiteral("CAskFormTable"));
    resize(520, 30);
    setMinimumSize(0, 30);
    setMaximumSize(16777215, 30);
    QFont font = this->font();
    font.setPointSize(12);
    setFont(font);
    setWindowTitle(QString());

    btn_fill = new QPushButton(QStringLiteral("Сформировать"), this);
    btn_fill->setObjectName(QStringLiteral("btn_fill"));
    btn_fill->setGeometry(0, 0, 120, 30);
    btn_fill->setFixedSize(120, 30);

    label_1 = new QLabel(QStringLiteral("на основании"), this);
    label_1->setObjectName(QStringLiteral("label_1"));
    label_1->setGeometry(130, 0, 100, 30);
    label_1->setFixedSize(100, 30);
    label_1->setAlignment(Qt::AlignCenter);

    cmb_methods = new QComboBox(this);
    cmb_methods->setObjectName(QStringLiteral("cmb_methods"));
    cmb_methods->setEditable(false);
    cmb_methods->setGeometry(240, 0, 200, 30);
    cmb_methods->setMinimumSize(200, 30);
    cmb_methods->setMaximumSize(300, 30);
    cmb_methods->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);

    label_2 = new QLabel(QStringLiteral("контроля"), this);
    label_2->setObjectName(QStringLiteral("label_2"));
    label_2->setGeometry(440, 0, 80, 30);
    label_2->setFixedSize(80, 30);
    label_2->setAlignment(Qt::AlignCenter);

    for (QWidget* pCaption : {static_cast<QWidget*>(btn_fill), static_cast<QWidget*>(label_1),
                              static_cast<QWidget*>(label_2)})
        shrinkFontToFit(pCaption);

    connect(btn_fill, &QPushButton::clicked, this, &CAskFormTable::slot_fillTable_clicked);
}

void CAskFormTable::setMethods(const QStringList& list) {
    cmb_methods->clear();
    if (!list.isEmpty())
        cmb_methods->addItems(list);
}

void CAskFormTable::resizeEvent(QResizeEvent* pEvent) {
    // The combo box grows with the panel up to its maximum width, and the
    // closing label stays right after it.
    const int x = cmb_methods->x();
    const int iWidth =
        qMin(cmb_methods->maximumWidth(), pEvent->size().width() - x - label_2->width());
    cmb_methods->resize(iWidth, 30);
    label_2->move(x + cmb_methods->width(), 0);
    QWidget::resizeEvent(pEvent);
}

void CAskFormTable::slot_fillTable_clicked() {
    const QString sMethod = cmb_methods->currentText();
    if (!sMethod.isEmpty())
        emit loadResTable(sMethod);
}
