// The reference lists the form offers, and the command bar's file
// commands, which the document controller carries out.
#include "composer/fusionwidget.h"

#include "commands/createreport.h"
#include "composer/documentcontroller.h"
#include "composer/journallink.h"
#include "composer/reportheader.h"
#include "items/editableset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "refdata/measuringtool.h"
#include "results/conclusion.h"
#include "storage/referencelists.h"

CReferenceLists& CFusionWidget::lists() const {
    return *pLists;
}

void CFusionWidget::showLists(int iFiles) {
    if (!(iFiles & eOptionalFile) || !pCustomerItem || !pReasonItem)
        return; // still being built, or nothing these boxes offer
    bApplyingLists = true;
    const QString sGround = pReasonItem->valueText();
    pCustomerItem->setChoices(pLists->organizationNames());
    pReasonItem->setChoices(groundsOffered());
    if (!sGround.isEmpty())
        pReasonItem->setValue(sGround);
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        auto pSet = qobject_cast<CEditableSet*>(lstSections[i]);
        if (pSet && pSet->name() == sStandardsCaption)
            pSet->setChoices(pLists->standards());
        else if (pSet && pSet->name() == sAssessmentCaption)
            pSet->setChoices(pLists->assessments());
    }
    bApplyingLists = false;
}

const Organization* CFusionWidget::shownOrganization() const {
    const QString sCustomer = pCustomerItem ? pCustomerItem->valueText() : QString();
    return sCustomer.isEmpty() ? nullptr : pLists->organization(sCustomer);
}

QStringList CFusionWidget::groundsOffered() const {
    const Organization* pOrganization = shownOrganization();
    return pOrganization ? pOrganization->lstGrounds : QStringList();
}

CCreateReport* CFusionWidget::commandBar() const {
    return qobject_cast<CCreateReport*>(lstSections.value(0));
}

void CFusionWidget::showStatus(CCreateReport::EStatus eSource, const QString& sText) {
    if (CCreateReport* pBar = commandBar())
        pBar->showStatus(eSource, sText);
}

QString CFusionWidget::status(CCreateReport::EStatus eSource) const {
    const CCreateReport* pBar = commandBar();
    return pBar ? pBar->status(eSource) : QString();
}

void CFusionWidget::showRecentDocuments(const QStringList& lstPaths) {
    if (CCreateReport* pBar = commandBar())
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
    pController->journalLink().showJournal();
}

void CFusionWidget::slot_issueReport() {
    pController->issueReport();
}

void CFusionWidget::slot_newRevision() {
    pController->newRevision();
}
