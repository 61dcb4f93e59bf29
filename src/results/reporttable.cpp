#include "results/reporttable.h"

#include "base/userdialogs.h"
#include "document/protocoldocument.h"
#include "document/sectionrecords.h"
#include "results/changetitle.h"
#include "results/enternumber.h"
#include "results/tablewidgetheir.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDataStream>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include <new>

namespace {
const Qt::Alignment g_eAlignCentre = Qt::AlignHCenter | Qt::AlignVCenter;

QTableWidgetItem* newCentredItem(const QString& sText = QString()) {
    QTableWidgetItem* pItem = new QTableWidgetItem(sText);
    pItem->setTextAlignment(g_eAlignCentre);
    return pItem;
}

QTableWidgetItem* newTitleItem(const QString& sTitle) {
    QTableWidgetItem* pItem = newCentredItem(sTitle);
    QFont font = pItem->font();
    font.setPointSize(12);
    pItem->setFont(font);
    return pItem;
}

} // namespace

CReportTable::CReportTable(QWidget* pParent)
    : QWidget(pParent), tab_results(new CTableWidgetHeir(this)), iMenuRow(-1), iMenuColumn(-1),
      pNumberDialog(nullptr), pTitleDialog(nullptr) {
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("CReportTable"));
    resize(1000, 180);
    setMinimumSize(1000, 180);
    setMaximumSize(16777215, 490);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);

    tab_results->setObjectName(QStringLiteral("tab_results"));
    tab_results->setGeometry(0, 0, 1000, 180);
    tab_results->setMinimumSize(1000, 180);
    tab_results->setMaximumSize(16777215, 490);
    tab_results->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    QFont font = tab_results->font();
    font.setPointSize(12);
    tab_results->setFont(font);
    tab_results->setSelectionMode(QAbstractItemView::ContiguousSelection);
    tab_results->setRowCount(iDefaultTableRows);
    tab_results->setColumnCount(int(defaultTableTitles().size()));
    tab_results->horizontalHeader()->setMinimumSectionSize(180);
    tab_results->horizontalHeader()->setDefaultSectionSize(180);
    tab_results->verticalHeader()->setMinimumSectionSize(30);
    tab_results->verticalHeader()->setDefaultSectionSize(30);
    tab_results->verticalHeader()->setVisible(true);

    const QStringList lstTitles = defaultTableTitles();
    for (int c = 0; c < lstTitles.size(); ++c)
        tab_results->setHorizontalHeaderItem(c, newTitleItem(lstTitles.at(c)));
    for (int r = 0; r < iDefaultTableRows; ++r)
        for (int c = 0; c < lstTitles.size(); ++c)
            tab_results->setItem(r, c, newCentredItem());

    pDeleteRowAct = new QAction(QStringLiteral("Удалить строку"), this);
    pInsertRowAct = new QAction(QStringLiteral("Вставить строку"), this);
    pInsertNRowsAct = new QAction(QStringLiteral("Вставить N строк"), this);
    pDeleteColumnAct = new QAction(QStringLiteral("Удалить столбец"), this);
    pInsertColumnAct = new QAction(QStringLiteral("Вставить столбец"), this);
    pSetColumnTitleAct = new QAction(QStringLiteral("Изменить заголовок столбца"), this);
    connect(pDeleteRowAct, &QAction::triggered, this, &CReportTable::slot_deleteRowAct);
    connect(pInsertRowAct, &QAction::triggered, this, &CReportTable::slot_insertRowAct);
    connect(pInsertNRowsAct, &QAction::triggered, this, &CReportTable::slot_insertNRowsAct);
    connect(pDeleteColumnAct, &QAction::triggered, this, &CReportTable::slot_deleteColumnAct);
    connect(pInsertColumnAct, &QAction::triggered, this, &CReportTable::slot_insertColumnAct);
    connect(pSetColumnTitleAct, &QAction::triggered, this, &CReportTable::slot_setColumnTitleAct);

    fitColumnWidths();

    connect(tab_results->horizontalHeader(), &QHeaderView::sectionResized, this,
            &CReportTable::slot_sectionResized);
    connect(tab_results->verticalHeader(), &QHeaderView::sectionResized, this,
            &CReportTable::slot_sectionResized);
    connect(tab_results, &CTableWidgetHeir::growthNeeded, this, &CReportTable::slot_growthNeeded);
}

