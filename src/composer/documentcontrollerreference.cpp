// The reference files: read from and written to a folder that the
// laboratory's programs may share, kept in step with what the others write;
// and "Настройки", which choose that folder and the journal.
#include "composer/documentcontroller.h"

#include "base/constants.h"
#include "base/settings.h"
#include "base/streamutil.h"
#include "base/userdialogs.h"
#include "composer/fusionwidget.h"
#include "composer/settingsdialog.h"
#include "items/spellchecker.h"
#include "storage/journal.h"
#include "storage/journalservice.h"
#include "storage/referencefiles.h"
#include "storage/settingskeys.h"

#include <QDataStream>
#include <QDir>
#include <QTimer>

void CDocumentController::openReferenceStore(const QString& sDir) {
    delete pStore;
    pStore = new CReferenceStore(sDir, sAppDir, this);
    // the words the laboratory added to the spelling dictionary live with its lists
    CSpellChecker& checker = CSpellChecker::shared();
    checker.setUserDictionary(QDir(sDir).filePath(QStringLiteral("dictionary.txt")));
    if (!checker.problem().isEmpty())
        CUserDialogs::warning(&form, g_sReferenceTitle, checker.problem());
    if (!pRefreshTimer) {
        // a replace comes as several changes: the lists follow once
        pRefreshTimer = new QTimer(this);
        pRefreshTimer->setSingleShot(true);
        pRefreshTimer->setInterval(iRefreshDelayMs);
        connect(pRefreshTimer, &QTimer::timeout, this, &CDocumentController::refreshLists);
    }
    connect(pStore, &CReferenceStore::filesChanged, pRefreshTimer, qOverload<>(&QTimer::start));
}

QString CDocumentController::referenceDir() const {
    return pStore ? pStore->dir() : sDataDir;
}

void CDocumentController::setReferenceDir(const QString& sDir) {
    const CReferenceStore::SLists mine = form.currentLists();
    openReferenceStore(sDir.isEmpty() ? sDataDir : sDir);
    // the folder's lists, with this program's entries joining them
    CReferenceStore::SLists lists = pStore->load();
    lists.lstTechnicians = joinReferences(lists.lstTechnicians, mine.lstTechnicians);
    lists.lstTools = joinReferences(lists.lstTools, mine.lstTools);
    lists.lstOrganizations = joinReferences(lists.lstOrganizations, mine.lstOrganizations);
    lists.lstStandards = joinReferences(lists.lstStandards, mine.lstStandards);
    lists.lstAssessments = joinReferences(lists.lstAssessments, mine.lstAssessments);
    form.takeLists(lists);
    form.offerLists();
}

void CDocumentController::refreshLists() {
    CReferenceStore::SLists lists = form.currentLists();
    if (!pStore || !pStore->refresh(lists))
        return;
    form.takeLists(lists);
    form.offerLists();
}

bool CDocumentController::saveReferenceFiles() {
    QStringList lstProblems;
    QString sError;
    if (!CReferenceFiles::saveWorkDir(sDataDir, sWorkDir, &sError))
        lstProblems << sError;
    CReferenceStore::SLists lists = form.currentLists();
    pStore->writeTechnicians(lists.lstTechnicians);
    pStore->writeTools(lists.lstTools);
    pStore->writeOptional(lists);
    // the laboratory issues its next protocol under the same header
    const ProtocolDocument doc = form.document();
    if (const HeaderRecord* pHeader = doc.first<HeaderRecord>())
        pStore->writeHeader(bytesOf(*pHeader));
    for (const QString& sFile : {CReferenceFiles::sTechniciansFile, CReferenceFiles::sToolsFile,
                                 CReferenceFiles::sOptionalFile, CReferenceFiles::sHeaderFile})
        lstProblems << pStore->problem(sFile);
    form.takeLists(lists); // with what the other programs wrote
    form.offerLists();
    lstProblems.removeAll(QString());
    lstProblems.removeDuplicates(); // a folder that cannot be written, once
    if (lstProblems.isEmpty())
        return true;
    reportUnwrittenFiles(lstProblems);
    return false;
}

void CDocumentController::saveSpecialists() {
    CReferenceStore::SLists lists = form.currentLists();
    pStore->writeTechnicians(lists.lstTechnicians);
    const QString sProblem = pStore->problem(CReferenceFiles::sTechniciansFile);
    if (!sProblem.isEmpty())
        reportUnwrittenFiles({sProblem});
}

void CDocumentController::loadLastHeader() {
    QString sProblem;
    QDataStream in(pStore->loadHeader(&sProblem));
    if (!sProblem.isEmpty())
        CUserDialogs::warning(&form, g_sReferenceTitle, sProblem);
    in.setVersion(QDataStream::Qt_4_6);
    HeaderRecord header;
    if (!in.atEnd() && readRecord(in, header))
        form.setHeader(header);
}

void CDocumentController::reportUnwrittenFiles(const QStringList& lstFailed) {
    CUserDialogs::warning(&form, g_sReferenceTitle,
                          QStringLiteral("Не удалось записать справочные файлы:\n%1")
                              .arg(lstFailed.join(QLatin1Char('\n'))));
}

QString CDocumentController::chosenReferenceDir() {
    return openSettings()->value(SettingsKey::sReferenceFolder).toString();
}

void CDocumentController::showSettings() {
    const SJournalPlace place = SJournalPlace::load();
    CSettingsDialog dialog(chosenReferenceDir(), place, sDataDir, &form);
    if (CUserDialogs::get().execDialog(&dialog) != QDialog::Accepted)
        return;
    // the journal as it was, for its rows to be carried over
    const QString sBeforeFile = journal()->journalFile();
    if (!(dialog.journalPlace() == place)) {
        dialog.journalPlace().store();
        reopenJournal();
    }
    openSettings()->setValue(SettingsKey::sReferenceFolder, dialog.folder());
    setJournalDir(QString()); // the folder chosen now, which can be used
    if (QDir(dialog.folder().isEmpty() ? sDataDir : dialog.folder()) != QDir(referenceDir()))
        setReferenceDir(dialog.folder());
    if (!CJournal::isSame(place, sBeforeFile, journal()->where(), journal()->journalFile()))
        offerToCarryJournal(sBeforeFile, place);
}
