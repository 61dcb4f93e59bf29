#pragma once

#include "commands/lastnumbersource.h"
#include "document/protocoldocument.h"
#include "storage/referencestore.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class CAboutWindow;
class CJournal;
class CJournalWindow;
struct SJournalEntry;
struct SQueuedEntry;
class QThread;
class CRecoveryFile;
class QTimer;
class CConclusion;
class CMeasuringTool;
class CEditableSet;
class CMethodsSet;
class CReportHeader;
class CStdComboItem;
class CStdDateItem;
class CStdItem;
class QDataStream;
class QPagedPaintDevice;
class QPrinter;

// The form of one protocol: creates its sections in a fixed order, stacks
// them at full width, numbers them, keeps the reference lists in step with
// what the user types, saves, opens, prints and previews the protocol.
class CFusionWidget : public QWidget, public CLastNumberSource {
    Q_OBJECT
public:
    // Fixed places in the list of sections: they never move, because user
    // items and conclusions are only ever inserted from iFirstNumberedIndex on.
    static constexpr int iProtocolNumberIndex = 3;
    static constexpr int iProtocolDateIndex = 4;
    static constexpr int iMethodsIndex = 5;
    static constexpr int iFirstNumberedIndex = 6;
    // The most items of their own a protocol holds; a document with more is
    // damaged, and the new-item form refuses another.
    static constexpr int iMaxUserItems = ::iMaxUserItems;

    // sAppDir is the program's directory; the user's own files ("program_wd",
    // recovery copies) are written to sDataDir (sAppDir when empty), the
    // reference files to sReferenceDir (sDataDir when empty), a folder the
    // laboratory may share. Files not there yet are read from sAppDir.
    explicit CFusionWidget(const QString& sAppDir, QWidget* pParent = nullptr,
                           const QString& sDataDir = QString(),
                           const QString& sReferenceDir = QString());
    ~CFusionWidget() override;

    const QList<QWidget*>& sections() const { return lstSections; }
    const QString& workDir() const { return sWorkDir; }
    // The document the protocol was last opened from or saved to; empty for
    // a new protocol, or one read only partly.
    const QString& currentFile() const { return sCurrentFile; }

    int layOutSections();
    // Tab moves through the form as it reads: section by section, and within
    // a section line by line, left to right, each "+" and "-" after the
    // editors it follows.
    void updateTabOrder();
    QStringList organizationNames() const;

    // Rendering.
    QString buildProtocolHtml();
    QString protocolHeading();

    // The protocol as a document: the records the sections show, what is
    // still being typed included, as a save writes them.
    ProtocolDocument document() const;
    // Shows a document in place of the protocol shown: every section as the
    // document has it, or as a new protocol where it says nothing; the
    // reference lists take in what it names.
    void setDocument(const ProtocolDocument& doc);
    // A new protocol under the laboratory header shown, dated today.
    ProtocolDocument blankDocument() const;

    // The close-time check: the protocol differs from the document last
    // opened or saved (takeSnapshot), or was read only partly.
    void takeSnapshot();
    bool isChanged() const;
    bool hasUnsavedChanges() const { return isChanged(); }
    // Whether the protocol was changed, as last announced.
    bool isModified() const { return bShownModified; }
    // Asks whether to save a changed protocol; false when the window must
    // stay open (Cancel, or the user wanted it saved but no document was
    // written).
    bool askSaveOnClose();
    // Offers to save a changed protocol before it is closed or replaced:
    // Yes saves, No goes on without saving, Cancel goes back to the form.
    // False when the protocol must stay.
    bool offerToSaveChanges();
    // The printer of the protocol, landscape; made when first used, since
    // Qt asks the system's printers then.
    QPrinter* printer();
    // The expired or missing validities of specialists and instruments, a
    // line each; when there are any the user is asked whether to print all
    // the same. True when the print may go ahead.
    QStringList validityProblems() const;
    // sQuestion ends the question: "Печатать протокол все равно?" and the like.
    bool confirmValidity(const QString& sTitle, const QString& sQuestion);