CReportTable::~CReportTable() {
    // The dialogs are top-level windows without a parent.
    delete pNumberDialog;
    delete pTitleDialog;
}

int CReportTable::rowCount() const {
    return tab_results->rowCount();
}

int CReportTable::columnCount() const {
    return tab_results->columnCount();
}

void CReportTable::setRowCount(int n) {
    iMenuRow = -1;
    tab_results->setRowCount(n);
    sendPreferredHeight();
}

void CReportTable::setColumnCount(int n) {
    iMenuColumn = -1;
    tab_results->setColumnCount(n);
}

void CReportTable::setColumnTitles(const QStringList& list) {
    const int iCount = qMin(columnCount(), int(list.size()));
    for (int i = 0; i < iCount; ++i) {
        if (QTableWidgetItem* pItem = tab_results->horizontalHeaderItem(i))
            pItem->setText(list.at(i));
        else
            tab_results->setHorizontalHeaderItem(i, newTitleItem(list.at(i)));
    }
    fitColumnWidths();
}

void CReportTable::setCellTexts(const QStringList& list) {
    const int iRows = rowCount();
    const int iColumns = columnCount();
    if (iRows == 0 || iColumns == 0)
        return;
    const qint64 iFilled = qMin(qint64(list.size()), qint64(iRows) * iColumns);
    QAbstractItemModel* pModel = tab_results->model();
    {
        // a table of a document changes as a whole: one announcement, not
        // one a cell
        const QSignalBlocker blocker(pModel);
        qint64 k = 0;
        for (int r = 0; r < iRows; ++r) {
            for (int c = 0; c < iColumns; ++c, ++k) {
                const QString sText = k < iFilled ? list.at(k) : QString();
                if (QTableWidgetItem* pItem = tab_results->item(r, c))
                    pItem->setText(sText);
                else
                    tab_results->setItem(r, c, newCentredItem(sText));
            }
        }
    }
    emit pModel->dataChanged(pModel->index(0, 0), pModel->index(iRows - 1, iColumns - 1));
}

// Texts go into the document as empty strings, never as null ones, so a
// cell without item and an emptied cell are written alike.
void CReportTable::columnTitles(QStringList& list) const {
    list.clear();
    const QString sEmpty = QStringLiteral("");
    for (int c = 0; c < columnCount(); ++c) {
        const QTableWidgetItem* pItem = tab_results->horizontalHeaderItem(c);
        const QString sTitle = pItem ? pItem->text() : QString();
        list.append(sTitle.isNull() ? sEmpty : sTitle);
    }
}

void CReportTable::cellTexts(QStringList& list) const {
    list.clear();
    list.reserve(qsizetype(rowCount()) * columnCount());
    const QString sEmpty = QStringLiteral("");
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            const QTableWidgetItem* pItem = tab_results->item(r, c);
            const QString sText = pItem ? pItem->text() : QString();
            list.append(sText.isNull() ? sEmpty : sText);
        }
    }
    // a cell being typed in holds what is typed, as a save would take it
    int r = 0, c = 0;
    QString sTyped;
    if (tab_results->pendingEdit(&r, &c, &sTyped) && r < rowCount() && c < columnCount())
        list[qsizetype(r) * columnCount() + c] = sTyped;
}

bool CReportTable::rowsHoldText(int iFirst, int iLast) const {
    for (int r = qMax(0, iFirst); r <= iLast && r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            const QTableWidgetItem* pItem = tab_results->item(r, c);
            if (pItem && !pItem->text().isEmpty())
                return true;
        }
    }
    return false;
}

