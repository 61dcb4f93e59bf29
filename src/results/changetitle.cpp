#include "results/changetitle.h"

#include "items/linevalidator.h"
#include "items/reportitemwidget.h"

#include <QLineEdit>
#include <QPushButton>

CChangeTitle::CChangeTitle(const QString& title, QWidget* pParent)
    : QDialog(pParent, Qt::Dialog), sTitle(title) {
    setObjectName(QStringLiteral("CChangeTitle"));
    resize(380, 75);
    setFixedSize(380, 75);
    setWindowTitle(QStringLiteral("Изменить заголовок столбца"));

    edt_title = new QLineEdit(sTitle, this);
    keepOneLine(edt_title);
    placeFixed(edt_title, QStringLiteral("edt_title"), 5, 5, 370, 30);

    btn_enter = new QPushButton(QStringLiteral("Ввод"), this);
    placeFixed(btn_enter, QStringLiteral("btn_enter"), 60, 40, 100, 30);
    // Enter in the text field is handled by the field itself; the button
    // must not also take it as the dialog's default.
    btn_enter->setAutoDefault(false);

    btn_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    placeFixed(btn_cancel, QStringLiteral("btn_cancel"), 220, 40, 100, 30);
    btn_cancel->setAutoDefault(false);

    connect(btn_enter, &QPushButton::clicked, this, &CChangeTitle::slot_btn_enter_clicked);
    connect(edt_title, &QLineEdit::returnPressed, this, &CChangeTitle::slot_btn_enter_clicked);
    connect(btn_cancel, &QPushButton::clicked, this, &CChangeTitle::reject);
}

void CChangeTitle::slot_btn_enter_clicked() {
    sTitle = edt_title->text();
    emit titleChanged(sTitle);
    accept();
}