    // The protocol document.
    void commitEdits();
    void syncOrganizations();
    // Makes the form a new protocol: every section as at start but the
    // laboratory header, which stays; the reference lists stay too.
    void resetToNewProtocol();
    void removeUserItems();
    CStdItem* numberItem() const;
    // Crash recovery: while the protocol has unsaved changes it is copied
    // every iRecoveryIntervalMs into this instance's recovery document in
    // sDir; a save or a clean end removes the copy.
    static constexpr int iRecoveryIntervalMs = 2 * 60 * 1000;
    void startRecovery(const QString& sDir);
    // Offers the copies in sDir left by instances that are no longer
    // running; a copy taken is read into the form, which stays unsaved.
    void offerRecovery(const QString& sDir);
    QString recoveryPath() const;
    // Opens a document with the checks and warnings of the open button
    // (extension, readable, damaged); true when it was read whole.
    bool openDocument(const QString& sFileName);
    // Saves in place once the protocol has a file, with the file dialog
    // before; true when a document was written.
    bool saveReport();
    // Asks for a file, starting at the current one, and saves there.
    bool saveReportAs();
    // Writes the protocol to sFileName, with the reference files; warns and
    // returns false when it cannot be written.
    bool writeProtocol(const QString& sFileName);
    // A new protocol in place of this one, after the save question: the
    // laboratory header stays, every other section as at start.
    bool newProtocol();
    // Opens a document after the save question (a name without ".rpt" is
    // refused first); a recent document that is gone leaves the list.
    bool openWithQuestion(const QString& sFileName);
    // Writes the pages the print gives into a PDF file; false when it cannot
    // be written. A print the user cancelled leaves no file.
    bool exportPdf(const QString& sFileName);
    // A print or PDF taking longer than this shows its progress.
    static inline int iProgressDelayMs = 500;
    // The protocol number as a file name: "118/26" gives "118-26" + sSuffix.
    QString proposedFileName(const QString& sSuffix) const;
    // Writes "program_wd" and the reference files, merged with what other
    // programs wrote; warns and returns false when one cannot be written.
    bool saveReferenceFiles();
    // The folder of the reference files; another one is taken in with the
    // lists it holds, this program's entries added to them at the next save.
    QString referenceDir() const;
    void setReferenceDir(const QString& sDir);
    // The folder chosen in "Настройки"; empty for the program's own choice.
    static QString chosenReferenceDir();

    // The protocol journal, in the data folder or on the laboratory's
    // server as "Настройки" say.
    CJournal* journal();
    // The journal is opened again as the settings now say.
    void reopenJournal();
    // The journal moved elsewhere: its rows are offered to be carried over.
    void offerToCarryJournal(CJournal& before);
    // A new protocol without a number gets the next free one of the year.
    void offerNextNumber();
    // At start: rows a previous run left waiting go as soon as the journal
    // answers, and a new protocol is offered its number.
    void startJournal();
    // An editor of a section changed: whether the protocol is changed is
    // judged once the event loop turns.
    void slot_contentEdited();

    // Rows that could not reach the server are sent again this often.
    static inline int iJournalRetryMs = 60 * 1000;

    // Numbering.
    void renumberFrom(int index, int firstNumber);
    int lastNumber() const override;
    int insertPositionFor(int iNum) const;
    bool insertUserItem(int index, int iNum, const QString& sName, const QString& sValue,
                        bool bRenumber);
    const QList<CStdItem*>& userItems() const { return lstUserItems; }

    // Conclusions, one per chosen control method.
    bool addConclusion(int iNum, int methodIndex);
    int selectedMethodIndex(int i) const;
    void updateOtherMethods();
    const QList<CConclusion*>& conclusions() const { return lstConclusions; }

