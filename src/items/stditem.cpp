#include "items/stditem.h"

#include "items/fontfit.h"
#include "items/linevalidator.h"

#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

CStdItem::CStdItem(QWidget* pParent, int iNum, const QString& sName, const QString& sValue,
                   bool bDeletable, int iWidthFactor)
    : CReportItemWidget(pParent) {
    setUpLineForm(this, QStringLiteral("CStdItem"));

    lbl_num = createNumberLabel(this);

    lbl_name = createNameLabel(this, 750);

    edt_value = new QLineEdit(this);
    edt_value->setObjectName(QStringLiteral("edt_value"));
    edt_value->setGeometry(360, 0, 510, 30);
    edt_value->setMinimumSize(200, 30);
    edt_value->setMaximumSize(16777215, 30);
    keepOneLine(edt_value);

    btn_deleteItem = new QToolButton(this);
    btn_deleteItem->setObjectName(QStringLiteral("btn_deleteItem"));
    btn_deleteItem->setGeometry(880, 0, 120, 30);
    btn_deleteItem->setFixedSize(120, 30);
    btn_deleteItem->setText(QStringLiteral("Удалить пункт"));
    shrinkFontToFit(btn_deleteItem);

    connect(edt_value, &QLineEdit::returnPressed, this, &CStdItem::slot_edt_value_returnPressed);
    connect(btn_deleteItem, &QToolButton::clicked, this, &CStdItem::slot_btn_deleteItem_clicked);

    this->iWidthFactor = iWidthFactor;
    iValueWidth = edt_value->minimumWidth() * iWidthFactor;
    setNumber(iNum);
    setName(sName);
    setValue(sValue);
    this->bDeletable = bDeletable;
    btn_deleteItem->setVisible(bDeletable);
    layOut();
}

void CStdItem::setNumber(int iNum) {
    iNumber = iNum;
    lbl_num->setText(iNum == 0 ? QString() : QString::number(iNum));
}

void CStdItem::setName(const QString& sName) {
    sItemName = sName;
    lbl_name->setText(sName);
    iNameWidth = fitTextWidth(lbl_name, sName, lbl_name->minimumWidth());
    // the item leaves the protocol, not a reference list
    btn_deleteItem->setToolTip(QStringLiteral("Удалить пункт «%1» из протокола").arg(sName));
    layOut();
}

void CStdItem::setValue(const QString& sValue) {
    this->sValue = sValue;
    edt_value->setText(sValue);
    iValueWidth = fitTextWidth(edt_value, sValue, edt_value->minimumWidth() * iWidthFactor);
    layOut();
}

void CStdItem::commitValue() {
    sValue = edt_value->text();
}

QString CStdItem::valueText() const {
    return edt_value->text();
}

void CStdItem::slot_edt_value_returnPressed() {
    setValue(edt_value->text());
}

void CStdItem::slot_btn_deleteItem_clicked() {
    emit deleteItem(this);
}

void CStdItem::resizeEvent(QResizeEvent* pEvent) {
    CReportItemWidget::resizeEvent(pEvent);
    layOut();
}

void CStdItem::layOut() {
    lbl_num->setGeometry(0, 0, 40, 30);
    const int xName = lbl_num->width() + 10;
    lbl_name->setGeometry(xName, 0, iNameWidth, 30);
    const int x = xName + iNameWidth + 10;
    if (bDeletable) {
        int vw = iValueWidth;
        if (width() - vw - x - 10 < btn_deleteItem->width())
            vw = width() - btn_deleteItem->width() - x - 10;
        edt_value->setGeometry(x, 0, vw, 30);
        btn_deleteItem->move(x + vw + 10, 0);
    } else {
        edt_value->setGeometry(x, 0, iValueWidth, 30);
    }
}

StdItemRecord CStdItem::record() const {
    return {iNumber, sItemName, valueText()};
}

void CStdItem::setRecord(const StdItemRecord& record) {
    setNumber(record.iNum);
    setName(record.sName);
    setValue(record.sValue);
}
