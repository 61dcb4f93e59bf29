#include "results/tablewidgetheir.h"

#include "base/userdialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>

namespace {
// The row numbers: as wide as their digits, measured once for every table
// of the form and not over a long table's rows at each resize, as Qt's own
// header does.
class CRowHeader : public QHeaderView {
public:
    explicit CRowHeader(QWidget* pParent) : QHeaderView(Qt::Vertical, pParent) {}

    QSize sizeHint() const override {
        if (count() == 0)
            return QHeaderView::sizeHint();
        static QHash<QString, QSize> s_hints;
        const QString sKey =
            QString::number(QString::number(count()).size()) + QLatin1Char('|') + font().key();
        auto it = s_hints.constFind(sKey);
        if (it == s_hints.cend())
            it = s_hints.insert(sKey, QHeaderView::sizeHint());
        return it.value();
    }
};

// Qt's own editors, made known to the table while they are open.
class CCellDelegate : public QStyledItemDelegate {
public:
    explicit CCellDelegate(CTableWidgetHeir* pTable)
        : QStyledItemDelegate(pTable), pTable(pTable) {}

    QWidget* createEditor(QWidget* pParent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* pEditor = QStyledItemDelegate::createEditor(pParent, option, index);
        if (auto pLine = qobject_cast<QLineEdit*>(pEditor))
            pTable->trackEditor(pLine, index);
        return pEditor;
    }

private:
    CTableWidgetHeir* pTable;
};
} // namespace

CTableWidgetHeir::CTableWidgetHeir(QWidget* pParent)
    : QTableWidget(pParent), pCopyAct(new QAction(QStringLiteral("Копировать"), this)),
      pPasteAct(new QAction(QStringLiteral("Вставить"), this)) {
    setVerticalHeader(new CRowHeader(this));
    connect(pCopyAct, &QAction::triggered, this, &CTableWidgetHeir::slot_copy);
    connect(pPasteAct, &QAction::triggered, this, &CTableWidgetHeir::slot_paste);
    auto pDelegate = new CCellDelegate(this);
    setItemDelegate(pDelegate);
    // committed, or given up with Escape: the cell says what the table holds
    connect(pDelegate, &QAbstractItemDelegate::closeEditor, this, [this] {
        pOpenEditor = nullptr;
        emit pendingEditChanged();
    });
}

void CTableWidgetHeir::trackEditor(QLineEdit* pEditor, const QModelIndex& index) {
    pOpenEditor = pEditor;
    openIndex = index;
    connect(pEditor, &QLineEdit::textEdited, this, &CTableWidgetHeir::pendingEditChanged);
}

void CTableWidgetHeir::commitPendingEdit() {
    if (pOpenEditor)
        commitData(pOpenEditor);
}

bool CTableWidgetHeir::pendingEdit(int* pRow, int* pColumn, QString* pText) const {
    if (!pOpenEditor || !openIndex.isValid())
        return false;
    *pRow = openIndex.row();
    *pColumn = openIndex.column();
    *pText = pOpenEditor->text();
    return true;
}

QMenu* CTableWidgetHeir::buildCellMenu() {
    QMenu* pMenu = new QMenu(this);
    pMenu->addAction(pCopyAct);
    pMenu->addAction(pPasteAct);
    return pMenu;
}

void CTableWidgetHeir::contextMenuEvent(QContextMenuEvent* pEvent) {
    // Only events over the cells arrive here; the scroll area passes those
    // over the headers on to the owner, which offers row and column editing.
    QMenu* pMenu = buildCellMenu();
    pMenu->exec(pEvent->globalPos());
    delete pMenu;
}

void CTableWidgetHeir::keyPressEvent(QKeyEvent* pEvent) {
    const Qt::KeyboardModifiers eMods = pEvent->modifiers();
    const int iKey = pEvent->key();
    if (eMods == Qt::ControlModifier && (iKey == Qt::Key_C || iKey == Qt::Key_Insert)) {
        slot_copy();
        return;
    }
    if ((eMods == Qt::ControlModifier && iKey == Qt::Key_V) ||
        (eMods == Qt::ShiftModifier && iKey == Qt::Key_Insert)) {
        slot_paste();
        return;
    }
    // Delete and Backspace are not used by the table itself and travel on
    // to the owner, which removes whole selected rows with them.
    QTableWidget::keyPressEvent(pEvent);
}

