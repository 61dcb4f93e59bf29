// The protocol as a document: the records the sections show, and a document
// shown by the sections.
#include "composer/fusionwidget.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "composer/reportheader.h"
#include "items/editableset.h"
#include "items/extdatset.h"
#include "items/methodsset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "refdata/measuringtool.h"
#include "results/conclusion.h"
#include "results/tablewidgetheir.h"
#include "storage/referencelists.h"

#include <QSet>
#include <algorithm>

bool CFusionWidget::hasOwnRecord(const QWidget* pSection) const {
    if (pSection == pHeader || pSection == pDateItem || pSection == pMethodsSet)
        return true;
    if (auto pItem = qobject_cast<const CStdItem*>(pSection))
        return !lstUserItems.contains(const_cast<CStdItem*>(pItem));
    return qobject_cast<const CExtDatSet*>(pSection) ||
           qobject_cast<const CEditableSet*>(pSection) ||
           qobject_cast<const CStdComboItem*>(pSection) ||
           qobject_cast<const CMeasuringTool*>(pSection);
}

SectionRecord CFusionWidget::recordOf(const QWidget* pSection) const {
    if (pSection == pHeader)
        return pHeader->record();
    if (pSection == pDateItem)
        return pDateItem->record();
    if (pSection == pMethodsSet)
        return pMethodsSet->record();
    if (auto pItem = qobject_cast<const CStdItem*>(pSection))
        return pItem->record();
    if (auto pDates = qobject_cast<const CExtDatSet*>(pSection))
        return pDates->record();
    if (auto pSet = qobject_cast<const CEditableSet*>(pSection))
        return pSet->record();
    if (auto pCombo = qobject_cast<const CStdComboItem*>(pSection))
        return pCombo->record();
    return qobject_cast<const CMeasuringTool*>(pSection)->record();
}

int CFusionWidget::recordIndexOf(const QWidget* pSection) const {
    int iIndex = 0;
    for (const QWidget* p : lstSections) {
        if (!hasOwnRecord(p))
            continue;
        if (p == pSection)
            return iIndex;
        ++iIndex;
    }
    return -1;
}

// The sections' records in their order; the conclusions, then the items of
// the user's own, last.
ProtocolDocument CFusionWidget::document() const {
    ProtocolDocument doc;
    QList<SectionRecord>& lst = doc.lstRecords;
    lst.reserve(lstSections.size());
    for (const QWidget* pSection : lstSections) {
        if (hasOwnRecord(pSection))
            lst << recordOf(pSection);
    }
    ConclusionsRecord conclusions{qint32(lstConclusions.size()), {}};
    for (const CConclusion* pConclusion : lstConclusions)
        conclusions.lstConclusions.append(pConclusion->record());
    UserItemsRecord userItems;
    for (const CStdItem* pItem : lstUserItems)
        userItems.lstItems.append(pItem->record());
    lst << conclusions << userItems;
    return doc;
}

ProtocolDocument CFusionWidget::blankDocument() const {
    return blankProtocol(pHeader->record(), QDate::currentDate());
}

void CFusionWidget::setDocument(const ProtocolDocument& doc) {
    // nothing of the protocol shown survives, unless the form is a new
    // protocol already
    lstCopiedTables.clear();
    carriedObject.reset();
    const ProtocolDocument blank = blankDocument();
    if (!document().isSameProtocolAs(blank))
        applyRecords(blank);
    applyRecords(doc);
}

void CFusionWidget::removeUserItems() {
    if (lstUserItems.isEmpty())
        return;
    // one pass, however many there are: everything after the first of them
    // is numbered on from the section before it, as removing them one by
    // one would
    const QSet<QWidget*> setUser(lstUserItems.cbegin(), lstUserItems.cend());
    int iFirst = -1;
    QList<QWidget*> lstKept;
    lstKept.reserve(lstSections.size());
    for (int i = 0; i < lstSections.size(); ++i) {
        if (!setUser.contains(lstSections[i]))
            lstKept.append(lstSections[i]);
        else if (iFirst < 0)
            iFirst = i;
    }
    lstSections = lstKept;
    qDeleteAll(lstUserItems);
    lstUserItems.clear();
    if (iFirst >= 0)
        renumberFrom(iFirst, numberBefore(iFirst) + 1);
}

// Each record goes to the section it names: a standard section by its
// caption among the sections there were when the document began, as far as
// they are still there.
void CFusionWidget::applyRecords(const ProtocolDocument& doc) {
    removeUserItems();
    bReadingDocument = true;
    const int N = lstSections.size();
    for (const SectionRecord& record : doc.lstRecords) {
        if (const auto* p = std::get_if<HeaderRecord>(&record))
            pHeader->setRecord(*p);
        else if (const auto* p = std::get_if<DateRecord>(&record))
            pDateItem->setRecord(*p);
        else if (const auto* p = std::get_if<StdItemRecord>(&record))
            applyStdItem(*p, N);
        else if (const auto* p = std::get_if<ComboItemRecord>(&record))
            applyCombo(*p, N);
        else if (const auto* p = std::get_if<MethodsRecord>(&record))
            pMethodsSet->setRecord(*p);
        else if (const auto* p = std::get_if<EditableSetRecord>(&record))
            applyEditableSet(*p, N);
        else if (const auto* p = std::get_if<DateSetRecord>(&record))
            applyDateSet(*p, N);
        else if (const auto* p = std::get_if<ToolsRecord>(&record))
            applyTools(*p, N);
        else if (const auto* p = std::get_if<ConclusionsRecord>(&record))
            applyConclusions(*p);
        else if (const auto* p = std::get_if<UserItemsRecord>(&record))
            applyUserItems(*p);
    }
    bReadingDocument = false;
    slot_innerWidgetHeightChanged();
}

