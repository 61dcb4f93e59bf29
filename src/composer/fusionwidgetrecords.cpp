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

#include <QSet>
#include <algorithm>

ProtocolDocument CFusionWidget::document() const {
    ProtocolDocument doc;
    QList<SectionRecord>& lst = doc.lstRecords;
    lst.reserve(lstSections.size());
    lst << pHeader->record();
    if (CStdItem* pNumber = numberItem())
        lst << pNumber->record();
    lst << pDateItem->record() << pMethodsSet->record();
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        QWidget* pSection = lstSections[i];
        if (auto pItem = qobject_cast<CStdItem*>(pSection)) {
            if (!lstUserItems.contains(pItem))
                lst << pItem->record();
        } else if (auto pDates = qobject_cast<CExtDatSet*>(pSection)) {
            lst << pDates->record();
        } else if (auto pSet = qobject_cast<CEditableSet*>(pSection)) {
            lst << pSet->record();
        } else if (auto pCombo = qobject_cast<CStdComboItem*>(pSection)) {
            lst << pCombo->record();
        } else if (auto pTools = qobject_cast<CMeasuringTool*>(pSection)) {
            lst << pTools->record();
        }
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
// they are still there; the reference lists take in what the document names.
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

void CFusionWidget::applyCombo(const ComboItemRecord& record, int N) {
    const QString& sText = record.sValue;
    QStringList L;
    CStdComboItem* pTarget = nullptr;
    if (record.sName == sCustomerCaption) {
        L = organizationNames();
        if (!sText.isEmpty() && !L.contains(sText)) {
            L.append(sText);
            lstOrganizations.append(Organization{sText, QStringList()});
        }
        pTarget = pCustomerItem;
    } else if (record.sName == sReasonCaption) {
        const QString c = pCustomerItem ? pCustomerItem->value() : QString();
        const int iOrg = c.isEmpty() ? -1 : organizationIndex(c);
        if (iOrg >= 0) {
            L = lstOrganizations[iOrg].lstGrounds;
            if (!sText.isEmpty() && !L.contains(sText)) {
                L.append(sText);
                lstOrganizations[iOrg].lstGrounds.append(sText);
            }
        } else {
            if (!sText.isEmpty())
                L.append(sText);
            if (!c.isEmpty() && !sText.isEmpty())
                lstOrganizations.append(Organization{c, L});
        }
        pTarget = pReasonItem;
    }
    const int iTarget = lstSections.indexOf(pTarget);
    if (!pTarget || iTarget < iFirstNumberedIndex || iTarget >= N)
        return;
    pTarget->setNumber(record.iNum);
    pTarget->setChoices(L);
    pTarget->setValue(sText);
}

void CFusionWidget::applyEditableSet(const EditableSetRecord& record, int N) {
    QStringList* pReference = nullptr;
    if (record.sName == sStandardsCaption)
        pReference = &lstStandards;
    else if (record.sName == sAssessmentCaption)
        pReference = &lstAssessments;
    for (int i = iFirstNumberedIndex; i < sectionsBefore(N); ++i) {
        auto pSet = qobject_cast<CEditableSet*>(lstSections[i]);
        if (!pSet || pSet->name() != record.sName)
            continue;
        pSet->setNumber(record.iNum);
        if (pReference) {
            for (const QString& sText : record.lstTexts) {
                if (!sText.isEmpty() && !pReference->contains(sText))
                    pReference->append(sText);
            }
            pSet->setChoices(*pReference);
        } else {
            pSet->setChoices(record.lstTexts);
        }
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
    for (int i = 0; i < record.lstConclusions.size() && i < lstConclusions.size(); ++i) {
        lstConclusions[i]->setRecord(record.lstConclusions[i]);
        mergeTechnicians(record.lstConclusions[i].lstSpecialists);
    }
    // every conclusion offers the merged list, not the copy its document held
    for (CConclusion* pConclusion : std::as_const(lstConclusions))
        pConclusion->setSpecialists(lstTechnicians);
}

void CFusionWidget::mergeTechnicians(const QList<Specialist>& lstRead) {
    for (const Specialist& specialist : lstRead) {
        auto it = std::find_if(lstTechnicians.begin(), lstTechnicians.end(),
                               [&](const Specialist& s) { return s.sName == specialist.sName; });
        if (it == lstTechnicians.end()) {
            lstTechnicians.append(specialist);
            continue;
        }
        // a known specialist gains only certificates it lacks
        for (const Certificate& certificate : specialist.lstCertificates) {
            const bool bKnown =
                std::any_of(it->lstCertificates.cbegin(), it->lstCertificates.cend(),
                            [&](const Certificate& c) { return c.sNumber == certificate.sNumber; });
            if (!bKnown)
                it->lstCertificates.append(certificate);
        }
    }
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
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        if (auto pSet = qobject_cast<CEditableSet*>(lstSections[i]))
            pSet->mergeTypedTexts();
    }
    if (pToolsSection)
        pToolsSection->mergeIntoTools();
    takeSectionLists();
    syncOrganizations();
}
