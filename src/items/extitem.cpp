#include "items/extitem.h"

#include "base/constants.h"
#include "items/fontfit.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>

CExtItem::CExtItem(QWidget* pParent, int iNum, const QString& sName) : CReportItemWidget(pParent) {
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("CExtItem"));
    resize(1000, 30);
    setMinimumSize(1000, 30);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    ::setPointSize(this, 12);

    lbl_num = createNumberLabel(this);

    lbl_name = createNameLabel(this, 16777215);

    btn_add = new QToolButton(this);
    btn_add->setObjectName(QStringLiteral("btn_add"));
    btn_add->setGeometry(360, 0, 15, 15);
    btn_add->setFixedSize(15, 15);
    ::setPointSize(btn_add, 8);
    btn_add->setText(QStringLiteral("+"));
    btn_add->setToolTip(QStringLiteral("Добавить строку"));

    btn_delete = new QToolButton(this);
    btn_delete->setObjectName(QStringLiteral("btn_delete"));
    btn_delete->setGeometry(360, 15, 15, 15);
    btn_delete->setFixedSize(15, 15);
    ::setPointSize(btn_delete, 8);
    btn_delete->setText(QStringLiteral("-"));
    btn_delete->setToolTip(QStringLiteral("Удалить последнюю строку"));

    btn_deleteItem = new QToolButton(this);
    btn_deleteItem->setObjectName(QStringLiteral("btn_deleteItem"));
    btn_deleteItem->setGeometry(380, 0, 120, 30);
    btn_deleteItem->setFixedSize(120, 30);
    btn_deleteItem->setText(QStringLiteral("Удалить пункт"));
    shrinkFontToFit(btn_deleteItem);

    connect(btn_add, &QToolButton::clicked, this, &CExtItem::slot_addItemWidget);
    connect(btn_delete, &QToolButton::clicked, this, [this] {
        if (mayDeleteLastSubItem())
            slot_deleteItemWidget();
    });

    btn_deleteItem->hide();
    iNumber = iNum;
    if (iNum != 0)
        lbl_num->setText(QString::number(iNum));
    sItemName = sName;
    lbl_name->setText(sName);
    iCaptionWidth = fitTextWidth(lbl_name, sName, lbl_name->minimumWidth());
    // the first sub-item is placed after the caption as it will be laid out
    lbl_name->setGeometry(lbl_num->width() + 10, 0, iCaptionWidth, lbl_name->height());
    iSubItemWidth = 120;
    iSubItemHeight = lbl_name->height();
}

CExtItem::~CExtItem() {
    // the sub-items die after this object; they must not call back into it
    for (QWidget* w : std::as_const(lstSubItems)) {
        w->disconnect(this);
        w->removeEventFilter(this);
    }
}

void CExtItem::setNumber(int iNum) {
    iNumber = iNum;
    if (iNum != 0)
        lbl_num->setText(QString::number(iNum));
}

void CExtItem::setName(const QString& sName) {
    sItemName = sName;
    lbl_name->setText(sName);
    iCaptionWidth = fitTextWidth(lbl_name, sName, lbl_name->minimumWidth());
}

void CExtItem::slot_addItemWidget() {
    if (lstSubItems.size() >= iMaxStoredSubItems)
        return;
    addSubItem();
    btn_delete->setVisible(lstSubItems.size() >= 2);
    updateAddButton();
    emit listItemsWidgetChanged(lstSubItems.size());
}

void CExtItem::updateAddButton() {
    btn_add->setEnabled(lstSubItems.size() < iMaxStoredSubItems);
}

void CExtItem::slot_deleteItemWidget() {
    if (lstSubItems.size() < 2)
        return; // the section keeps at least one sub-item
    destroySubItem(lstSubItems.takeLast());
    const QRect rect = lstSubItems.last()->geometry();
    if (rect.bottom() + 1 < height()) {
        resize(width(), rect.bottom() + 1);
        emit widgetHeightChanged();
    }
    moveButtonsAfter(rect);
    // a new last sub-item that was laid out without room for the buttons
    // is placed again
    if (btn_add->geometry().right() >= width())
        updateHeight();
    btn_delete->setVisible(lstSubItems.size() >= 2);
    updateAddButton();
    emit listItemsWidgetChanged(lstSubItems.size());
}

QRect CExtItem::placeNext(bool isLast, const QRect& prev) const {
    int x = 0;
    int y = 0;
    if (prev.isEmpty()) {
        x = lbl_name->geometry().right();
        y = lbl_name->geometry().top();
    } else {
        x = prev.right();
        y = prev.top();
    }
    x += 11;
    int iReserve = 0;
    if (isLast)
        iReserve = btn_deleteItem->isHidden() ? 20 : btn_deleteItem->width() + 25;
    if (x + iSubItemWidth + iReserve >= width()) {
        x = 0;
        y += 40;
    }
    return QRect(x, y, iSubItemWidth, iSubItemHeight);
}

