#include "items/stdcomboitem.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "items/comboboxheir.h"
#include "items/fontfit.h"

#include <QDataStream>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

CStdComboItem::CStdComboItem(QWidget* pParent, int iNum, const QString& sName,
                             const QStringList& list)
    : CReportItemWidget(pParent) {
    setUpLineForm(this, QStringLiteral("CStdComboItem"));

    lbl_num = createNumberLabel(this);

    lbl_name = createNameLabel(this, 750);

    cmb_values = new CComboBoxEditableHeir(this, QStringList());
    cmb_values->setObjectName(QStringLiteral("cmb_values"));
    cmb_values->setGeometry(360, 0, 300, 30);
    cmb_values->setMinimumSize(300, 30);
    cmb_values->setMaximumSize(750, 30);
    cmb_values->setFocusPolicy(Qt::StrongFocus);

    btn_deleteItem = new QToolButton(this);
    btn_deleteItem->setObjectName(QStringLiteral("btn_deleteItem"));
    btn_deleteItem->setGeometry(670, 0, 120, 30);
    btn_deleteItem->setFixedSize(120, 30);
    btn_deleteItem->setText(QStringLiteral("Удалить пункт"));
    shrinkFontToFit(btn_deleteItem);

    connect(btn_deleteItem, &QToolButton::clicked, this,
            &CStdComboItem::slot_btn_deleteItem_clicked);

    iValueWidth = cmb_values->minimumWidth();
    iNumber = iNum;
    if (iNum != 0)
        lbl_num->setText(QString::number(iNum));
    setName(sName);
    setChoices(list);

    connect(cmb_values, &CComboBoxEditableHeir::newStringAdded, this,
            &CStdComboItem::slot_newItemAdded);
    connect(cmb_values, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CStdComboItem::slot_onIndexChanged);
    cmb_values->installEventFilter(this);

    updateDeleteButton();
}

CStdComboItem::~CStdComboItem() {
    // the combo box dies after this object; it must not call back into it
    cmb_values->disconnect(this);
    cmb_values->removeEventFilter(this);
}

void CStdComboItem::setNumber(int iNum) {
    iNumber = iNum;
    if (iNum != 0)
        lbl_num->setText(QString::number(iNum));
}

void CStdComboItem::setName(const QString& sName) {
    sItemName = sName;
    lbl_name->setText(sName);
    iNameWidth = fitTextWidth(lbl_name, sName, lbl_name->minimumWidth());
    layOut();
}

QString CStdComboItem::valueText() const {
    return cmb_values->currentText();
}

void CStdComboItem::setChoices(const QStringList& list) {
    lstChoices = list;
    cmb_values->setItems(lstChoices);
    updateValueWidth();
}

void CStdComboItem::addChoices(const QStringList& list) {
    QStringList lstNew = lstChoices;
    for (const QString& s : list) {
        if (!s.isEmpty() && !lstNew.contains(s))
            lstNew.append(s);
    }
    setChoices(lstNew);
}

void CStdComboItem::setValue(const QString& sNewValue) {
    if (sNewValue.isEmpty()) {
        cmb_values->setItemText(0, sNewValue);
        cmb_values->setCurrentIndex(0);
        // text typed over the blank entry is cleared as well
        if (cmb_values->isEditable())
            cmb_values->setEditText(sNewValue);
    } else {
        int i = lstChoices.indexOf(sNewValue);
        if (i < 0) {
            setChoices(lstChoices + QStringList{sNewValue});
            i = lstChoices.size() - 1;
        }
        // the new text is chosen, whatever the refill left current
        cmb_values->setCurrentIndex(i + 1);
    }
    sValue = sNewValue;
    updateDeleteButton();
}

// The entry chosen from the list can be deleted from it, and the button says which.
void CStdComboItem::updateDeleteButton() {
    btn_deleteItem->setVisible(!sValue.isEmpty() && cmb_values->currentIndex() > 0);
    btn_deleteItem->setToolTip(g_sDeleteReferenceTip.arg(sValue));
}

