// Numbering of the composer's sections and the items the user adds.
#include "composer/fusionwidget.h"

#include "app/constants.h"
#include "app/userdialogs.h"
#include "items/stditem.h"

#include <new>

bool CFusionWidget::isNumbered(const QWidget* pSection) {
    return qobject_cast<const CReportItemWidget*>(pSection) != nullptr;
}

int CFusionWidget::lastNumberOf(const QWidget* pSection) {
    if (auto pItem = qobject_cast<const CReportItemWidget*>(pSection))
        return pItem->number();
    return 0;
}

int CFusionWidget::firstNumberOf(const QWidget* pSection) {
    if (auto pItem = qobject_cast<const CReportItemWidget*>(pSection))
        return pItem->number();
    return 0;
}

void CFusionWidget::renumberFrom(int index, int firstNumber) {
    int n = firstNumber;
    for (int i = qMax(0, index); i < lstSections.size(); ++i) {
        if (auto pItem = qobject_cast<CReportItemWidget*>(lstSections[i])) {
            pItem->setNumber(n);
            ++n;
        }
    }
}

int CFusionWidget::lastNumber() const {
    if (lstSections.isEmpty() || !isNumbered(lstSections.last()))
        return 13;
    return lastNumberOf(lstSections.last());
}

int CFusionWidget::numberBefore(int index) const {
    if (index <= 0 || index > lstSections.size())
        return 0;
    return lastNumberOf(lstSections[index - 1]);
}

int CFusionWidget::insertPositionFor(int iNum) const {
    if (lastNumber() < iNum)
        return lstSections.size();
    for (int i = 6; i < lstSections.size(); ++i) {
        const int n = firstNumberOf(lstSections[i]);
        if (n != 0 && n > iNum)
            return i;
    }
    return lstSections.size();
}

bool CFusionWidget::insertUserItem(int index, int iNum, const QString& sName,
                                   const QString& sValue, bool bRenumber) {
    CStdItem* pItem = new (std::nothrow) CStdItem(this, iNum, sName, sValue, true, 1);
    if (!pItem) {
        CUserDialogs::critical(this, g_sCriticalTitle,
                               QStringLiteral("Память исчерпана! Новый пункт не может быть создан!"));
        return false;
    }
    connect(pItem, &CStdItem::deleteItem, this, &CFusionWidget::slot_deleteNewItemAdded);
    index = qBound(0, index, int(lstSections.size()));
    lstSections.insert(index, pItem);
    lstUserItems.append(pItem);
    pItem->resize(width(), pItem->height());
    pItem->show();
    if (bRenumber)
        renumberFrom(index + 1, iNum + 1);
    return true;
}

void CFusionWidget::slot_addNewStdItem(int iNum, const QString& sName, const QString& sValue) {
    if (lastNumber() < iNum) {
        if (insertUserItem(lstSections.size(), iNum, sName, sValue, true))
            slot_innerWidgetHeightChanged();
        return;
    }
    for (int i = 0; i < lstSections.size(); ++i) {
        QWidget* pSection = lstSections[i];
        if (!isNumbered(pSection))
            continue;
        const int iFirst = firstNumberOf(pSection);
        const int iLast = lastNumberOf(pSection);
        if (iFirst == iNum) {
            if (insertUserItem(i, iNum, sName, sValue, true))
                slot_innerWidgetHeightChanged();
            return;
        }
        if (iFirst < iNum && iLast >= iNum) {
            CUserDialogs::warning(
                this, QStringLiteral("Добавить пункт"),
                QStringLiteral("Нельзя вставить новый пункт между результатами контроля и\n"
                               "данными специалиста!"));
            return;
        }
    }
}

void CFusionWidget::slot_deleteNewItemAdded(CStdItem* pSender) {
    const int c = lstSections.indexOf(pSender);
    if (c < 1 || !lstUserItems.contains(pSender))
        return;
    lstSections.removeAt(c);
    lstUserItems.removeOne(pSender);
    pSender->hide();
    pSender->deleteLater();
    renumberFrom(c, numberBefore(c) + 1);
    slot_innerWidgetHeightChanged();
}
