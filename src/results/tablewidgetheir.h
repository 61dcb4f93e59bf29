#pragma once

#include "document/sectionrecords.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableWidget>

class QAction;
class QLineEdit;
class QMenu;

// The grid in which results are typed. Adds copying and pasting of
// rectangular blocks of cells through the system clipboard, as plain text
// with tabs between the cells of a row and line feeds between rows.
class CTableWidgetHeir : public QTableWidget {
    Q_OBJECT
public:
    explicit CTableWidgetHeir(QWidget* pParent = nullptr);

    // The most rows and columns a paste grows the table to.
    static constexpr int iMaxRows = iMaxTableRows;
    static constexpr int iMaxColumns = iMaxTableColumns;

    // The menu shown over the cells: "Копировать" then "Вставить". The
    // caller owns the menu (it is parented to the table).
    QMenu* buildCellMenu();

    QAction* copyAction() const { return pCopyAct; }
    QAction* pasteAction() const { return pPasteAct; }

    // The text typed into the cell being edited, not yet in the cell: true
    // and the cell's place when an editor is open.
    bool pendingEdit(int* pRow, int* pColumn, QString* pText) const;
    // What the open editor holds goes into its cell, the editor staying open.
    void commitPendingEdit();
    // A cell's editor was opened (by the item delegate) on index.
    void trackEditor(QLineEdit* pEditor, const QModelIndex& index);

signals:
    // What the open editor holds changed, or the editor closed: the
    // protocol may differ from the one saved though no cell changed yet.
    void pendingEditChanged();

    // A paste needs at least iRows rows and iColumns columns; the owner
    // appends them as its own commands do (the table grows itself when
    // nobody does).
    void growthNeeded(int iRows, int iColumns);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private slots:
    virtual void slot_copy();
    virtual void slot_paste();

private:
    // The first selected range, or the empty range when nothing is selected.
    QTableWidgetSelectionRange selectedBlock() const;
    // Makes room for a block of iRows × iColumns at (iTop, iLeft), within
    // the limits.
    void growFor(int iTop, int iLeft, int iRows, int iColumns);

    QAction* pCopyAct;
    QAction* pPasteAct;
    QPointer<QLineEdit> pOpenEditor;
    QPersistentModelIndex openIndex;
};