void CStdComboItem::commitValue() {
    sValue = cmb_values->currentText();
    if (!sValue.isEmpty() && !lstChoices.contains(sValue))
        setChoices(lstChoices + QStringList{sValue});
}

void CStdComboItem::slot_btn_deleteItem_clicked() {
    const int index = cmb_values->currentIndex();
    if (index <= 0 || index > lstChoices.size())
        return;
    // the entry asked about, by name: the list may change while the
    // question is open, and the answer is about this one
    const QString sName = lstChoices.at(index - 1);
    if (CUserDialogs::confirm(this, g_sDeleteReferenceTitle, g_sDeleteReferenceQuestion.arg(sName)))
        deleteChoice(sName);
}

void CStdComboItem::deleteCurrentChoice() {
    const int index = cmb_values->currentIndex();
    if (index <= 0 || index >= cmb_values->count() || index > lstChoices.size())
        return;
    deleteChoice(lstChoices.at(index - 1));
}

void CStdComboItem::deleteChoice(const QString& sName) {
    // the blank entry first: the owner never sees another entry chosen
    if (cmb_values->currentIndex() > 0 && cmb_values->currentText() == sName)
        setValue(QString());
    QStringList lstNew = lstChoices;
    lstNew.removeAll(sName);
    setChoices(lstNew);
    emit stringListItemDeleted(sName, -1);
}

void CStdComboItem::slot_newItemAdded(const QString& s) {
    if (lstChoices.contains(s))
        return;
    setChoices(lstChoices + QStringList{s});
    emit stringListItemAdded(s);
}

void CStdComboItem::slot_onIndexChanged(int) {
    // The index the combo box reports may be stale: a new entry's
    // announcement can make the owner delete that entry again before this
    // slot runs. The owner is told the index that is current now.
    const int index = cmb_values->currentIndex();
    sValue = cmb_values->currentText();
    updateDeleteButton();
    emit currentIndexChanged(index);
}

bool CStdComboItem::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == cmb_values && pEvent->type() == QEvent::Wheel) {
        // the wheel scrolls the form instead of changing the choice
        pEvent->ignore();
        return true;
    }
    return CReportItemWidget::eventFilter(pWatched, pEvent);
}

void CStdComboItem::resizeEvent(QResizeEvent* pEvent) {
    CReportItemWidget::resizeEvent(pEvent);
    layOut();
}

void CStdComboItem::updateValueWidth() {
    const int iAvail = width() - lbl_num->width() - btn_deleteItem->width() - iNameWidth - 40;
    const QFontMetrics fm(cmb_values->font());
    int a = 0;
    for (const QString& s : lstChoices)
        a = std::max(a, fm.horizontalAdvance(s));
    if (a != 0)
        a = roundUpToTen(a + 20);
    a = std::max(a, cmb_values->minimumWidth());
    iValueWidth = std::min({cmb_values->maximumWidth(), iAvail, a});
    layOut();
}

void CStdComboItem::layOut() {
    const int h = lbl_num->height();
    const int xName = lbl_num->width() + 10;
    lbl_name->setGeometry(xName, 0, iNameWidth, h);
    cmb_values->setGeometry(xName + iNameWidth + 10, 0, iValueWidth, h);
    // the box never gets narrower than its minimum width; the button follows
    // the width it really has
    btn_deleteItem->setGeometry(cmb_values->x() + cmb_values->width() + 10, 0,
                                btn_deleteItem->width(), h);
}

ComboItemRecord CStdComboItem::record() const {
    const QString sShown = valueText();
    QStringList lst = lstChoices;
    if (!sShown.isEmpty() && !lst.contains(sShown))
        lst.append(sShown);
    return {iNumber, sItemName, sShown, lst};
}

void CStdComboItem::setRecord(const ComboItemRecord& record) {
    setNumber(record.iNum);
    setName(record.sName);
    addChoices(record.lstChoices);
    setValue(record.sValue);
}
