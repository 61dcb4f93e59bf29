#include "items/methodsset.h"
#include "items/fontfit.h"

#include "base/constants.h"
#include "items/comboboxheir.h"

#include <QDataStream>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>

CMethodsSet::CMethodsSet(QWidget* pParent, int iNum, const QString& sName, const QStringList& list)
    : CExtStrSet(pParent, iNum, sName, list) {
    setChoices(list);
    addFirstSubItem();
}

void CMethodsSet::addSubItem() {
    const QString s = firstFreeChoice();
    auto pCombo = new CComboBoxClassicHeir(this, lstChoices, s);
    matchFont(pCombo, lbl_name);
    pCombo->setMinimumSize(g_szEditorMin);
    pCombo->setMaximumSize(g_szEditorMax);
    pCombo->setVisible(true);
    pCombo->installEventFilter(this);
    // connected once filled, so that filling announces nothing
    connect(pCombo, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CMethodsSet::setOfSelectedItemsChanged);
    appendPlacedSubItem(pCombo);
}

void CMethodsSet::destroySubItem(QWidget* w) {
    delete w;
}

void CMethodsSet::refillSubItems() {
    for (QWidget* w : std::as_const(lstSubItems))
        static_cast<CComboBoxClassicHeir*>(w)->setItems(lstChoices);
}

QString CMethodsSet::firstFreeChoice() const {
    if (lstSubItems.isEmpty())
        return QString();
    const QStringList lstShown = currentTexts();
    for (const QString& s : lstChoices) {
        if (!lstShown.contains(s))
            return s;
    }
    return QString();
}

int CMethodsSet::selectedIndexes(QList<int>& out) const {
    out.clear();
    for (int i = 0; i < lstSubItems.size(); ++i) {
        const int index = subCombo(i)->currentIndex();
        if (index >= 0)
            out.append(index);
    }
    return out.size();
}

void CMethodsSet::restoreRow(int iRow, int index) {
    if (iRow < 0 || iRow >= lstSubItems.size())
        return;
    const QSignalBlocker blocker(subCombo(iRow));
    subCombo(iRow)->setCurrentIndex(index);
}

void CMethodsSet::setRecord(const MethodsRecord& record) {
    setNumber(record.iNum);
    setName(record.sName);
    setSelectedTexts(record.lstTexts);
}
