#include "commands/newitem.h"

#include "base/userdialogs.h"
#include "items/linevalidator.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QSpinBox>

namespace {
constexpr int g_iWidest = 16777215; // QWIDGETSIZE_MAX
}

CNewItem::CNewItem(QWidget* pParent) : QWidget(pParent) {
    setObjectName(QStringLiteral("CNewItem"));
    setWindowFlags(windowFlags() | Qt::Window);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Добавление пункта"));
    resize(750, 130);
    setMinimumSize(750, 130);
    setMaximumSize(1280, 130);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    QFont font = this->font();
    font.setPointSize(12);
    setFont(font);

    gridLayout = new QGridLayout(this);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));

    lbl_number = new QLabel(QStringLiteral("№"), this);
    lbl_number->setObjectName(QStringLiteral("lbl_number"));
    lbl_number->setFixedSize(70, 30);
    lbl_number->setAlignment(Qt::AlignCenter);
    gridLayout->addWidget(lbl_number, 0, 0);

    lbl_name = new QLabel(QStringLiteral("Название"), this);
    lbl_name->setObjectName(QStringLiteral("lbl_name"));
    lbl_name->setMinimumSize(300, 30);
    lbl_name->setMaximumSize(g_iWidest, 30);
    lbl_name->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lbl_name->setAlignment(Qt::AlignCenter);
    gridLayout->addWidget(lbl_name, 0, 1, 1, 2);

    lbl_value = new QLabel(QStringLiteral("Текст"), this);
    lbl_value->setObjectName(QStringLiteral("lbl_value"));
    lbl_value->setMinimumSize(300, 30);
    lbl_value->setMaximumSize(g_iWidest, 30);
    lbl_value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lbl_value->setAlignment(Qt::AlignCenter);
    gridLayout->addWidget(lbl_value, 0, 3, 1, 2);

    spb_number = new QSpinBox(this);
    spb_number->setObjectName(QStringLiteral("spb_number"));
    spb_number->setMinimumSize(70, 30);
    spb_number->setMaximumSize(g_iWidest, 30);
    spb_number->setRange(0, 100);
    spb_number->setValue(0);
    gridLayout->addWidget(spb_number, 1, 0);

    edt_name = new QLineEdit(this);
    edt_name->setObjectName(QStringLiteral("edt_name"));
    edt_name->setMinimumSize(300, 30);
    edt_name->setMaximumSize(g_iWidest, 30);
    edt_name->setAlignment(Qt::AlignCenter);
    keepOneLine(edt_name);
    gridLayout->addWidget(edt_name, 1, 1, 1, 2);

    edt_value = new QLineEdit(this);
    edt_value->setObjectName(QStringLiteral("edt_value"));
    edt_value->setMinimumSize(300, 30);
    edt_value->setMaximumSize(g_iWidest, 30);
    edt_value->setAlignment(Qt::AlignCenter);
    keepOneLine(edt_value);
    gridLayout->addWidget(edt_value, 1, 3, 1, 2);

    gridLayout->addItem(new QSpacerItem(194, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 2,
                        1);
    btn_addItem = new QPushButton(QStringLiteral("Добавить пункт"), this);
    btn_addItem->setObjectName(QStringLiteral("btn_addItem"));
    btn_addItem->setFixedSize(250, 30);
    gridLayout->addWidget(btn_addItem, 2, 2, 1, 2);
    gridLayout->addItem(new QSpacerItem(194, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 2,
                        4);

    connect(btn_addItem, &QPushButton::clicked, this, &CNewItem::slot_newItem_clicked);
}

void CNewItem::setMaximum(int n) {
    if (n > 0)
        spb_number->setMaximum(n);
}

void CNewItem::slot_newItem_clicked() {
    const int iNum = spb_number->value();
    const QString sName = edt_name->text();
    const QString sValue = edt_value->text();
    const QString sTitle = QStringLiteral("Добавить новый пункт");
    if (iNum == 0) {
        CUserDialogs::warning(this, sTitle,
                              QStringLiteral("Неправильный номер - %1! Для добавления нового "
                                             "пункта к отчету\nнеобходимо ввести другое значение.")
                                  .arg(iNum));
        return;
    }
    if (sName.isEmpty()) {
        CUserDialogs::warning(this, sTitle, QStringLiteral("Не указано имя нового пункта!"));
        return;
    }
    emit addNewItem(iNum, sName, sValue);
}

void CNewItem::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
        slot_newItem_clicked();
        return;
    }
    QWidget::keyPressEvent(pEvent);
}
