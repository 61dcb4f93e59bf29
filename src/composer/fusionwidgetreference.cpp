// The reference lists of the form: read from and written to a folder that
// the laboratory's programs may share, kept in step with what the others write.
#include "composer/fusionwidget.h"

#include "base/constants.h"
#include "base/settings.h"
#include "base/streamutil.h"
#include "base/userdialogs.h"
#include "composer/journalwindow.h"
#include "composer/reportheader.h"
#include "composer/settingsdialog.h"
#include "items/editableset.h"
#include "items/spellchecker.h"
#include "items/stdcomboitem.h"
#include "refdata/measuringtool.h"
#include "results/conclusion.h"
#include "storage/journal.h"
#include "storage/referencefiles.h"
#include "storage/settingskeys.h"

#include <QDataStream>
#include <QDir>
#include <QIODevice>
#include <QTimer>

void CFusionWidget::openReferenceStore(const QString& sDir) {
    delete pStore;
    pStore = new CReferenceStore(sDir, sAppDir, this);
    // the words the laboratory added to the spelling dictionary live with its lists
    CSpellChecker::shared().setUserDictionary(
        QDir(sDir).filePath(QStringLiteral("dictionary.txt")));
    if (!pRefreshTimer) {
        // a replace comes as several changes: the lists follow once
        pRefreshTimer = new QTimer(this);
        pRefreshTimer->setSingleShot(true);
        pRefreshTimer->setInterval(iRefreshDelayMs);
        connect(pRefreshTimer, &QTimer::timeout, this, &CFusionWidget::slot_referenceFilesChanged);
    }
    connect(pStore, &CReferenceStore::filesChanged, pRefreshTimer, qOverload<>(&QTimer::start));
}

QString CFusionWidget::referenceDir() const {
    return pStore ? pStore->dir() : sDataDir;
}

void CFusionWidget::setReferenceDir(const QString& sDir) {
    const CReferenceStore::SLists mine = currentLists();
    openReferenceStore(sDir.isEmpty() ? sDataDir : sDir);
    // the folder's lists, with this program's entries joining them
    CReferenceStore::SLists lists = pStore->load();
    lists.lstTechnicians = joinReferences(lists.lstTechnicians, mine.lstTechnicians);
    lists.lstTools = joinReferences(lists.lstTools, mine.lstTools);
    lists.lstOrganizations = joinReferences(lists.lstOrganizations, mine.lstOrganizations);
    lists.lstStandards = joinReferences(lists.lstStandards, mine.lstStandards);
    lists.lstAssessments = joinReferences(lists.lstAssessments, mine.lstAssessments);
    takeLists(lists);
    offerLists();
}

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

void CFusionWidget::slot_referenceFilesChanged() {
    CReferenceStore::SLists lists = currentLists();
    if (!pStore || !pStore->refresh(lists))
        return;
    takeLists(lists);
    offerLists();
}

bool CFusionWidget::saveReferenceFiles() {
    QStringList lstProblems;
    QString sError;
    if (!CReferenceFiles::saveWorkDir(sDataDir, sWorkDir, &sError))
        lstProblems << sError;
    CReferenceStore::SLists lists = currentLists();
    pStore->writeTechnicians(lists.lstTechnicians);
    pStore->writeTools(lists.lstTools);
    pStore->writeOptional(lists);
    // the laboratory issues its next protocol under the same header
    pStore->writeHeader(bytesOf(pHeader->record()));
    for (const QString& sFile : {CReferenceFiles::sTechniciansFile, CReferenceFiles::sToolsFile,
                                 CReferenceFiles::sOptionalFile, CReferenceFiles::sHeaderFile})
        lstProblems << pStore->problem(sFile);
    takeLists(lists); // with what the other programs wrote
    offerLists();
    lstProblems.removeAll(QString());
    lstProblems.removeDuplicates(); // a folder that cannot be written, once
    if (lstProblems.isEmpty())
        return true;
    reportUnwrittenFiles(lstProblems);
    return false;
}

