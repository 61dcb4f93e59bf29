// The reference lists the form offers, and the command bar's file
// commands, which the document controller carries out.
#include "composer/fusionwidget.h"

#include "commands/createreport.h"
#include "composer/documentcontroller.h"
#include "composer/reportheader.h"
#include "items/editableset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "refdata/measuringtool.h"
#include "results/conclusion.h"

void CFusionWidget::takeSectionLists() {
    // the instruments section and the standards and assessments learn new
    // entries as the user enters them; what they learnt is this program's
    // to write, and must not give way to what another program wrote
    if (pToolsSection)
        lstTools = pToolsSection->tools();
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        auto pSet = qobject_cast<CEditableSet*>(lstSections[i]);
        if (pSet && pSet->name() == sStandardsCaption)
            lstStandards = pSet->choices();
        else if (pSet && pSet->name() == sAssessmentCaption)
            lstAssessments = pSet->choices();
    }
}

CReferenceStore::SLists CFusionWidget::currentLists() {
    takeSectionLists();
    return {lstTechnicians, lstTools, lstOrganizations, lstStandards, lstAssessments};
}

void CFusionWidget::takeLists(const CReferenceStore::SLists& lists) {
    lstTechnicians = lists.lstTechnicians;
    lstTools = lists.lstTools;
    lstOrganizations = lists.lstOrganizations;
    lstStandards = lists.lstStandards;
    lstAssessments = lists.lstAssessments;
}

void CFusionWidget::offerLists() {
    if (!pCustomerItem || !pReasonItem)
        return; // still being built
    bApplyingLists = true;
    for (CConclusion* pConclusion : std::as_const(lstConclusions))
        pConclusion->setSpecialists(lstTechnicians);
    if (pToolsSection)
        pToolsSection->setTools(lstTools);
    const QString sGround = pReasonItem->valueText();
    pCustomerItem->setChoices(organizationNames());
    iCurrentOrg = organizationIndex(pCustomerItem->valueText());
    pReasonItem->setChoices(iCurrentOrg >= 0 ? lstOrganizations[iCurrentOrg].lstGrounds
                                             : QStringList());
    if (!sGround.isEmpty())
        pReasonItem->setValue(sGround);
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        auto pSet = qobject_cast<CEditableSet*>(lstSections[i]);
        if (pSet && pSet->name() == sStandardsCaption)
            pSet->setChoices(lstStandards);
        else if (pSet && pSet->name() == sAssessmentCaption)
            pSet->setChoices(lstAssessments);
    }
    bApplyingLists = false;
}

// A panel saved or deleted a specialist: every conclusion offers the new
// list at once, and it is written without waiting for a protocol save.
void CFusionWidget::slot_specListEdited(CConclusion* pSender) {
    lstTechnicians = pSender->specialists();
    for (CConclusion* pConclusion : std::as_const(lstConclusions))
        pConclusion->setSpecialists(lstTechnicians);
    pController->saveSpecialists();
}

void CFusionWidget::showStatus(const QString& sText) {
    if (auto pBar = qobject_cast<CCreateReport*>(lstSections.value(0)))
        pBar->showStatus(sText);
}

void CFusionWidget::showRecentDocuments(const QStringList& lstPaths) {
    if (auto pBar = qobject_cast<CCreateReport*>(lstSections.value(0)))
        pBar->setRecentDocuments(lstPaths);
}

CStdItem* CFusionWidget::numberItem() const {
    return qobject_cast<CStdItem*>(lstSections.value(iProtocolNumberIndex));
}

QString CFusionWidget::protocolNumber() const {
    CStdItem* pNumber = numberItem();
    return pNumber ? pNumber->valueText() : QString();
}

void CFusionWidget::setProtocolNumber(const QString& sNumber) {
    if (CStdItem* pNumber = numberItem())
        pNumber->setValue(sNumber);
}

QString CFusionWidget::protocolDateText() const {
    return pDateItem ? pDateItem->dateText() : QString();
}

void CFusionWidget::setHeader(const HeaderRecord& header) {
    pHeader->setRecord(header);
}

void CFusionWidget::slot_openSavedReport() {
    pController->openWithDialog();
}

void CFusionWidget::slot_saveReport() {
    pController->saveReport();
}

void CFusionWidget::slot_saveReportAs() {
    pController->saveReportAs();
}

void CFusionWidget::slot_newReport() {
    pController->newProtocol();
}

void CFusionWidget::slot_exportPdf() {
    pController->exportPdfWithDialog();
}

void CFusionWidget::slot_newFromCurrent() {
    pController->newFromCurrent();
}

void CFusionWidget::slot_exportOdt() {
    pController->exportOdtWithDialog();
}

void CFusionWidget::slot_openRecentReport(const QString& sPath) {
    pController->openRecent(sPath);
}

void CFusionWidget::slot_showSettings() {
    pController->showSettings();
}

void CFusionWidget::slot_showJournal() {
    pController->showJournal();
}