bool CReportTable::hasText() const {
    return rowsHoldText(0, rowCount() - 1);
}

bool CReportTable::columnHoldsText(int iColumn) const {
    for (int r = 0; r < rowCount(); ++r) {
        const QTableWidgetItem* pItem = tab_results->item(r, iColumn);
        if (pItem && !pItem->text().isEmpty())
            return true;
    }
    return false;
}

bool CReportTable::mayDeleteRows(int iFirst, int iLast) {
    return !rowsHoldText(iFirst, iLast) ||
           CUserDialogs::confirm(this, QStringLiteral("Удаление строк"),
                                 QStringLiteral("Удалить строки с данными?"));
}

bool CReportTable::mayDeleteColumn(int iColumn) {
    return !columnHoldsText(iColumn) ||
           CUserDialogs::confirm(this, QStringLiteral("Удаление столбцов"),
                                 QStringLiteral("Удалить столбцы с данными?"));
}

int CReportTable::columnHeaderHeight() const {
    // The size the table gives its header when it lays itself out, known
    // also before the table is first shown.
    const QHeaderView* pHeader = tab_results->horizontalHeader();
    if (pHeader->isHidden())
        return 0;
    const int iHeight = qMax(pHeader->minimumHeight(), pHeader->sizeHint().height());
    return qMin(iHeight, pHeader->maximumHeight());
}

int CReportTable::rowHeaderWidth() const {
    const QHeaderView* pHeader = tab_results->verticalHeader();
    if (pHeader->isHidden())
        return 0;
    return qMin(qMax(pHeader->minimumWidth(), pHeader->sizeHint().width()),
                pHeader->maximumWidth());
}

int CReportTable::preferredHeight() const {
    int iHeight = columnHeaderHeight();
    const int iLine = tab_results->lineWidth();
    for (int r = 0; r < rowCount(); ++r)
        iHeight += tab_results->rowHeight(r) + iLine;
    if (tab_results->horizontalScrollBar()->isVisible())
        iHeight += tab_results->horizontalScrollBar()->height();
    return qBound(tab_results->minimumHeight(), iHeight, tab_results->maximumHeight());
}

void CReportTable::sendPreferredHeight() {
    // a table shown from a record changes its height once, when it is whole
    if (!bLoading)
        emit preferredHeightChanged(preferredHeight());
}

int CReportTable::columnsRoom(int iTableWidth) const {
    return iTableWidth - rowHeaderWidth() - tab_results->lineWidth() * (columnCount() - 1);
}

void CReportTable::rememberShares() {
    const int iRoom = columnsRoom(tab_results->width());
    lstShares.clear();
    for (int c = 0; c < columnCount() && iRoom > 0; ++c)
        lstShares.append(double(tab_results->columnWidth(c)) / iRoom);
}

void CReportTable::applyShares() {
    const int n = columnCount();
    if (lstShares.size() != n) {
        fitColumnWidths();
        return;
    }
    // each width from its share, never from the width before: many small
    // resizes while a window edge is dragged add no rounding up
    const int iRoom = columnsRoom(tab_results->width());
    bFitting = true;
    for (int c = 0; c < n; ++c)
        tab_results->setColumnWidth(c, qMax(1, qRound(lstShares[c] * iRoom)));
    bFitting = false;
    sendPreferredHeight();
}

void CReportTable::fitColumnWidths() {
    const int n = columnCount();
    if (n <= 0)
        return;
    const double dWidth = double(columnsRoom(tab_results->width())) / n;
    const int w = qRound(dWidth);
    // the widths change together: the height follows once, not per column
    bFitting = true;
    for (int c = 0; c < n; ++c)
        tab_results->setColumnWidth(c, w - 2);
    bFitting = false;
    rememberShares();
    sendPreferredHeight();
}

void CReportTable::insertEmptyRow(int iRow) {
    tab_results->insertRow(iRow);
    for (int c = 0; c < columnCount(); ++c)
        tab_results->setItem(iRow, c, newCentredItem());
}

