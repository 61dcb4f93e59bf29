#include "items/editableset.h"
#include "items/fontfit.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "items/comboboxheir.h"

#include <QDataStream>
#include <QLabel>
#include <QToolButton>

CEditableSet::CEditableSet(QWidget* pParent, int iNum, const QString& sName,
                           const QStringList& list)
    : CExtStrSet(pParent, iNum, sName, list) {
    setChoices(list);
    addFirstSubItem();
    connect(btn_deleteItem, &QToolButton::clicked, this, &CEditableSet::slot_comboBoxItemDeleted);
}

void CEditableSet::addSubItem() {
    auto pCombo = new CComboBoxEditableHeir(this, lstChoices);
    matchFont(pCombo, lbl_name);
    pCombo->setMinimumSize(g_szEditorMin);
    pCombo->setMaximumSize(g_szEditorMax);
    pCombo->setVisible(true);
    pCombo->setFocusPolicy(Qt::StrongFocus);
    pCombo->installEventFilter(this);
    connect(pCombo, &CComboBoxEditableHeir::newStringAdded, this, &CEditableSet::slot_newItemAdded);
    connect(pCombo, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CEditableSet::slot_comboBoxIndexChanged);
    // only the last sub-item drives the delete-entry button
    if (!lstSubItems.isEmpty())
        disconnect(subCombo(lstSubItems.size() - 1),
                   qOverload<int>(&QComboBox::currentIndexChanged), this,
                   &CEditableSet::slot_comboBoxIndexChanged);
    lstSubItems.append(pCombo);
    updateDeleteButton(true);
}

void CEditableSet::destroySubItem(QWidget* w) {
    if (!w)
        return;
    disconnect(static_cast<QComboBox*>(w), qOverload<int>(&QComboBox::currentIndexChanged), this,
               &CEditableSet::slot_comboBoxIndexChanged);
    delete w;
    if (!lstSubItems.isEmpty())
        connect(subCombo(lstSubItems.size() - 1), qOverload<int>(&QComboBox::currentIndexChanged),
                this, &CEditableSet::slot_comboBoxIndexChanged, Qt::UniqueConnection);
    updateDeleteButton(true);
}

void CEditableSet::refillSubItems() {
    const bool bWasRefilling = bRefilling;
    bRefilling = true;
    for (QWidget* w : std::as_const(lstSubItems))
        static_cast<CComboBoxEditableHeir*>(w)->setItems(lstChoices);
    bRefilling = bWasRefilling;
    if (!bRefilling)
        updateDeleteButton(false);
}

void CEditableSet::updateDeleteButton(bool bForce) {
    if (lstSubItems.isEmpty())
        return;
    const QComboBox* pLast = subCombo(lstSubItems.size() - 1);
    const bool bShow = pLast->currentIndex() > 0;
    const bool bChanged = btn_deleteItem->isHidden() == bShow;
    btn_deleteItem->setVisible(bShow);
    btn_deleteItem->setToolTip(g_sDeleteReferenceTip.arg(pLast->currentText()));
    if (bChanged || bForce)
        updateHeight();
}

void CEditableSet::slot_comboBoxIndexChanged(int) {
    if (!bRefilling)
        updateDeleteButton(false);
}

void CEditableSet::slot_newItemAdded(const QString& s) {
    if (lstChoices.contains(s))
        return;
    setChoices(lstChoices + QStringList{s});
    emit choiceAdded(s);
}

void CEditableSet::slot_comboBoxItemDeleted() {
    if (lstSubItems.isEmpty())
        return;
    const int index = subCombo(lstSubItems.size() - 1)->currentIndex();
    if (index <= 0 || index > lstChoices.size())
        return;
    // the entry asked about, by name: the choices may change while the
    // question is open, and the answer is about this one
    const QString sName = lstChoices.at(index - 1);
    if (!CUserDialogs::confirm(this, g_sDeleteReferenceTitle,
                               g_sDeleteReferenceQuestion.arg(sName)))
        return;
    for (int i = 0; i < lstSubItems.size(); ++i) {
        QComboBox* pCombo = subCombo(i);
        if (pCombo->currentIndex() <= 0 || pCombo->currentText() != sName)
            continue;
        pCombo->setCurrentIndex(0);
        pCombo->setEditText(QString());
    }
    lstChoices.removeAll(sName);
    refillSubItems(); // the others find their text again
    emit choiceDeleted(sName);
}

namespace {
// The choices with the texts not among them yet, in order, once each.
QStringList withTexts(const QStringList& lstChoices, const QStringList& lstTexts) {
    QStringList lst = lstChoices;
    for (const QString& s : lstTexts) {
        if (!s.isEmpty() && !lst.contains(s))
            lst.append(s);
    }
    return lst;
}
} // namespace

EditableSetRecord CEditableSet::record() const {
    const QStringList lstTexts = currentTexts();
    return {iNumber, sItemName, lstTexts, withTexts(lstChoices, lstTexts)};
}

void CEditableSet::setRecord(const EditableSetRecord& record) {
    setNumber(record.iNum);
    setName(record.sName);
    addChoices(record.lstChoices);
    setSelectedTexts(record.lstTexts);
}