void CFusionWidget::applyStdItem(const StdItemRecord& record, int N) {
    for (int i = iProtocolNumberIndex; i < sectionsBefore(N); ++i) {
        auto pItem = qobject_cast<CStdItem*>(lstSections[i]);
        if (pItem && pItem->name() == record.sName) {
            // the protocol number never shows a number of its own
            if (i != iProtocolNumberIndex)
                pItem->setNumber(record.iNum);
            pItem->setValue(record.sValue);
            return;
        }
    }
}

void CFusionWidget::applyUserItems(const UserItemsRecord& record) {
    for (const StdItemRecord& item : record.lstItems) {
        if (lstUserItems.size() >= iMaxUserItems ||
            !insertUserItem(insertPositionFor(item.iNum), item.iNum, item.sName, item.sValue,
                            false))
            return;
    }
}

// A customer or ground read is shown among the entries the lists offer;
// what the lists lack of it they learn when the document is taken in.
void CFusionWidget::applyCombo(const ComboItemRecord& record, int N) {
    CStdComboItem* pTarget = record.sName == sCustomerCaption ? pCustomerItem
                             : record.sName == sReasonCaption ? pReasonItem
                                                              : nullptr;
    const int iTarget = lstSections.indexOf(pTarget);
    if (!pTarget || iTarget < iFirstNumberedIndex || iTarget >= N)
        return;
    pTarget->setNumber(record.iNum);
    pTarget->setChoices(pTarget == pCustomerItem ? pLists->organizationNames() : groundsOffered());
    pTarget->setValue(record.sValue);
}

void CFusionWidget::applyEditableSet(const EditableSetRecord& record, int N) {
    QStringList lstChoices = record.sName == sStandardsCaption    ? pLists->standards()
                             : record.sName == sAssessmentCaption ? pLists->assessments()
                                                                  : QStringList();
    for (const QString& sText : record.lstTexts) {
        if (!sText.isEmpty() && !lstChoices.contains(sText))
            lstChoices.append(sText);
    }
    for (int i = iFirstNumberedIndex; i < sectionsBefore(N); ++i) {
        auto pSet = qobject_cast<CEditableSet*>(lstSections[i]);
        if (!pSet || pSet->name() != record.sName)
            continue;
        pSet->setNumber(record.iNum);
        pSet->setChoices(lstChoices);
        pSet->setSelectedTexts(record.lstTexts);
        return;
    }
}

void CFusionWidget::applyDateSet(const DateSetRecord& record, int N) {
    // the dates a list of date editors would give back: at most as many as
    // it makes, a date before 2012 unset, an empty list one unset date
    QList<QDate> lstDates;
    for (const QDate& dt : record.lstDates) {
        if (lstDates.size() == CExtItem::iMaxStoredSubItems)
            break;
        lstDates.append(dt.isValid() && dt.year() >= 2012 ? dt : g_dtDefault);
    }
    if (lstDates.isEmpty())
        lstDates.append(g_dtDefault);
    for (int i = iFirstNumberedIndex; i < sectionsBefore(N); ++i) {
        auto pSet = qobject_cast<CExtDatSet*>(lstSections[i]);
        if (!pSet || pSet->name() != record.sName)
            continue;
        pSet->setNumber(record.iNum);
        pSet->setDates(lstDates);
        return;
    }
}

void CFusionWidget::applyTools(const ToolsRecord& record, int N) {
    for (int i = iFirstNumberedIndex; i < sectionsBefore(N); ++i) {
        if (auto pTools = qobject_cast<CMeasuringTool*>(lstSections[i])) {
            pTools->setRecord(record);
            return;
        }
    }
}

void CFusionWidget::applyConclusions(const ConclusionsRecord& record) {
    const int n = record.iCount;
    if (n <= 0)
        return;
    while (lstConclusions.size() < n) {
        if (!addConclusion(lastNumber() + 1, 0)) {
            CUserDialogs::critical(this, g_sCriticalTitle, g_sMemoryExhausted);
            return;
        }
    }
    while (lstConclusions.size() > n)
        removeConclusion(lstConclusions.last());
    for (int i = 0; i < record.lstConclusions.size() && i < lstConclusions.size(); ++i)
        lstConclusions[i]->setRecord(record.lstConclusions[i]);
}

void CFusionWidget::commitPendingInput() {
    // text still being typed in the header or the protocol date counts as
    // entered when the protocol is saved or printed
    if (pHeader)
        pHeader->commitTypedText();
    if (pDateItem)
        pDateItem->slot_updateDate();
}

void CFusionWidget::commitEdits() {
    commitPendingInput();
    for (CTableWidgetHeir* pTable : findChildren<CTableWidgetHeir*>())
        pTable->commitPendingEdit();
    if (CStdItem* pNumber = numberItem())
        pNumber->commitValue();
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        if (auto pItem = qobject_cast<CStdItem*>(lstSections[i]))
            pItem->commitValue();
    }
    commitChoices();
}
