#pragma once

#include <QTableWidget>

class QAction;
class QMenu;

// The grid in which results are typed. Adds copying and pasting of
// rectangular blocks of cells through the system clipboard, as plain text
// with tabs between the cells of a row and line feeds between rows.
class CTableWidgetHeir : public QTableWidget {
    Q_OBJECT
public:
    explicit CTableWidgetHeir(QWidget* pParent = nullptr);

    // The menu shown over the cells: "Копировать" then "Вставить". The
    // caller owns the menu (it is parented to the table).
    QMenu* buildCellMenu();

    QAction* copyAction() const { return pCopyAct; }
    QAction* pasteAction() const { return pPasteAct; }

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private slots:
    virtual void slot_copy();
    virtual void slot_paste();

private:
    // The first selected range, or the empty range when nothing is selected.
    QTableWidgetSelectionRange selectedBlock() const;

    QAction* pCopyAct;
    QAction* pPasteAct;
};