QTableWidgetSelectionRange CTableWidgetHeir::selectedBlock() const {
    const QList<QTableWidgetSelectionRange> lstRanges = selectedRanges();
    return lstRanges.isEmpty() ? QTableWidgetSelectionRange() : lstRanges.first();
}

void CTableWidgetHeir::slot_copy() {
    const QTableWidgetSelectionRange block = selectedBlock();
    const int iRows = block.bottomRow() - block.topRow() + 1;
    const int iColumns = block.rightColumn() - block.leftColumn() + 1;

    QString sText;
    for (int r = 0; r < iRows; ++r) {
        if (r > 0)
            sText += QLatin1Char('\n');
        for (int c = 0; c < iColumns; ++c) {
            if (c > 0)
                sText += QLatin1Char('\t');
            if (const QTableWidgetItem* pItem = item(block.topRow() + r, block.leftColumn() + c))
                sText += pItem->text();
        }
    }
    QApplication::clipboard()->setText(sText, QClipboard::Clipboard);
}

void CTableWidgetHeir::growFor(int iTop, int iLeft, int iRows, int iColumns) {
    const int iNeedRows = qMin(iTop + iRows, iMaxRows);
    const int iNeedColumns = qMin(iLeft + iColumns, iMaxColumns);
    if (iNeedRows <= rowCount() && iNeedColumns <= columnCount())
        return;
    emit growthNeeded(qMax(iNeedRows, rowCount()), qMax(iNeedColumns, columnCount()));
    if (rowCount() < iNeedRows)
        setRowCount(iNeedRows);
    if (columnCount() < iNeedColumns)
        setColumnCount(iNeedColumns);
}

void CTableWidgetHeir::slot_paste() {
    // what a spreadsheet copies: "\r\n" between rows and one after the last
    QString sText = QApplication::clipboard()->text(QClipboard::Clipboard);
    sText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    sText.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (sText.endsWith(QLatin1Char('\n')))
        sText.chop(1);
    if (sText.isEmpty())
        return;
    const QStringList lstLines = sText.split(QLatin1Char('\n'));
    const int K = lstLines.size();
    const int W = int(lstLines.first().count(QLatin1Char('\t'))) + 1;

    const QTableWidgetSelectionRange block = selectedBlock();
    int R = block.bottomRow() - block.topRow() + 1;
    int C = block.rightColumn() - block.leftColumn() + 1;
    if (R == 1 && C == 1 && (K > 1 || W > 1)) {
        // one cell chosen: the block goes there, as in a spreadsheet
        growFor(block.topRow(), block.leftColumn(), K, W);
        R = K;
        C = W;
    } else if (R % K != 0 || C != W) {
        CUserDialogs::information(
            this, QStringLiteral("Вставка в таблицу"),
            QStringLiteral("Размеры областей выделения для скопированных данных и вставки не "
                           "совпадают! Скопировано %1 × %2, выделено %3 × %4.")
                .arg(K)
                .arg(W)
                .arg(qMax(R, 0))
                .arg(qMax(C, 0)));
        return;
    }

    for (int t = 0; t < R / K; ++t) {
        for (int i = 0; i < K; ++i) {
            const QStringList lstFields = lstLines.at(i).split(QLatin1Char('\t'));
            const int iRow = block.topRow() + t * K + i;
            // A line shorter than the first one leaves the cells it has no
            // field for as they are.
            const int iFields = qMin(W, int(lstFields.size()));
            for (int j = 0; j < iFields; ++j) {
                const int iColumn = block.leftColumn() + j;
                if (iRow >= rowCount() || iColumn >= columnCount())
                    continue;
                if (QTableWidgetItem* pItem = item(iRow, iColumn)) {
                    pItem->setText(lstFields.at(j));
                } else {
                    QTableWidgetItem* pNew = new QTableWidgetItem(lstFields.at(j));
                    pNew->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
                    setItem(iRow, iColumn, pNew);
                }
            }
        }
    }
}
