#include "results/enternumber.h"

#include "items/reportitemwidget.h"

#include "items/fontfit.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

CEnterNumber::CEnterNumber(int position, QWidget* pParent, Qt::WindowFlags eFlags)
    : QDialog(pParent, eFlags), iPosition(position) {
    setObjectName(QStringLiteral("CEnterNumber"));
    resize(350, 90);
    setFixedSize(350, 90);
    setWindowTitle(QStringLiteral("Вставить N строк"));

    lbl_description = new QLabel(QStringLiteral("Укажите число строк для вставки:"), this);
    placeFixed(lbl_description, QStringLiteral("lbl_description"), 10, 10, 260, 30);
    lbl_description->setAlignment(Qt::AlignCenter);
    shrinkFontToFit(lbl_description);

    spb_number = new QSpinBox(this);
    placeFixed(spb_number, QStringLiteral("spb_number"), 280, 10, 60, 30);
    spb_number->setRange(1, 100);
    spb_number->setValue(1);

    btn_ok = new QPushButton(QStringLiteral("OK"), this);
    placeFixed(btn_ok, QStringLiteral("btn_ok"), 50, 50, 100, 30);

    btn_escape = new QPushButton(QStringLiteral("Отмена"), this);
    placeFixed(btn_escape, QStringLiteral("btn_escape"), 200, 50, 100, 30);

    connect(btn_ok, &QPushButton::clicked, this, &CEnterNumber::slot_numberEntered);
    connect(btn_escape, &QPushButton::clicked, this, &CEnterNumber::reject);
}

void CEnterNumber::slot_numberEntered() {
    emit numberEntered(iPosition, spb_number->value());
    accept();
}