    // Reference lists.
    const QList<Organization>& organizations() const { return lstOrganizations; }
    const QStringList& standards() const { return lstStandards; }
    const QList<Specialist>& technicians() const { return lstTechnicians; }
    const QList<Tool>& tools() const { return lstTools; }
    int currentOrganization() const { return iCurrentOrg; }
    // Lists changed by other programs reach the form this long after the file.
    static constexpr int iRefreshDelayMs = 200;

public slots:
    virtual void slot_innerWidgetHeightChanged();
    virtual void slot_addNewStdItem(int iNum, const QString& sName, const QString& sValue);
    virtual void slot_deleteNewItemAdded(CStdItem* pSender);
    virtual void slot_usedMethodsChanged();
    virtual void slot_listUsedMethodsChanged(int iSize);
    virtual void slot_specListEdited(CConclusion* pSender);
    virtual void slot_formResultsTable(CConclusion* pSender, const QString& s);
    virtual void slot_openSavedReport();
    virtual void slot_saveReport();
    virtual void slot_previewReport();
    virtual void slot_printReport();
    virtual void slot_showInfoAbout();
    void slot_saveReportAs();
    void slot_newReport();
    void slot_exportPdf();
    void slot_openRecentReport(const QString& sPath);
    // "Настройки": the folder of the reference files, kept in the settings.
    void slot_showSettings();
    // "Журнал протоколов".
    void slot_showJournal();
    // Sends what waits in the journal's queue.
    void slot_flushJournal();
    void printPreview(QPrinter* pTarget);
    // Copies the protocol to the recovery document when it has unsaved changes.
    void slot_recoveryTimeout();
    void slot_orgListItemAdded(const QString& s);
    void slot_orgListItemDeleted(const QString& s, int index);
    void slot_orgChanged(int index);
    void slot_reasonsListItemAdded(const QString& s);
    void slot_reasonsListItemDeleted(const QString& s, int index);
    // Another program wrote a reference file: the lists offered follow.
    void slot_referenceFilesChanged();

signals:
    // The protocol got another file, was saved, opened or started anew.
    void documentStateChanged();
    // The protocol came to differ from its document, or no longer does;
    // announced within one turn of the event loop.
    void modificationChanged(bool bModified);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    bool createSections();
    template <typename T> T* addSection(T* pSection);
    // Number a section carries last (a report item's number) and first.
    static int lastNumberOf(const QWidget* pSection);
    static int firstNumberOf(const QWidget* pSection);
    static bool isNumbered(const QWidget* pSection);
    int numberBefore(int index) const;
    int organizationIndex(const QString& sName) const;

    void commitPendingInput();
    // Connects an editor's changes to slot_contentEdited.
    void watchEdits(QWidget* pEditor);
    void checkModified();
    // Prints the protocol on the pages of pTarget; false when the user
    // cancelled it.
    bool renderProtocol(QPagedPaintDevice* pTarget);
    // Where the file dialogs start: the current document's directory, the
    // last one's, or the user's documents; never the recovery copies' place.
    QString documentDir() const;
    void setCurrentFile(const QString& sFileName);
    // A name typed without an extension gets sSuffix (".rpt"), so that it
    // can be opened again; a name ending in a point gets it without a second.
    static QString withSuffix(QString sFileName, const QString& sSuffix);
    void showRecentDocuments(const QStringList& lstPaths);
    QList<int> chosenMethods() const;
    // The sections a record read may go to: those there were when reading
    // began, as far as they are still there (a conclusion record may remove some).
    int sectionsBefore(int N) const { return qMin(N, int(lstSections.size())); }
    // Shows the records of a document over the sections as they are.
    void applyRecords(const ProtocolDocument& doc);
    void applyStdItem(const StdItemRecord& record, int N);
    void applyCombo(const ComboItemRecord& record, int N);
    void applyEditableSet(const EditableSetRecord& record, int N);
    void applyDateSet(const DateSetRecord& record, int N);
    void applyTools(const ToolsRecord& record, int N);
    void applyConclusions(const ConclusionsRecord& record);
    void applyUserItems(const UserItemsRecord& record);
    // Takes the specialists a document's conclusion carries into the list.
    void mergeTechnicians(const QList<Specialist>& lstRead);
    void removeConclusion(CConclusion* pConclusion);
    // The method a conclusion is for, as its row names it.
    QString methodNameOf(const CConclusion* pConclusion) const;
    // "-" of the methods removes the last conclusion: asked first when it
    // holds anything.
    bool mayRemoveLastConclusion();
    // A row showing another method clears the specialists of its
    // conclusion: asked first; false when the row went back.
    bool mayChangeMethods(const QList<int>& lstChosen);
    // A written conclusion switched on or off: the sections after its
    // conclusion follow its new last number.
    void slot_conclusionNumbersChanged(CConclusion* pSender);
    QString readDir(const QString& sFile) const;
    // Starts a new protocol with the laboratory header saved last.
    void loadLastHeader();
    // Tells the user which reference files could not be written, and why.
    void reportUnwrittenFiles(const QStringList& lstFailed);
    void openReferenceStore(const QString& sDir);
    // The lists the sections hold now, as this program's.
    void takeSectionLists();
    CReferenceStore::SLists currentLists();
    void takeLists(const CReferenceStore::SLists& lists);
    // The lists offered by every section follow the reference lists; what is
    // chosen or typed stays.
    void offerLists();
    // The row the journal keeps for the protocol saved to sFileName.
    SJournalEntry journalEntry(const QString& sFileName) const;
    // sNumber is registered for sRegistered: may it be reissued? Default No.
    bool mayReuseNumber(const QString& sNumber, const QString& sRegistered);
    // False when the number is another file's and the user keeps it so.
    bool mayTakeNumber(const SJournalEntry& entry, bool* pTakeOver);
    // A file that is another registered protocol, neither opened nor saved
    // by this one, is replaced only when the user agrees; default No.
    bool mayReplaceRegistered(const QString& sPath);
    // The journal row is held until the document is written; false when
    // the user gave the number up after all.
    bool beginRegistration(const SJournalEntry& entry, bool bTakeOver);
    // The document is written: the row is kept, or waits in the queue.
    void finishRegistration(const SJournalEntry& entry);
    // Tells the user of rows the journal refused, each naming its file.
    void announceRefused(const QList<SQueuedEntry>& lstRefused);
    void slot_openFromJournal(const QString& sPath);
    void journalFlushed(int iLeft, const QList<SQueuedEntry>& lstRefused);
    void waitForJournalFlush();
    // A line in the command bar: what the user should know, not asked.
    void showStatus(const QString& sText);
    // Every panel judges its validity by the protocol date shown.
    void applyProtocolDate(const QDate& dt);

