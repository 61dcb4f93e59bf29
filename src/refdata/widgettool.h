#pragma once

#include "document/records.h"
#include "refdata/validity.h"

#include <QList>
#include <QWidget>

class CDateEditHeir;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

// The panel of one instrument in the instruments section: instrument name
// and serial number chosen from the reference list or typed, and the
// verification or calibration certificate with its validity. A new
// instrument name entered joins the panel's list and is announced with
// listOfDevicesChanged(); a new serial number entered stays in this panel's
// copy of the list until the protocol is saved.
class CWidgetTool : public QWidget {
    Q_OBJECT
public:
    CWidgetTool(QWidget* pParent, const QString& sIndex, const QList<Tool>& lstTools);

    void setTools(const QList<Tool>& lstNew);
    QList<Tool> tools() const { return lstTools; }
    ToolEntry currentEntry() const;
    // Shows the entry: the stored instrument, and its device, chosen where
    // the list holds them exactly as given; typed text otherwise. Nothing
    // of the entry is lost either way.
    void setEntry(const ToolEntry& entry);
    // Chooses what the list holds of the entry shown, keeping the rest typed.
    void selectStored();
    QString indexText() const { return sIndexText; }
    void setIndexText(const QString& sIndex);

    // The panel's line of the print.
    QString toHtml() const;

    // The protocol's date, by which the validity shown is judged.
    void setProtocolDate(const QDate& dt);
    EValidity validity() const;
    // The line naming an expired or missing validity; empty when there is none.
    QString validityProblem() const;

signals:
    void listOfDevicesChanged(CWidgetTool* pWidget);

protected slots:
    virtual void slot_cmb_tools_indexChanged(int index);
    virtual void slot_cmb_numbers_indexChanged(int index);
    virtual void slot_btn_deleteItem_clicked();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void buildForm();
    void refillTools();
    void refillNumbers();
    // Blank certificate fields for a new serial number.
    void resetCertificate();
    void showDevice(const Device& device);
    // Shows the serial number and certificate as typed, at the blank entry.
    void showTypedDevice(const ToolEntry& entry);
    void updateValidityMark();
    bool isEntryBox(const QObject* pObject) const;
    // Leaving a box lets Qt choose the entry its text matches, which would
    // refill the serial numbers and blank the certificate: whatever was
    // shown on entering comes back when neither text was changed.
    bool leaveEntryBox(QObject* pBox, QEvent* pEvent);

    QGroupBox* grpb_tool;
    QComboBox* cmb_tools;
    QLabel* lbl_device;
    QLabel* lbl_title;
    QRadioButton* rbtn_checking;
    QRadioButton* rbtn_calibration;
    CDateEditHeir* dedt_validity;
    QLabel* lbl_validity;
    QLineEdit* edt_certNumber;
    QComboBox* cmb_numbers;
    QLabel* lbl_deviceNumber;
    QLabel* lbl_index;
    QToolButton* btn_deleteItem;

    QList<Tool> lstTools;
    Tool currentTool;
    QString sIndexText;
    QDate dtProtocol;
    ToolEntry entryOnEnter;
    bool bLeaving = false;
};
