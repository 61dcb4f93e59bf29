#include "items/comboboxheir.h"

#include "items/linevalidator.h"

#include <QLineEdit>

CComboBoxClassicHeir::CComboBoxClassicHeir(QWidget* pParent, const QStringList& list,
                                           const QString& sSelected)
    : CComboBoxHeir(pParent) {
    setEditable(false);
    setItems(list);
    selectText(sSelected);
}

void CComboBoxClassicHeir::setItems(const QStringList& list) {
    const QString sCurrent = currentText();
    clear();
    addItems(list);
    selectText(sCurrent);
}

void CComboBoxClassicHeir::selectText(const QString& sText) {
    if (sText.isEmpty())
        return;
    const int i = findText(sText, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0)
        setCurrentIndex(i);
}

CComboBoxEditableHeir::CComboBoxEditableHeir(QWidget* pParent, const QStringList& list)
    : CComboBoxHeir(pParent) {
    setItems(list);
    connect(this, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CComboBoxEditableHeir::slot_currentIndexChanged);
}

void CComboBoxEditableHeir::setItems(const QStringList& list) {
    const QString sCurrent = currentText();
    const int iPos = list.indexOf(sCurrent);
    clear();
    insertItem(0, QString());
    becomeEditable();
    lstEntries = list;
    addItems(list);
    if (iPos < 0) {
        setCurrentIndex(0);
        // text typed but not yet entered survives a refill
        if (!sCurrent.isEmpty())
            setEditText(sCurrent);
    } else {
        setCurrentIndex(iPos + 1);
    }
}

void CComboBoxEditableHeir::becomeEditable() {
    // a new editor each time the box was not editable; given directly, not
    // through setEditable, which makes the box's list at once
    if (!isEditable())
        setLineEdit(new QLineEdit(this));
    keepOneLine(this);
}

void CComboBoxEditableHeir::slot_currentIndexChanged(int index) {
    if (index < 0)
        return;
    if (index == 0) {
        becomeEditable();
        return;
    }
    const QString sText = itemText(index);
    setEditable(false);
    if (count() == index + 1 && lstEntries.size() < count() - 1) {
        lstEntries.append(sText);
        emit newStringAdded(sText);
    }
}