void CFusionWidget::loadLastHeader() {
    QString sProblem;
    QDataStream in(pStore->loadHeader(&sProblem));
    if (!sProblem.isEmpty())
        CUserDialogs::warning(this, g_sReferenceTitle, sProblem);
    in.setVersion(QDataStream::Qt_4_6);
    HeaderRecord header;
    if (!in.atEnd() && readRecord(in, header))
        pHeader->setRecord(header);
}

void CFusionWidget::reportUnwrittenFiles(const QStringList& lstFailed) {
    CUserDialogs::warning(this, g_sReferenceTitle,
                          QStringLiteral("Не удалось записать справочные файлы:\n%1")
                              .arg(lstFailed.join(QLatin1Char('\n'))));
}

// A panel saved or deleted a specialist: every conclusion offers the new
// list at once, and it is written without waiting for a protocol save.
void CFusionWidget::slot_specListEdited(CConclusion* pSender) {
    lstTechnicians = pSender->specialists();
    pStore->writeTechnicians(lstTechnicians);
    const QString sProblem = pStore->problem(CReferenceFiles::sTechniciansFile);
    for (CConclusion* pConclusion : std::as_const(lstConclusions))
        pConclusion->setSpecialists(lstTechnicians);
    if (!sProblem.isEmpty())
        reportUnwrittenFiles({sProblem});
}

QString CFusionWidget::chosenReferenceDir() {
    return openSettings()->value(SettingsKey::sReferenceFolder).toString();
}

void CFusionWidget::slot_showSettings() {
    const SJournalPlace place = SJournalPlace::load();
    CSettingsDialog dialog(chosenReferenceDir(), place, sDataDir, this);
    if (CUserDialogs::get().execDialog(&dialog) != QDialog::Accepted)
        return;
    waitForJournalFlush();
    // the journal as it was, for its rows to be carried over
    CJournal before(journal()->journalFile(), journal()->queueFile(), place);
    if (!(dialog.journalPlace() == place)) {
        dialog.journalPlace().store();
        reopenJournal();
    }
    openSettings()->setValue(SettingsKey::sReferenceFolder, dialog.folder());
    if (QDir(dialog.folder().isEmpty() ? sDataDir : dialog.folder()) != QDir(referenceDir()))
        setReferenceDir(dialog.folder());
    if (!journal()->isSameAs(before))
        offerToCarryJournal(before);
}

void CFusionWidget::offerToCarryJournal(CJournal& before) {
    const int iRows = journal()->copyRowsFrom(before, nullptr, true);
    if (iRows <= 0)
        return;
    const QString sTitle = QStringLiteral("Журнал протоколов");
    if (CUserDialogs::question(this, sTitle,
                               QStringLiteral("Журнал протоколов теперь: %1 (был: %2).\n"
                                              "Перенести записей журнала: %3?")
                                   .arg(journal()->describe(), before.describe())
                                   .arg(iRows),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) != QMessageBox::Yes)
        return;
    QStringList lstSkipped;
    const int iCopied = journal()->copyRowsFrom(before, &lstSkipped);
    if (iCopied < 0) {
        CUserDialogs::warning(
            this, sTitle,
            QStringLiteral("Записи журнала не перенесены: %1.")
                .arg(journal()->problem().isEmpty() ? before.problem() : journal()->problem()));
        return;
    }
    if (!lstSkipped.isEmpty())
        CUserDialogs::warning(this, sTitle,
                              QStringLiteral("Перенесено записей: %1. Не перенесены, эти номера в "
                                             "новом журнале уже зарегистрированы за другими "
                                             "файлами:\n%2")
                                  .arg(iCopied)
                                  .arg(lstSkipped.join(QLatin1Char('\n'))));
    if (pJournalWindow)
        pJournalWindow->refresh();
}
