#pragma once

#include "document/sectionrecords.h"

#include <QStringList>
#include <QWidget>
class CChangeTitle;
class CEnterNumber;
class CTableWidgetHeir;
class QAction;
class QMenu;

// The editable results table of one control method: a clipboard-aware
// grid with row and column editing from the header menus, deletion of whole
// selected rows, and the content as lists, a document record and HTML.
class CReportTable : public QWidget {
    Q_OBJECT
public:
    explicit CReportTable(QWidget* pParent = nullptr);
    ~CReportTable() override;

    int rowCount() const;
    int columnCount() const;
    void setRowCount(int n);
    void setColumnCount(int n);
    void setColumnTitles(const QStringList& list);
    void setCellTexts(const QStringList& list);
    void columnTitles(QStringList& list) const;
    void cellTexts(QStringList& list) const;

    // Whether any cell holds text, in the whole table or in rows iFirst to
    // iLast, or in column iColumn.
    bool hasText() const;
    bool rowsHoldText(int iFirst, int iLast) const;
    bool columnHoldsText(int iColumn) const;

    // The height the table wants, clamped to its minimum and maximum.
    int preferredHeight() const;

    // The header menu for a right click at pos (local to this widget). It
    // remembers the row or column under the pointer for the commands. The
    // caller owns the menu (it is parented to this widget).
    QMenu* buildHeaderMenu(const QPoint& pos);

    TableRecord record() const;
    void setRecord(const TableRecord& record);

signals:
    // The preferred height (an absolute height, clamped to 180..490).
    void preferredHeightChanged(int iDelta);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private slots:
    void slot_deleteRowAct();
    void slot_insertRowAct();
    void slot_insertNRowsAct();
    void slot_insertNumberOfRows(int iRow, int N);
    void slot_deleteColumnAct();
    void slot_insertColumnAct();
    void slot_setColumnTitleAct();
    void slot_titleChanged(QString str);
    void slot_sectionResized();
    // Rows and columns a paste needs, appended as the menu commands add them.
    void slot_growthNeeded(int iRows, int iColumns);

private:
    void sendPreferredHeight();
    void fitColumnWidths();
    // The width the columns share in a table iTableWidth wide.
    int columnsRoom(int iTableWidth) const;
    // The columns' shares of the table's width, as fitted or as the user
    // made them; the widths given back from them when the table resizes.
    void rememberShares();
    void applyShares();
    void insertEmptyRow(int iRow);
    void insertEmptyColumn(int iColumn);
    // Asks before rows or columns holding text are deleted; true to go on.
    bool mayDeleteRows(int iFirst, int iLast);
    bool mayDeleteColumn(int iColumn);
    int columnHeaderHeight() const;
    int rowHeaderWidth() const;

    CTableWidgetHeir* tab_results;
    int iMenuRow;
    int iMenuColumn;
    QAction* pDeleteRowAct;
    QAction* pInsertRowAct;
    QAction* pInsertNRowsAct;
    QAction* pDeleteColumnAct;
    QAction* pInsertColumnAct;
    QAction* pSetColumnTitleAct;
    CEnterNumber* pNumberDialog;
    CChangeTitle* pTitleDialog;
    bool bFitting = false;
    QList<double> lstShares;
    bool bLoading = false;
};