    QString sAppDir;
    QString sDataDir;
    QString sWorkDir;
    QString sCurrentFile;
    // The files this protocol was opened from or saved to.
    QSet<QString> setOwnFiles;
    QString sRecoveryDir;
    QList<QWidget*> lstSections;
    QList<CStdItem*> lstUserItems;
    QList<CConclusion*> lstConclusions;
    // While a document is read, numbers come from the document.
    bool bReadingDocument = false;

    CReportHeader* pHeader = nullptr;
    CStdDateItem* pDateItem = nullptr;
    CMethodsSet* pMethodsSet = nullptr;
    CStdComboItem* pCustomerItem = nullptr;
    CStdComboItem* pReasonItem = nullptr;
    CMeasuringTool* pToolsSection = nullptr;
    CAboutWindow* pAboutWindow = nullptr;
    QPrinter* pPrinter = nullptr;

    QStringList lstMethodsNominative;
    QStringList lstMethodsInstrumental;
    QStringList lstMethodsGenitive;
    QStringList lstMethodsDative;

    QList<Specialist> lstTechnicians;
    QList<Tool> lstTools;
    QList<Organization> lstOrganizations;
    QStringList lstStandards;
    QStringList lstAssessments;
    int iCurrentOrg = -1;
    CReferenceStore* pStore = nullptr;
    QTimer* pRefreshTimer = nullptr;
    bool bApplyingLists = false;

    ProtocolDocument savedDocument;
    bool bEditCheckQueued = false;
    bool bShownModified = false;
    // A protocol taken from a recovery copy, or read only partly, is unsaved
    // until it is saved.
    bool bUnsaved = false;
    std::unique_ptr<CRecoveryFile> pRecovery;
    // A recovery copy that could not be written was reported.
    bool bRecoveryReported = false;
    QTimer* pRecoveryTimer = nullptr;
    std::unique_ptr<CJournal> pJournal;
    QPointer<CJournalWindow> pJournalWindow;
    QPointer<QThread> pFlushThread;
    QTimer* pJournalTimer = nullptr;

    // Captions by which the composer recognises sections.
    QString sCustomerCaption;
    QString sReasonCaption;
    QString sStandardsCaption;
    QString sAssessmentCaption;
};
