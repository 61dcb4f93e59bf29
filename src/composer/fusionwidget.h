#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class CStdItem;
class QDataStream;
class QPrinter;

// The form of one protocol: creates its sections in a fixed order, stacks
// them at full width, numbers them and keeps them consistent.
class CFusionWidget : public QWidget {
    Q_OBJECT
public:
    // sAppDir is the directory of the reference files.
    explicit CFusionWidget(const QString& sAppDir, QWidget* pParent = nullptr);
    ~CFusionWidget() override;

    const QList<QWidget*>& sections() const { return lstSections; }
    const QString& appDir() const { return sAppDir; }

    int layOutSections();

    // Rendering and the close-time check.
    QString buildProtocolHtml(int* pSectionCount = nullptr);
    QString protocolHeading();
    void takeSnapshot();
    bool isChanged();
    // Asks whether to save a changed protocol; false when the window must
    // stay open (the user wanted it saved but no document was written).
    bool askSaveOnClose();
    QPrinter* printer() const { return pPrinter; }

    // The protocol document.
    void commitEdits();
    void writeDocument(QDataStream& out);
    // Reads a document into the form; false when it was damaged and read
    // only as far as it was sound.
    bool readDocument(QDataStream& in);
    void removeUserItems();
    // Saves with the file dialog; true when a document was written.
    bool saveReport();
    const QString& workDir() const { return sWorkDir; }

    // Numbering.
    void renumberFrom(int index, int firstNumber);
    int lastNumber() const;
    int insertPositionFor(int iNum) const;
    bool insertUserItem(int index, int iNum, const QString& sName, const QString& sValue,
                        bool bRenumber);
    const QList<CStdItem*>& userItems() const { return lstUserItems; }

public slots:
    virtual void slot_innerWidgetHeightChanged();
    virtual void slot_addNewStdItem(int iNum, const QString& sName, const QString& sValue);
    virtual void slot_deleteNewItemAdded(CStdItem* pSender);
    virtual void slot_openSavedReport();
    virtual void slot_saveReport();
    virtual void slot_previewReport();
    virtual void slot_printReport();
    void printPreview(QPrinter* pTarget);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    bool createSections();
    void appendSection(QWidget* pSection);
    // Number a section carries last (a report item's number) and first.
    static int lastNumberOf(const QWidget* pSection);
    static int firstNumberOf(const QWidget* pSection);
    static bool isNumbered(const QWidget* pSection);
    int numberBefore(int index) const;

    void renderProtocol(QPrinter* pTarget);
    QString headerHtml() const;
    QString customerValue() const;
    QList<int> chosenMethods() const;
    QString protocolDateText() const;
    void commitSectionLists();
    void writeHeadRecords(QDataStream& out);
    void writeSectionRecord(QDataStream& out, QWidget* pSection);
    void writeConclusionRecords(QDataStream& out);
    bool readSectionRecord(QDataStream& in, qint16 iTag, int N);
    bool saveReferenceFiles();

    QString sAppDir;
    QString sWorkDir;
    QPrinter* pPrinter = nullptr;
    QString sSnapshotHtml;
    int iSnapshotCount = 0;
    QList<QWidget*> lstSections;
    QList<CStdItem*> lstUserItems;

    QStringList lstMethodsNominative;
    QStringList lstMethodsInstrumental;
    QStringList lstMethodsGenitive;
    QStringList lstMethodsDative;

    // Captions by which the composer recognises sections.
    QString sCustomerCaption;
    QString sReasonCaption;
    QString sStandardsCaption;
    QString sAssessmentCaption;
};
