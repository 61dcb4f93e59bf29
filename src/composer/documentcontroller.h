#pragma once

#include "document/protocoldocument.h"
#include "storage/journal.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class CFusionWidget;
class CJournalLink;
class CProtocolModel;
class CRecoveryCopy;
class CReferenceLists;

// The protocol as a file of the laboratory's: new, open, save, save as and
// PDF; the one question before a changed protocol is given up; whether it
// is changed; the recovery copy; its row in the protocol journal; and the
// reference files the form's lists are read from and written to. The form
// shows the protocol; this keeps it.
class CDocumentController : public QObject {
    Q_OBJECT
public:
    // sAppDir is the program's directory; "program_wd" is written to sDataDir
    // (sAppDir when empty), and so are the recovery copies and the journal's
    // queue until setOwnDir names the user's own folder; the reference files
    // go to sReferenceDir (sDataDir when
    // empty), a folder the laboratory may share. Files not there yet are read
    // from sAppDir. The lists read go to the form.
    CDocumentController(CFusionWidget& form, const QString& sAppDir, const QString& sDataDir,
                        const QString& sReferenceDir);
    ~CDocumentController() override;

    // The form's sections are made: the header saved last starts the
    // protocol, which is what a new protocol is.
    void start();
    // The folder of this user on this computer alone, for the journal's
    // queue (sDataDir until set): a program folder several workstations
    // run from is no place for one workstation's rows.
    void setOwnDir(const QString& sDir);

    // The document the protocol was last opened from or saved to; empty for
    // a new protocol, or one read only partly.
    const QString& currentFile() const { return sCurrentFile; }
    // The directory of the last document.
    const QString& workDir() const { return sWorkDir; }

    // Whether the protocol differs from the document last opened or saved,
    // or was read only partly.
    bool isChanged() const;
    // As last announced with modificationChanged.
    bool isModified() const { return bShownModified; }
    // The form's document is the one opened or saved now.
    void takeSnapshot();
    // Looks whether the protocol changed, and announces it when it did.
    void checkModified();
    // Offers to save a changed protocol before it is closed or replaced:
    // Yes saves, No goes on without saving, Cancel (Escape) goes back to the
    // form. False when the protocol must stay.
    bool offerToSaveChanges();
    // A new protocol in place of this one, after the save question: the
    // laboratory header stays, every other section as at start.
    bool newProtocol();
    // The next protocol of the same work, after the save question: what the
    // one on screen shares with it kept, the rest empty (followingProtocol),
    // the next number offered; unsaved.
    bool newFromCurrent();
    // Asks for a document after the save question, and opens it.
    void openWithDialog();
    // Opens a document after the save question (a name without ".rpt" is
    // refused first).
    bool openWithQuestion(const QString& sFileName);
    // A recent document; one that is gone leaves the list, with a message.
    void openRecent(const QString& sPath);
    // Opens a document with the checks and warnings of the open button
    // (extension, size, readable, damaged); true when it was read whole.
    bool openDocument(const QString& sFileName);
    // Saves in place once the protocol has a file, with the file dialog
    // before; true when a document was written.
    bool saveReport();
    // Asks for a file, starting at the current one, and saves there.
    bool saveReportAs();
    // Writes the protocol to sFileName, registered in the journal in the
    // same unit of work, with the reference files; warns and returns false
    // when it was not written.
    bool writeProtocol(const QString& sFileName);
    // Asks for a file and writes the pages of the print into it as a PDF.
    void exportPdfWithDialog();
    // False when the PDF cannot be written (*pProblem says why); a print the
    // user cancelled leaves no file. *pPages receives the number of pages.
    bool exportPdf(const QString& sFileName, int* pPages = nullptr, QString* pProblem = nullptr);
    // The print as an OpenDocument text, an editable copy for a customer,
    // on the pages of the print with their footer.
    void exportOdtWithDialog();
    bool exportOdt(const QString& sFileName, QString* pProblem = nullptr);
    // The protocol number as a file name: "118/26" gives "118-26" + sSuffix.
    QString proposedFileName(const QString& sSuffix) const;

    // Crash recovery: while the protocol has unsaved changes it is copied,
    // within seconds of each change, into this instance's recovery document
    // in sDir; a save or a clean end removes the copy.
    void startRecovery(const QString& sDir);
    // Offers the copies in sDir left by instances that are no longer
    // running; a copy taken is shown, unsaved.
    void offerRecovery(const QString& sDir);
    static QString recoveryQuestion(const ProtocolDocument& document, const QString& sSource,
                                    const QString& sWhen);
    QString recoveryPath() const;
    // The copy's writer, once recovery has started.
    CRecoveryCopy* recoveryCopy() const { return pRecovery.get(); }
    // Copies the protocol to the recovery document now when it has unsaved
    // changes, and removes the copy when it has none.
    void writeRecoveryCopy();

    // The protocol journal as this window uses it.
    CJournalLink& journalLink() const { return *pJournalLink; }

    // The folder of the reference files; another one is taken in with the
    // lists it holds, this program's entries added to them at the next save.
    QString referenceDir() const;
    void setReferenceDir(const QString& sDir);
    // Writes "program_wd" and the laboratory header; the reference lists
    // learn what the protocol names. Warns and returns false when a file
    // cannot be written.
    bool saveReferenceFiles();
    // The laboratory's reference lists.
    CReferenceLists& lists() const { return *pLists; }
    // The protocol being edited.
    CProtocolModel& model() const { return *pModel; }
    // "Настройки": the folder of the reference files and the journal.
    void showSettings();