int CExtItem::layOutSubItems() {
    lbl_num->setGeometry(0, 0, lbl_num->width(), 30);
    lbl_name->setGeometry(lbl_num->width() + 10, 0, iCaptionWidth, 30);
    for (int i = 0; i < lstSubItems.size(); ++i) {
        const QRect prev = i == 0 ? QRect() : lstSubItems.at(i - 1)->geometry();
        lstSubItems.at(i)->setGeometry(placeNext(i == lstSubItems.size() - 1, prev));
    }
    int by = 0;
    if (lstSubItems.isEmpty()) {
        const int bx = lbl_name->x() + iCaptionWidth + 5;
        btn_add->move(bx, by);
        btn_delete->move(bx, by + 15);
        if (!btn_deleteItem->isHidden())
            btn_deleteItem->move(bx + 20, by);
    } else {
        const QRect last = lstSubItems.last()->geometry();
        by = last.top();
        moveButtonsAfter(last);
    }
    return by + 30;
}

void CExtItem::moveButtonsAfter(const QRect& rect) {
    const int bx = rect.right() + 6;
    btn_add->move(bx, rect.top());
    btn_delete->move(bx, rect.top() + 15);
    if (!btn_deleteItem->isHidden())
        btn_deleteItem->move(bx + 20, rect.top());
}

void CExtItem::updateHeight() {
    const int h = layOutSubItems();
    if (h != height()) {
        resize(width(), h);
        emit widgetHeightChanged();
    }
}

void CExtItem::appendPlacedSubItem(QWidget* w) {
    const QRect rect =
        placeNext(true, lstSubItems.isEmpty() ? QRect() : lstSubItems.last()->geometry());
    if (height() < rect.bottom() + 1) {
        resize(width(), rect.bottom() + 1);
        emit widgetHeightChanged();
    }
    w->setGeometry(rect);
    btn_add->move(rect.right() + 6, rect.top());
    btn_delete->move(rect.right() + 6, rect.top() + 15);
    lstSubItems.append(w);
}

void CExtItem::matchSubItemCount(int iCount) {
    iCount = std::min(iCount, int(iMaxStoredSubItems));
    while (lstSubItems.size() < iCount) {
        const int iBefore = lstSubItems.size();
        slot_addItemWidget();
        if (lstSubItems.size() == iBefore)
            return;
    }
    while (lstSubItems.size() > std::max(iCount, 1)) {
        const int iBefore = lstSubItems.size();
        slot_deleteItemWidget();
        if (lstSubItems.size() == iBefore)
            return;
    }
}

bool CExtItem::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::Wheel && pWatched->isWidgetType() &&
        lstSubItems.contains(static_cast<QWidget*>(pWatched))) {
        // the wheel scrolls the form and changes nothing
        pEvent->ignore();
        return true;
    }
    return CReportItemWidget::eventFilter(pWatched, pEvent);
}

void CExtItem::resizeEvent(QResizeEvent* pEvent) {
    CReportItemWidget::resizeEvent(pEvent);
    if (lstSubItems.isEmpty() || !pEvent->size().isValid())
        return;
    const int h = layOutSubItems();
    // A new width may wrap the sub-items onto more or fewer lines; the height
    // follows once the owner has finished resizing its sections.
    if (h != pEvent->size().height() && !bHeightCheckQueued) {
        bHeightCheckQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                bHeightCheckQueued = false;
                if (!lstSubItems.isEmpty())
                    updateHeight();
            },
            Qt::QueuedConnection);
    }
}

CExtStrSet::CExtStrSet(QWidget* pParent, int iNum, const QString& sName,
                       const QStringList& /*list*/)
    : CExtItem(pParent, iNum, sName) {}

int CExtStrSet::collectTexts(QStringList& out) {
    out = currentTexts();
    return out.size();
}

QStringList CExtStrSet::currentTexts() const {
    QStringList lst;
    for (int i = 0; i < lstSubItems.size(); ++i)
        lst.append(subCombo(i)->currentText());
    return lst;
}

void CExtStrSet::setChoices(const QStringList& list) {
    lstChoices = list;
    const int w = subItemWidthFor(lstChoices);
    if (w != iSubItemWidth) {
        iSubItemWidth = w;
        updateHeight();
    }
    refillSubItems();
}

void CExtStrSet::addChoices(const QStringList& list) {
    QStringList lstNew = lstChoices;
    for (const QString& s : list) {
        if (!s.isEmpty() && !lstNew.contains(s))
            lstNew.append(s);
    }
    setChoices(lstNew);
}

void CExtStrSet::setSelectedTexts(const QStringList& list) {
    if (list.isEmpty())
        return;
    matchSubItemCount(list.size());
    for (int i = 0; i < lstSubItems.size() && i < list.size(); ++i) {
        QComboBox* pCombo = subCombo(i);
        const int k = pCombo->findText(list.at(i), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (k < 0)
            continue;
        pCombo->setCurrentIndex(k);
        // text typed over the blank entry gives way to the stored one
        if (pCombo->isEditable())
            pCombo->setEditText(pCombo->itemText(k));
    }
}

QComboBox* CExtStrSet::subCombo(int i) const {
    return static_cast<QComboBox*>(lstSubItems.at(i));
}

int CExtStrSet::subItemWidthFor(const QStringList& list) const {
    const QFontMetrics fm(lbl_name->font());
    int a = 0;
    for (const QString& s : list)
        a = std::max(a, fm.horizontalAdvance(s));
    if (a != 0)
        a = roundUpToTen(a + 20);
    return std::min(g_szEditorMax.width(), std::max(a, g_szEditorMin.width()));
}

void CExtItem::addFirstSubItem() {
    addSubItem();
    btn_delete->hide();
    emit listItemsWidgetChanged(1);
}
