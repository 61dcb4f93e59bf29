#pragma once

#include "document/sectionrecords.h"
#include "items/extitem.h"

// A list section whose sub-items are editable combo boxes that learn new
// entries: a text entered in any of them joins the choices of all. The
// "Удалить пункт" button, visible while the last sub-item shows a non-blank
// entry, deletes that entry from the choices once the user agrees; the
// sub-items that showed it become blank, the others keep their choice.
class CEditableSet : public CExtStrSet {
    Q_OBJECT
public:
    CEditableSet(QWidget* pParent, int iNum, const QString& sName, const QStringList& list);

    // The record of what is shown; texts typed but not entered join its
    // choices, as merging them would.
    EditableSetRecord record() const;
    void setRecord(const EditableSetRecord& record);

signals:
    // An entry was entered into a sub-item, or deleted from the choices.
    void choiceAdded(const QString& s);
    void choiceDeleted(const QString& s);

public slots:
    virtual void slot_newItemAdded(const QString& s);
    virtual void slot_comboBoxIndexChanged(int index);
    virtual void slot_comboBoxItemDeleted();

protected:
    void addSubItem() override;
    void destroySubItem(QWidget* w) override;
    void refillSubItems() override;

private:
    void updateDeleteButton(bool bForce);

    // While the sub-items are refilled their index passes through -1 and the
    // blank entry; the delete-entry button follows only the final state.
    bool bRefilling = false;
};