QMenu* CReportTable::buildHeaderMenu(const QPoint& pos) {
    QMenu* pMenu = new QMenu(this);
    // Position over the cell area: the table's frame, then the headers.
    const int iFrame = tab_results->frameWidth();
    const int y = pos.y() - iFrame - columnHeaderHeight();
    const int x = pos.x() - iFrame - rowHeaderWidth();
    if (y >= 0) {
        // Below the column titles: the row numbers.
        iMenuRow = tab_results->rowAt(y);
        iMenuColumn = -1;
        if (rowCount() > 1 && iMenuRow != -1)
            pMenu->addAction(pDeleteRowAct);
        // a table stays within what a document holds
        if (rowCount() < iMaxTableRows) {
            pMenu->addAction(pInsertRowAct);
            pMenu->addAction(pInsertNRowsAct);
        }
    } else if (x >= 0) {
        // The column titles.
        iMenuRow = -1;
        iMenuColumn = tab_results->columnAt(x);
        if (columnCount() > 1 && iMenuColumn != -1)
            pMenu->addAction(pDeleteColumnAct);
        if (columnCount() < iMaxTableColumns)
            pMenu->addAction(pInsertColumnAct);
        pMenu->addAction(pSetColumnTitleAct);
    }
    // The corner above the row numbers offers nothing.
    return pMenu;
}

void CReportTable::contextMenuEvent(QContextMenuEvent* pEvent) {
    QMenu* pMenu = buildHeaderMenu(pEvent->pos());
    if (!pMenu->isEmpty())
        pMenu->exec(pEvent->globalPos());
    delete pMenu;
}

void CReportTable::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() != Qt::Key_Delete && pEvent->key() != Qt::Key_Backspace) {
        QWidget::keyPressEvent(pEvent);
        return;
    }
    pEvent->accept();
    const QList<QTableWidgetSelectionRange> lstRanges = tab_results->selectedRanges();
    const QTableWidgetSelectionRange range =
        lstRanges.isEmpty() ? QTableWidgetSelectionRange() : lstRanges.first();
    // Only whole rows are removed: the selection must span every column.
    if (range.rightColumn() - range.leftColumn() + 1 != columnCount() ||
        !mayDeleteRows(range.topRow(), range.bottomRow()))
        return;
    for (int i = 0; i < range.rowCount(); ++i)
        tab_results->removeRow(range.topRow());
    sendPreferredHeight();
}

void CReportTable::resizeEvent(QResizeEvent* pEvent) {
    tab_results->resize(pEvent->size());
    QWidget::resizeEvent(pEvent);
    // a wider window gives the columns the room, not a blank beside them
    const int iOldWidth = pEvent->oldSize().width();
    if (iOldWidth > 0 && iOldWidth != pEvent->size().width())
        applyShares();
}

void CReportTable::slot_deleteRowAct() {
    if (iMenuRow >= 0 && iMenuRow < rowCount() && mayDeleteRows(iMenuRow, iMenuRow))
        tab_results->removeRow(iMenuRow);
    iMenuRow = -1;
    sendPreferredHeight();
}

void CReportTable::slot_insertRowAct() {
    if (rowCount() >= iMaxTableRows)
        return;
    const int iRow = iMenuRow >= 0 ? qMin(iMenuRow + 1, rowCount()) : rowCount();
    insertEmptyRow(iRow);
    iMenuRow = -1;
    sendPreferredHeight();
}

void CReportTable::slot_insertNRowsAct() {
    const int iRow = iMenuRow >= 0 ? qMin(iMenuRow + 1, rowCount()) : rowCount();
    iMenuRow = -1;
    delete pNumberDialog;
    pNumberDialog = nullptr;
    try {
        pNumberDialog = new CEnterNumber(iRow);
    } catch (const std::bad_alloc&) {
        CUserDialogs::critical(this, QStringLiteral("Вставить N строк"),
                               QStringLiteral("Не удалось выделить память под создание окна для "
                                              "ввода количества вставляемых строк!"));
        return;
    }
    connect(pNumberDialog, &CEnterNumber::numberEntered, this,
            &CReportTable::slot_insertNumberOfRows);
    CUserDialogs::get().execDialog(pNumberDialog);
}

