// Numbering of the composer's sections and the items the user adds.
#include "composer/fusionwidget.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "items/methodsset.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "results/conclusion.h"

#include <new>

// A report item carries one number; a conclusion a range from its results
// table to its first specialist panel.
bool CFusionWidget::isNumbered(const QWidget* pSection) {
    return qobject_cast<const CReportItemWidget*>(pSection) ||
           qobject_cast<const CConclusion*>(pSection);
}

int CFusionWidget::lastNumberOf(const QWidget* pSection) {
    if (auto pItem = qobject_cast<const CReportItemWidget*>(pSection))
        return pItem->number();
    if (auto pConclusion = qobject_cast<const CConclusion*>(pSection))
        return pConclusion->specialistNumber();
    return 0;
}

int CFusionWidget::firstNumberOf(const QWidget* pSection) {
    if (auto pItem = qobject_cast<const CReportItemWidget*>(pSection))
        return pItem->number();
    if (auto pConclusion = qobject_cast<const CConclusion*>(pSection))
        return pConclusion->number();
    return 0;
}

void CFusionWidget::renumberFrom(int index, int firstNumber) {
    int n = firstNumber;
    for (int i = qMax(0, index); i < lstSections.size(); ++i) {
        if (auto pItem = qobject_cast<CReportItemWidget*>(lstSections[i])) {
            pItem->setNumber(n);
            ++n;
        } else if (auto pConclusion = qobject_cast<CConclusion*>(lstSections[i])) {
            pConclusion->setNumber(n);
            n = pConclusion->specialistNumber() + 1;
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
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        const int n = firstNumberOf(lstSections[i]);
        if (n != 0 && n > iNum)
            return i;
    }
    return lstSections.size();
}

bool CFusionWidget::insertUserItem(int index, int iNum, const QString& sName, const QString& sValue,
                                   bool bRenumber) {
    CStdItem* pItem = new (std::nothrow) CStdItem(this, iNum, sName, sValue, true, 1);
    if (!pItem) {
        CUserDialogs::critical(
            this, g_sCriticalTitle,
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
    if (lstUserItems.size() >= iMaxUserItems) {
        CUserDialogs::warning(this, QStringLiteral("Добавить пункт"),
                              QStringLiteral("В протоколе уже %1 добавленных пунктов: больше "
                                             "добавить нельзя!")
                                  .arg(iMaxUserItems));
        return;
    }
    if (lastNumber() < iNum) {
        if (insertUserItem(lstSections.size(), iNum, sName, sValue, true))
            slot_innerWidgetHeightChanged();
        return;
    }
    // user items never go before the fixed sections
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
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

// Conclusions: exactly one per chosen method, each told its method.

bool CFusionWidget::addConclusion(int iNum, int methodIndex) {
    auto pConclusion = new (std::nothrow) CConclusion(this, pLists);
    if (!pConclusion)
        return false;
    pConclusion->setNumber(iNum);
    if (pDateItem)
        pConclusion->setProtocolDate(pDateItem->shownDate());
    pConclusion->setMethod(lstMethodsGenitive.value(methodIndex),
                           lstMethodsDative.value(methodIndex));
    connect(pConclusion, &CConclusion::widgetHeightChanged, this,
            &CFusionWidget::slot_innerWidgetHeightChanged);
    connect(pConclusion, &CConclusion::loadResultsTable, this,
            &CFusionWidget::slot_formResultsTable);
    connect(pConclusion, &CConclusion::lastNumberChanged, this,
            &CFusionWidget::slot_conclusionNumbersChanged);
    pConclusion->resize(width(), pConclusion->height());
    pConclusion->show();
    lstSections.append(pConclusion);
    lstConclusions.append(pConclusion);
    return true;
}

void CFusionWidget::removeConclusion(CConclusion* pConclusion) {
    lstSections.removeOne(pConclusion);
    lstConclusions.removeOne(pConclusion);
    delete pConclusion;
}

bool CFusionWidget::mayRemoveLastConclusion() {
    if (lstConclusions.isEmpty() || !lstConclusions.last()->hasContent())
        return true;
    return CUserDialogs::confirm(
        this, QStringLiteral("Удаление раздела"),
        QStringLiteral("Удалить раздел «%1» вместе с таблицей результатов, заключением и "
                       "специалистами?")
            .arg(lstConclusions.last()->nominativeMethod()));
}

bool CFusionWidget::mayChangeMethods(const QList<int>& lstChosen) {
    const int n = qMin(lstChosen.size(), lstConclusions.size());
    for (int i = 0; i < n; ++i) {
        const CConclusion* pConclusion = lstConclusions[i];
        if (pConclusion->dativeMethod() == lstMethodsDative.value(lstChosen[i]) ||
            !pConclusion->hasNamedSpecialist())
            continue;
        if (CUserDialogs::confirm(this, QStringLiteral("Смена метода контроля"),
                                  QStringLiteral("Специалисты раздела «%1» будут удалены из "
                                                 "заключения. Продолжить?")
                                      .arg(pConclusion->nominativeMethod())))
            continue;
        pMethodsSet->restoreRow(i, lstMethodsDative.indexOf(pConclusion->dativeMethod()));
        return false;
    }
    return true;
}

int CFusionWidget::selectedMethodIndex(int i) const {
    return chosenMethods().value(i, 0);
}

void CFusionWidget::slot_listUsedMethodsChanged(int iSize) {
    int k = lstConclusions.size();
    if (k < iSize) {
        while (k < iSize && addConclusion(lastNumber() + 1, selectedMethodIndex(k)))
            ++k;
        slot_innerWidgetHeightChanged();
    } else if (0 < iSize && iSize < k) {
        // the last conclusion goes, whatever method it was made for
        while (iSize < k) {
            CConclusion* pLast = lstConclusions.last();
            const int c = lstSections.indexOf(pLast);
            removeConclusion(pLast);
            renumberFrom(c, numberBefore(c) + 1);
            --k;
        }
        slot_innerWidgetHeightChanged();
    }
    if (iSize > 1 && iSize == k)
        updateOtherMethods();
}

void CFusionWidget::slot_usedMethodsChanged() {
    const QList<int> lstChosen = chosenMethods();
    if (!bReadingDocument && !mayChangeMethods(lstChosen))
        return;
    const int n = lstChosen.size();
    if (n > 0 && n == lstConclusions.size()) {
        for (int i = 0; i < n; ++i)
            lstConclusions[i]->setMethod(lstMethodsGenitive.value(lstChosen[i]),
                                         lstMethodsDative.value(lstChosen[i]));
        if (n > 1)
            updateOtherMethods();
    }
    slot_innerWidgetHeightChanged();
}

void CFusionWidget::updateOtherMethods() {
    const QList<int> lstChosen = chosenMethods();
    const int n = qMin(lstChosen.size(), lstConclusions.size());
    // the first conclusion is offered nothing to form its table from
    for (int i = 1; i < n; ++i) {
        QStringList lstOthers;
        for (const int m : lstChosen) {
            const QString sName = lstMethodsGenitive.value(m);
            if (m != lstChosen[i] && !lstOthers.contains(sName))
                lstOthers.append(sName);
        }
        lstConclusions[i]->setMethodsList(lstOthers);
    }
}

void CFusionWidget::slot_formResultsTable(CConclusion* pSender, const QString& s) {
    const int i = lstMethodsGenitive.indexOf(s);
    if (i < 0)
        return;
    const QString sDative = lstMethodsDative.value(i);
    if (pSender->hasResults() &&
        !CUserDialogs::confirm(
            this, QStringLiteral("Сформировать"),
            QStringLiteral("Заменить таблицу результатов таблицей «%1»?").arg(s)))
        return;
    for (CConclusion* pConclusion : std::as_const(lstConclusions)) {
        if (pConclusion == pSender || pConclusion->sDativeMethod != sDative)
            continue;
        int iRows = 0;
        int iColumns = 0;
        QStringList lstTitles;
        QStringList lstCells;
        pConclusion->getData(iRows, iColumns, lstTitles, lstCells);
        pSender->setData(iRows, iColumns, lstTitles, lstCells);
        // named before it goes out, until the user makes it this method's
        lstCopiedTables.append(
            {pSender, pConclusion->nominativeMethod(), pSender->record().results.table});
    }
}

void CFusionWidget::slot_conclusionNumbersChanged(CConclusion* pSender) {
    if (bReadingDocument)
        return;
    const int c = lstSections.indexOf(pSender);
    if (c >= 0)
        renumberFrom(c + 1, pSender->specialistNumber() + 1);
}
