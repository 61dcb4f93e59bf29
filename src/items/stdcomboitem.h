#pragma once

#include "document/sectionrecords.h"
#include "items/reportitemwidget.h"

#include <QStringList>
class CComboBoxEditableHeir;
class QLabel;
class QToolButton;

// A numbered item whose value is chosen from a list that grows with use:
// the user picks an earlier entry or types a new one, and may delete the
// entry currently chosen. The item does not own the list: every entry added
// or deleted and every change of choice is announced to the owner.
//
// Entry 0 of the combo box is blank (a new text typed by the user); entry
// k stands for choices()[k - 1].
class CStdComboItem : public CReportItemWidget {
    Q_OBJECT
public:
    CStdComboItem(QWidget* pParent, int iNum, const QString& sName, const QStringList& list);
    ~CStdComboItem() override;

    void setNumber(int iNum) override;
    void setName(const QString& sName) override;

    // Replaces the list offered after the blank entry; the current or typed
    // text survives where it can.
    void setChoices(const QStringList& list);
    // Appends the non-empty entries of list that are not offered yet.
    void addChoices(const QStringList& list);
    // Selects sValue: blank for an empty text, the matching entry otherwise;
    // a text that is not offered yet is added to the choices first.
    void setValue(const QString& sValue);
    // Takes the combo box's current text as the value; a new text joins the
    // choices. Nothing is announced.
    void commitValue();

    QString value() const { return sValue; }
    // The text the item shows and prints, entered or still being typed.
    QString valueText() const;
    QStringList choices() const { return lstChoices; }

    // The record of what is shown: a text typed but not entered is the
    // value, and joins the choices, as committing it would.
    ComboItemRecord record() const;
    void setRecord(const ComboItemRecord& record);

    // Deletes the chosen entry from the list without asking; the item then
    // shows its blank entry, never another one (nothing when the blank
    // entry is current).
    void deleteCurrentChoice();
    // Deletes the entry sName from the list; the item shows its blank entry
    // when it was the one chosen.
    void deleteChoice(const QString& sName);

signals:
    void stringListItemAdded(const QString& s);
    // s was removed from the list; iIndex is the list position of the entry
    // current afterwards: -1, the blank entry.
    void stringListItemDeleted(const QString& s, int iIndex);
    void currentIndexChanged(int index);

public slots:
    // Deletes the chosen entry once the user agrees.
    virtual void slot_btn_deleteItem_clicked();

protected slots:
    virtual void slot_newItemAdded(const QString& s);
    virtual void slot_onIndexChanged(int index);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void updateValueWidth();
    void updateDeleteButton();
    void layOut();

    QLabel* lbl_num;
    QLabel* lbl_name;
    CComboBoxEditableHeir* cmb_values;
    QToolButton* btn_deleteItem;

    QString sValue;
    QStringList lstChoices;
    int iNameWidth = 0;
    int iValueWidth = 0;
};