void CReportTable::slot_insertNumberOfRows(int iRow, int N) {
    const int iAt = qBound(0, iRow, rowCount());
    N = qMin(N, iMaxTableRows - rowCount());
    for (int i = 0; i < N; ++i)
        insertEmptyRow(iAt);
    sendPreferredHeight();
}

void CReportTable::slot_deleteColumnAct() {
    if (iMenuColumn >= 0 && iMenuColumn < columnCount() && mayDeleteColumn(iMenuColumn))
        tab_results->removeColumn(iMenuColumn);
    iMenuColumn = -1;
    sendPreferredHeight();
}

void CReportTable::insertEmptyColumn(int iColumn) {
    tab_results->insertColumn(iColumn);
    tab_results->setHorizontalHeaderItem(iColumn, newTitleItem(QString::number(iColumn + 1)));
    for (int r = 0; r < rowCount(); ++r)
        tab_results->setItem(r, iColumn, newCentredItem());
}

void CReportTable::slot_insertColumnAct() {
    if (columnCount() >= iMaxTableColumns)
        return;
    // A new column goes before the one under the pointer (a new row goes
    // after its row).
    insertEmptyColumn(iMenuColumn >= 0 ? qMin(iMenuColumn, columnCount()) : columnCount());
    iMenuColumn = -1;
    sendPreferredHeight();
}

void CReportTable::slot_growthNeeded(int iRows, int iColumns) {
    while (columnCount() < iColumns)
        insertEmptyColumn(columnCount());
    while (rowCount() < iRows)
        insertEmptyRow(rowCount());
    sendPreferredHeight();
}

void CReportTable::slot_setColumnTitleAct() {
    // Right of the last column there is no title to change.
    if (iMenuColumn < 0 || iMenuColumn >= columnCount())
        return;
    const QTableWidgetItem* pHeader = tab_results->horizontalHeaderItem(iMenuColumn);
    const QString sTitle = pHeader ? pHeader->text() : QString();
    delete pTitleDialog;
    pTitleDialog = nullptr;
    try {
        pTitleDialog = new CChangeTitle(sTitle);
    } catch (const std::bad_alloc&) {
        CUserDialogs::critical(this, QStringLiteral("Изменение заголовка столбца"),
                               QStringLiteral("Не удалось выделить память под создание окна для "
                                              "изменения заголовка столбца!"));
        return;
    }
    connect(pTitleDialog, &CChangeTitle::titleChanged, this, &CReportTable::slot_titleChanged);
    CUserDialogs::get().execDialog(pTitleDialog);
}

void CReportTable::slot_titleChanged(QString str) {
    if (iMenuColumn < 0 || iMenuColumn >= columnCount())
        return;
    if (QTableWidgetItem* pItem = tab_results->horizontalHeaderItem(iMenuColumn))
        pItem->setText(str);
    else
        tab_results->setHorizontalHeaderItem(iMenuColumn, newTitleItem(str));
}

void CReportTable::slot_sectionResized() {
    if (bFitting)
        return;
    rememberShares(); // a column the user made wider keeps its share
    sendPreferredHeight();
}

TableRecord CReportTable::record() const {
    TableRecord record{rowCount(), columnCount(), {}, {}};
    columnTitles(record.lstTitles);
    cellTexts(record.lstCells);
    return record;
}

void CReportTable::setRecord(const TableRecord& record) {
    iMenuColumn = -1;
    bLoading = true;
    setColumnCount(record.iColumns);
    setRowCount(record.iRows);
    setColumnTitles(record.lstTitles);
    setCellTexts(record.lstCells);
    bLoading = false;
    sendPreferredHeight();
}
