#pragma once

#include "document/sectionrecords.h"
#include "refdata/widgetspecial.h"

#include <QList>
#include <QStringList>
#include <QWidget>
class CReferenceLists;
class CReport;
class CResultTable;
class QPushButton;

// The section of one control method: its numbered results block, its
// numbered written conclusion and one or more specialist panels, with the
// buttons that add and remove panels. It spans a range of numbers: the
// results block carries the first, the first panel the last.
class CConclusion : public QWidget {
    Q_OBJECT
public:
    // The most panels a section holds; a stored section with more is damaged.
    static constexpr int iMaxPanels = iMaxSpecialistPanels;

    // The panels offer the specialists of pLists.
    CConclusion(QWidget* pParent, CReferenceLists* pLists);

    // Numbers the results block n, the written conclusion n + 1 and the
    // first panel after it (n + 2, or n + 1 while the text is switched off).
    void setNumber(int n);
    int number() const;
    int specialistNumber() const;

    void setMethod(const QString& sGenitive, const QString& sDative);
    QString dativeMethod() const { return sDativeMethod; }
    // The method as the validity question names it ("ультразвуковой").
    QString nominativeMethod() const;
    void setMethodsList(const QStringList& list);

    void getData(int& iRows, int& iColumns, QStringList& lstTitles, QStringList& lstCells) const;
    void setData(int iRows, int iColumns, const QStringList& lstTitles,
                 const QStringList& lstCells);

    const QList<CWidgetSpecial*>& panels() const { return lstPanels; }

    // What removing the section or changing its method would destroy: a
    // filled cell, the written conclusion's text, a specialist named.
    bool hasResults() const;
    bool hasContent() const;
    bool hasNamedSpecialist() const;

    // The protocol's date, by which every panel judges its validity.
    void setProtocolDate(const QDate& dt);

    // The record of what is shown; it carries the specialists the lists hold.
    ConclusionRecord record() const;
    // Shows a record: its results, written conclusion and panels.
    void setRecord(const ConclusionRecord& record);

    // The method whose name the composer matches conclusions by.
    QString sDativeMethod;

signals:
    void widgetHeightChanged();
    void loadResultsTable(CConclusion* pSender, QString sMethod);
    // Switching the written conclusion on or off moved the last number.
    void lastNumberChanged(CConclusion* pSender);

public slots:
    virtual void slot_addTechnician();
    virtual void slot_deleteTechnician();
    virtual void slot_specPositionChanged(CWidgetSpecial* pSender, ERankState ePos);
    virtual void slot_tableHeightChanged(int iTabHeight, int iDelta);
    virtual void slot_loadResultsTable(const QString& sMethod);
    virtual void slot_itemNumbersChanged(int iNum);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void connectPanel(CWidgetSpecial* pPanel);
    void resizeBy(int iDelta);
    void moveButtonsTo(int y);
    void updateButtons();

    CResultTable* wgt_table;
    CReport* wgt_report;
    CWidgetSpecial* wgt_specialist;
    QPushButton* btn_addTechnician;
    QPushButton* btn_delTechnician;

    CReferenceLists* pLists;
    QList<CWidgetSpecial*> lstPanels;
    QDate dtProtocol;
};
