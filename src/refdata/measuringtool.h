#pragma once

#include "document/sectionrecords.h"
#include "items/reportitemwidget.h"

#include <QList>
class CReferenceLists;
class CWidgetTool;
class QLabel;
class QPushButton;

// The numbered section "Приборы и оборудование:": one lettered instrument
// panel per instrument used, grown and shrunk with "Добавить прибор" and
// "Удалить прибор". Its panels offer the laboratory's instruments list;
// the complete entries join it when the protocol is saved.
class CMeasuringTool : public CReportItemWidget {
    Q_OBJECT
public:
    // The most panels the section holds; a stored section with more is damaged.
    static constexpr int iMaxPanels = iMaxToolPanels;

    CMeasuringTool(int iNum, const QString& sName, CReferenceLists* pLists, QWidget* pParent);

    void setNumber(int iNum) override;
    void setName(const QString& sName) override;

    const QList<CWidgetTool*>& panels() const { return lstPanels; }

    // Every panel's entry, in order.
    QList<ToolEntry> collectEntries() const;

    // The protocol's date, by which every panel judges its validity.
    void setProtocolDate(const QDate& dt);

    // The record of what is shown: the complete entries join the
    // instruments it carries, as saving takes them in.
    ToolsRecord record() const;
    // Shows the record's entries, a panel each.
    void setRecord(const ToolsRecord& record);

signals:
    void widgetHeightChanged();

protected slots:
    virtual void slot_addDevice();
    virtual void slot_deleteDevice();

private:
    // The letter label of the next panel: "a.", "b.", …, again "a." after "z.".
    QString nextLetter();
    void updateButtons();
    void moveButtonsTo(int y);

    QLabel* lbl_title;
    QLabel* lbl_num;
    QPushButton* btn_delDevice;
    QPushButton* btn_addDevice;
    CWidgetTool* wgt_tool;

    int iLetter = 0;
    CReferenceLists* pLists;
    QList<CWidgetTool*> lstPanels;
    QDate dtProtocol;
};
