#pragma once

#include "commands/createreport.h"
#include "commands/lastnumbersource.h"
#include "document/protocoldocument.h"
#include "render/protocolprinter.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

class CAboutWindow;
class QLabel;
class CConclusion;
class CDocumentController;
class CMeasuringTool;
class CMethodsSet;
class CProtocolModel;
class CReferenceLists;
class CReportHeader;
class CStdComboItem;
class CStdDateItem;
class CStdItem;
class QPagedPaintDevice;
class QPrinter;

// The form of one protocol: creates its sections in a fixed order, stacks
// them at full width, numbers them, offers the laboratory's reference lists
// and takes the user's changes of them to their holder, shows a document and
// gives the one shown, prints and previews it. Its document controller keeps the protocol as a
// file: the command bar's file commands go there.
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

    // sAppDir is the program's directory; "program_wd" is written to sDataDir
    // (sAppDir when empty), and so are the recovery copies and the journal's
    // queue until setOwnDir names the user's own folder; the reference files
    // go to sReferenceDir (sDataDir when
    // empty), a folder the laboratory may share. Files not there yet are read
    // from sAppDir.
    explicit CFusionWidget(const QString& sAppDir, QWidget* pParent = nullptr,
                           const QString& sDataDir = QString(),
                           const QString& sReferenceDir = QString());
    ~CFusionWidget() override;

    CDocumentController& controller() const { return *pController; }
    // The command bar at the top of the form.
    CCreateReport* commandBar() const;
    const QList<QWidget*>& sections() const { return lstSections; }

    int layOutSections();
    // Tab moves through the form as it reads: section by section, and within
    // a section line by line, left to right, each "+" and "-" after the
    // editors it follows.
    void updateTabOrder();
    QStringList organizationNames() const;

    // The protocol as a document: the records the sections show, what is
    // still being typed included, as a save writes them.
    ProtocolDocument document() const;
    // The protocol being edited, which the form shows and reports its edits
    // to: the sections edited since take their records there now, rather
    // than once the event loop turns.
    CProtocolModel& model() const { return *pModel; }
    void syncModel();
    // Shows a document in place of the protocol shown: every section as the
    // document has it, or as a new protocol where it says nothing; the
    // reference lists take in what it names.
    void setDocument(const ProtocolDocument& doc);
    // A new protocol under the laboratory header shown, dated today.
    ProtocolDocument blankDocument() const;
    // Commits what is being typed, as a save does.
    void commitEdits();
    void removeUserItems();

    // The protocol number and date as shown.
    QString protocolNumber() const;
    void setProtocolNumber(const QString& sNumber);
    QString protocolDateText() const;
    void setHeader(const HeaderRecord& header);

    // The print of the document shown, and its heading.
    QString buildProtocolHtml() const;
    QString protocolHeading() const;
    // The printer of the protocol, on the page set-up chosen last; made
    // when first used, since Qt asks the system's printers then.
    QPrinter* printer();
    // Prints doc on the pages of pTarget, unless the user cancels or the
    // target cannot be painted on. The number of pages is in *pPages when
    // given.
    ERender renderProtocol(const ProtocolDocument& doc, QPagedPaintDevice* pTarget,
                           int* pPages = nullptr);
    // What the protocol shown should not go out with: expired or missing
    // validities (validityProblems), what is left unfilled
    // (completenessProblems), and what was carried over from another
    // method or protocol and not changed since. When there is any, the user
    // is asked whether to go on all the same; sQuestion ends the question:
    // "Печатать протокол все равно?" and the like. True when it may go on.
    // The progress of a print on pTarget as the form shows it, for as long
    // as the print keeps it: the busy cursor, and past iProgressDelayMs a
    // window with its Cancel, which aborts a printer.
    FPageProgress pageProgress(QPagedPaintDevice* pTarget);
    bool confirmReady(const QString& sTitle, const QString& sQuestion);
    // The object of the protocol shown was kept from the one before it
    // ("Новый на основе текущего"): it is named until it is changed.
    void markObjectCarriedOver();
    // A print or PDF taking longer than this shows its progress.
    static inline int iProgressDelayMs = 500;

    // The laboratory's reference lists the sections offer.
    CReferenceLists& lists() const;

    // The line of an issued protocol above the form; every section then
    // reads only (an empty line: the protocol may be edited).
    void setIssuedLine(const QString& sLine);
    // The item of the user's own captioned sCaption shows sValue: the one
    // there is changed, or one is added after the last number.
    void setReplacedProtocol(const QString& sCaption, const QString& sValue);

    // The command bar's line: what the user should know, not asked; each
    // source says its own, an empty text clears it.
    void showStatus(CCreateReport::EStatus eSource, const QString& sText);
    // What eSource says on the status line now; empty when nothing.
    QString status(CCreateReport::EStatus eSource) const;
    void showRecentDocuments(const QStringList& lstPaths);

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