    // "Выдать протокол": refused, with the reasons, without a number or with
    // an expired or missing validity; after the question on what is left
    // unfilled and the question of the issue itself, the protocol is saved,
    // its PDF written into the archive and the issue recorded in the journal
    // with the fingerprints of both. True when it was issued.
    bool issueReport();
    // "Новая редакция": the issued protocol shown becomes a new unsaved one
    // under the next number of its revisions ("118/26-1"), naming the one
    // it replaces in an item of its own.
    bool newRevision();
    // The issue of the protocol shown, as the journal keeps it; none for a
    // protocol not issued.
    const std::optional<SIssueRecord>& issue() const { return issued; }
    // "Выдан 07.12.2026 14:03 (Иванов, ws1). Изменить можно только новой
    // редакцией."; empty for a protocol not issued.
    QString issuedLine() const;
    // The folder issued PDFs go to: the one chosen in "Настройки", or the
    // protocol's own.
    QString archiveDir() const;
    // The caption of the item naming the protocol a revision replaces.
    static inline const QString sReplacesCaption = QStringLiteral("Взамен протокола:");
    // The title of every message about saving a document.
    static inline const QString sSaveTitle = QStringLiteral("Сохранить документ");
    // Where the file dialogs start: the current document's directory, the
    // last one's, or the user's documents; never the recovery copies' place.
    QString documentDir() const;

signals:
    // The protocol got another file, was saved, opened or started anew.
    void documentStateChanged();
    // The protocol came to differ from its document, or no longer does.
    void modificationChanged(bool bModified);
    // Another protocol took the form: a new one, or one opened; it is read
    // from its top.
    void documentReplaced();

private:
    // The file an export in sFormat ("PDF") goes to, asked after the question
    // on dates; empty when the user stops at either.
    QString askExportFile(const QString& sFormat, const QString& sFilter);
    static QString exportTitle(const QString& sFormat);
    // the title's "*" and whoever else follows the state
    void showModified(bool bModified);
    void setCurrentFile(const QString& sFileName);
    // document takes the form as a new protocol, not saved anywhere yet.
    void startNew(const ProtocolDocument& document);
    // A name typed without an extension gets sSuffix (".rpt"), so that it
    // can be opened again; a name ending in a point gets it without a second.
    static QString withSuffix(QString sFileName, const QString& sSuffix);
    // A document read in place of the protocol, from sFileName; what the
    // form could not show of it, a line each.
    QStringList takeDocument(const SProtocolRead& read, const QString& sFileName);
    // The message of a document read or shown only partly, naming what was left out.
    static QString partlyReadText(const QString& sFileName, const QStringList& lstLeftOut);

    // Why the protocol shown may not be issued, a line each.
    QStringList issueRefusals() const;
    // The PDF into the archive and the issue into the journal; false also
    // while the journal's answer is still to come.
    bool recordIssue();
    // The journal's answer to the issue: the form read-only, or the PDF
    // taken back out of the archive and the user told why.
    bool finishIssue(const SIssueRecord& issue, const SIssueResult& result);
    // The revision of original under the number next, when original is
    // still the protocol shown.
    bool makeRevision(const SIssueRecord& original, const SNextNumber& next);
    // The protocol shown is issued as record says (none: not issued), its
    // file changed since when bChanged; the form follows.
    void showIssued(const std::optional<SIssueRecord>& record, bool bChanged);
    // Whether the document at place was issued, and its fingerprint now.
    struct SIssueLookUp {
        SIssueState state;
        QString sSha;
    };
    static SIssueLookUp issueOfFile(CJournal& journal, const SProtocolPlace& place);
    // The journal's answer for the document at sPath, while it is shown.
    void takeIssue(const QString& sPath, const SIssueLookUp& found);
    // Asks the journal whether the file shown was issued.
    void lookUpIssue();
    // The answer still to come is waited for, as long as for any journal
    // answer: before a save in place, an issue or a revision.
    void awaitIssue();
    // An issued protocol is not saved over its issued file: said, and true.
    bool refuseIssuedSave(const QString& sFileName);

    // The lists of the folder sDir.
    void openLists(const QString& sDir);
    // What is wrong with the lists' files is named at start, before anything
    // is written to them.
    void announceListProblems();
    // Starts a new protocol with the laboratory header saved last.
    void loadLastHeader();
    // Whether the laboratory starts anew in sDir, which stands empty where
    // its lists were: asked, for a share not mounted looks just the same.
    bool mayStartFolderAnew(const QString& sDir);
    // Tells the user which reference files could not be written, and why.
    void reportUnwrittenFiles(const QStringList& lstFailed);
    QString readDir(const QString& sFile) const;

    CFusionWidget& form;
    QString sAppDir;
    QString sDataDir;
    QString sOwnDir;
    QString sHeaderProblemTold; // the laboratory header's write problem last told
    QString sWorkDir;
    QString sCurrentFile;
    // The files this protocol was opened from or saved to.
    QSet<QString> setOwnFiles;

    CProtocolModel* pModel = nullptr;
    bool bShownModified = false;

    QString sRecoveryDir;
    std::unique_ptr<CRecoveryCopy> pRecovery;

    CJournalLink* pJournalLink = nullptr;
    std::optional<SIssueRecord> issued;
    bool bIssuedFileChanged = false;
    // the journal is asked whether the file shown was issued, and has not answered
    bool bIssueAsked = false;
    CReferenceLists* pLists = nullptr;
};
