// The reference files: read from and written to a folder that the
// laboratory's programs may share, kept in step with what the others write;
// and "Настройки", which choose that folder and the journal.
#include "composer/documentcontroller.h"

#include "base/constants.h"
#include "base/settings.h"
#include "base/streamutil.h"
#include "base/userdialogs.h"
#include "composer/fusionwidget.h"
#include "composer/journallink.h"
#include "composer/settingsdialog.h"
#include "items/spellchecker.h"
#include "storage/journal.h"
#include "storage/journalservice.h"
#include "storage/labstatement.h"
#include "storage/referencefiles.h"
#include "storage/referencelists.h"
#include "storage/referencestore.h"
#include "storage/settingskeys.h"

#include <QDataStream>
#include <QDir>
#include <QPointer>
#include <QTimer>

void CDocumentController::openLists(const QString& sDir) {
    if (!pLists) {
        pLists = new CReferenceLists(sDir, sAppDir, this);
        connect(pLists, &CReferenceLists::problemFound, this, [this](const QString& sText) {
            CUserDialogs::warning(&form, g_sReferenceTitle, sText);
        });
        connect(pLists, &CReferenceLists::statusChanged, &form, [this](const QString& sText) {
            form.showStatus(CCreateReport::EStatus::ListChanges, sText);
        });
    } else {
        pLists->setFolder(sDir);
    }
    // the words the laboratory added to the spelling dictionary live with its lists
    CSpellChecker& checker = CSpellChecker::shared();
    checker.setUserDictionary(QDir(sDir).filePath(QStringLiteral("dictionary.txt")));
    checker.setFolderCheck([pLists = QPointer<CReferenceLists>(pLists)] {
        return pLists ? pLists->files().folderProblem() : QString();
    });
    if (!checker.problem().isEmpty())
        CUserDialogs::warning(&form, g_sReferenceTitle, checker.problem());
}

QString CDocumentController::referenceDir() const {
    return pLists ? pLists->dir() : sDataDir;
}

void CDocumentController::setReferenceDir(const QString& sDir) {
    // the folder's lists, with this program's entries joining them
    const SReferenceLists mine = pLists->lists();
    openLists(sDir.isEmpty() ? sDataDir : sDir);
    pLists->join(mine);
}

void CDocumentController::announceListProblems() {
    const QStringList lstProblems = pLists->problems();
    if (!lstProblems.isEmpty())
        CUserDialogs::warning(&form, g_sReferenceTitle, lstProblems.join(QLatin1Char('\n')));
}

bool CDocumentController::saveReferenceFiles() {
    QStringList lstProblems;
    QString sError;
    if (!CReferenceFiles::saveWorkDir(sDataDir, sWorkDir, &sError))
        lstProblems << sError;
    // what the protocol names joins the laboratory's lists
    const ProtocolDocument doc = form.document();
    pLists->learn(doc, false);
    // the laboratory issues its next protocol under the same header
    if (const HeaderRecord* pHeader = doc.first<HeaderRecord>())
        pLists->files().writeHeader(bytesOf(*pHeader));
    // a folder that stays read-only is told once, not at every save
    const QString sHeaderProblem = pLists->files().problem(CReferenceFiles::sHeaderFile);
    if (!sHeaderProblem.isEmpty() && sHeaderProblem != sHeaderProblemTold) {
        lstProblems << sHeaderProblem;
        sHeaderProblemTold = sHeaderProblem;
    }
    lstProblems.removeAll(QString());
    if (lstProblems.isEmpty())
        return true;
    reportUnwrittenFiles(lstProblems);
    return false;
}

void CDocumentController::loadLastHeader() {
    QString sProblem;
    QDataStream in(pLists->files().loadHeader(&sProblem));
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

void CDocumentController::showSettings() {
    const SJournalPlace place = SJournalPlace::load();
    CSettingsDialog dialog(CReferenceFiles::chosenDir(), place, sDataDir, &form);
    dialog.setStatement(CLabStatement::read(referenceDir()));
    dialog.setArchiveFolder(openSettings()->value(SettingsKey::sArchiveFolder).toString());
    if (CUserDialogs::get().execDialog(&dialog) != QDialog::Accepted)
        return;
    openSettings()->setValue(SettingsKey::sArchiveFolder, dialog.archiveFolder());
    // the journal as it was, for its rows to be carried over
    const QString sBeforeFile = pJournalLink->journal()->journalFile();
    if (!(dialog.journalPlace() == place)) {
        dialog.journalPlace().store();
        pJournalLink->reopenJournal();
    }
    openSettings()->setValue(SettingsKey::sReferenceFolder, dialog.folder());
    pJournalLink->setJournalDir(QString()); // the folder chosen now, which can be used
    const QString sChosen = dialog.folder().isEmpty() ? sDataDir : dialog.folder();
    const bool bAnew = mayStartFolderAnew(sChosen);
    if (bAnew)
        CReferenceStore::forgetFolder(CReferenceStore::copyDirIn(sOwnDir));
    if (bAnew || QDir(sChosen) != QDir(referenceDir()))
        setReferenceDir(dialog.folder());
    if (bAnew)
        pJournalLink->startJournal(); // what waited goes there, and a number is offered
    // the statement goes to the folder chosen, for every workstation there
    // (not into a folder that is away or stands empty)
    QString sProblem = pLists->files().folderProblem();
    if (dialog.isStatementChanged() &&
        (!sProblem.isEmpty() ||
         !CLabStatement::write(referenceDir(), dialog.statement(), &sProblem)))
        reportUnwrittenFiles({sProblem});
    const CJournalService* pJournal = pJournalLink->journal();
    if (!CJournal::isSame(place, sBeforeFile, pJournal->where(), pJournal->journalFile()))
        pJournalLink->offerToCarryJournal(sBeforeFile, place);
}

bool CDocumentController::mayStartFolderAnew(const QString& sDir) {
    const QString sCopyDir = CReferenceStore::copyDirIn(sOwnDir);
    if (sOwnDir.isEmpty() || !CReferenceStore::standsEmpty(sDir, sCopyDir) ||
        CUserDialogs::question(
            &form, g_sReferenceTitle,
            QStringLiteral("Папка справочников «%1» пуста, хотя в ней были справочники "
                           "лаборатории. Если это общая папка, которая не подключена, подключите "
                           "ее и ответьте «Нет».\nНачать справочники и журнал лаборатории в этой "
                           "папке заново?")
                .arg(QDir::toNativeSeparators(sDir)),
            CUserDialogs::Yes | CUserDialogs::No, CUserDialogs::No) != CUserDialogs::Yes)
        return false;
    return true;
}

void CDocumentController::setOwnDir(const QString& sDir) {
    // the lists keep their queue and last good copy there, whatever the
    // journal's queue did before
    pLists->setOwnDir(sDir);
    sOwnDir = sDir;
    pJournalLink->setQueueDir(sDir);
}