public slots:
    virtual void slot_innerWidgetHeightChanged();
    virtual void slot_addNewStdItem(int iNum, const QString& sName, const QString& sValue);
    virtual void slot_deleteNewItemAdded(CStdItem* pSender);
    virtual void slot_usedMethodsChanged();
    virtual void slot_listUsedMethodsChanged(int iSize);
    virtual void slot_formResultsTable(CConclusion* pSender, const QString& s);
    virtual void slot_openSavedReport();
    virtual void slot_saveReport();
    virtual void slot_previewReport();
    virtual void slot_printReport();
    virtual void slot_showInfoAbout();
    void slot_saveReportAs();
    void slot_newReport();
    void slot_exportPdf();
    void slot_newFromCurrent();
    void slot_exportOdt();
    void slot_openRecentReport(const QString& sPath);
    // "Настройки": the folder of the reference files and the journal.
    void slot_showSettings();
    // "Журнал протоколов".
    void slot_showJournal();
    // "Выдать протокол" and its "Новая редакция".
    void slot_issueReport();
    void slot_newRevision();
    void printPreview(QPrinter* pTarget);
    void slot_orgListItemAdded(const QString& s);
    void slot_orgListItemDeleted(const QString& s, int index);
    void slot_orgChanged(int index);
    void slot_reasonsListItemAdded(const QString& s);
    void slot_reasonsListItemDeleted(const QString& s, int index);
    // An editor of a section changed: the section's record reaches the
    // model once the event loop turns, with every other edit of that turn.
    void slot_contentEdited();

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
    CStdItem* numberItem() const;
    // The customer shown, as the lists hold it; nullptr for one typed.
    const Organization* shownOrganization() const;
    // The grounds the lists hold for the customer shown.
    QStringList groundsOffered() const;
    // The boxes of customers, grounds, standards and assessments follow the
    // lists (EListFile flags of those that changed); what is chosen or typed
    // stays.
    void showLists(int iFiles);
    // The customer and ground typed count as entered: each joins its box.
    void commitChoices();

    void commitPendingInput();
    // Connects an editor's changes to slot_contentEdited.
    void watchEdits(QWidget* pEditor);
    // The section an editor or its model belongs to; nullptr for none.
    QWidget* sectionOf(const QObject* pObject) const;
    // Whether a section has a record of its own, and that record.
    bool hasOwnRecord(const QWidget* pSection) const;
    SectionRecord recordOf(const QWidget* pSection) const;
    // Where a section's record stands in the document; -1 for a section
    // with none of its own (conclusions and items of the user's own share
    // theirs).
    int recordIndexOf(const QWidget* pSection) const;
    // The sections edited since the model last took them: their records
    // replace the model's, or the whole document does.
    void queueSync(QWidget* pSection);
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
    void removeConclusion(CConclusion* pConclusion);
    // "-" of the methods removes the last conclusion: asked first when it
    // holds anything.
    bool mayRemoveLastConclusion();
    // A row showing another method clears the specialists of its
    // conclusion: asked first; false when the row went back.
    bool mayChangeMethods(const QList<int>& lstChosen);
    // A written conclusion switched on or off: the sections after its
    // conclusion follow its new last number.
    void slot_conclusionNumbersChanged(CConclusion* pSender);
    // Every panel judges its validity by the protocol date shown.
    void applyProtocolDate(const QDate& dt);

    // What was carried over and is named until changed: a results table
    // copied by "Сформировать" from another method, the object kept from
    // the protocol before.
    struct SCopiedTable {
        QPointer<CConclusion> pConclusion;
        QString sSource;
        TableRecord table;
    };
    QList<SCopiedTable> lstCopiedTables;
    std::optional<QString> carriedObject;
    QStringList carriedOverProblems(const ProtocolDocument& doc) const;

    QList<QWidget*> lstSections;
    QList<CStdItem*> lstUserItems;
    QList<CConclusion*> lstConclusions;
    // While a document is read, numbers come from the document.
    bool bReadingDocument = false;
    bool bEditCheckQueued = false;

    CReportHeader* pHeader = nullptr;
    CStdDateItem* pDateItem = nullptr;
    CMethodsSet* pMethodsSet = nullptr;
    CStdComboItem* pCustomerItem = nullptr;
    CStdComboItem* pReasonItem = nullptr;
    CMeasuringTool* pToolsSection = nullptr;
    CAboutWindow* pAboutWindow = nullptr;
    QLabel* lbl_issued = nullptr;
    QPrinter* pPrinter = nullptr;
    CDocumentController* pController = nullptr;

    QStringList lstMethodsNominative;
    QStringList lstMethodsGenitive;
    QStringList lstMethodsDative;

    CReferenceLists* pLists = nullptr;
    bool bApplyingLists = false;
    CProtocolModel* pModel = nullptr;
    QList<QWidget*> lstEdited;
    bool bAllEdited = false;

    // Captions by which the composer recognises sections.
    QString sCustomerCaption;
    QString sReasonCaption;
    QString sStandardsCaption;
    QString sAssessmentCaption;
};
