#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class CStdItem;

// The form of one protocol: creates its sections in a fixed order, stacks
// them at full width, numbers them and keeps them consistent.
class CFusionWidget : public QWidget {
    Q_OBJECT
public:
    // sAppDir is the directory of the reference files.
    explicit CFusionWidget(const QString& sAppDir, QWidget* pParent = nullptr);

    const QList<QWidget*>& sections() const { return lstSections; }
    const QString& appDir() const { return sAppDir; }

    int layOutSections();

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

    QString sAppDir;
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
