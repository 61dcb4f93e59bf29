#pragma once

#include "document/sectionrecords.h"
#include "items/extitem.h"

#include <QList>

#include <functional>

// The control methods selector: one method per row, each row a fixed-choice
// combo box offering the method names. A new row starts on the first method
// that no row shows yet. The number of rows is announced with
// listItemsWidgetChanged(int), a row showing another method with
// setOfSelectedItemsChanged().
class CMethodsSet : public CExtStrSet {
    Q_OBJECT
public:
    CMethodsSet(QWidget* pParent, int iNum, const QString& sName, const QStringList& list);

    // The first choice, in list order, that no row shows; empty when there
    // are no rows or every choice is shown.
    QString firstFreeChoice() const;
    // The index in the choices of every row's current method, in row order,
    // rows without a current method skipped; returns their number.
    int selectedIndexes(QList<int>& out) const;
    // Shows the choice index in row iRow without announcing it.
    void restoreRow(int iRow, int index);
    MethodsRecord record() const { return {iNumber, sItemName, currentTexts()}; }
    void setRecord(const MethodsRecord& record);
    // Asked before "-" removes the last row; false keeps it.
    void setRemovalCheck(std::function<bool()> fnCheck) { fnRemovalCheck = std::move(fnCheck); }

signals:
    void setOfSelectedItemsChanged();

protected:
    void addSubItem() override;
    void destroySubItem(QWidget* w) override;
    void refillSubItems() override;
    bool mayDeleteLastSubItem() override { return !fnRemovalCheck || fnRemovalCheck(); }

private:
    std::function<bool()> fnRemovalCheck;
};

