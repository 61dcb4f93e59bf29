#pragma once

#include "document/records.h"
#include "refdata/validity.h"

#include <QList>
#include <QWidget>

class CDateEditHeir;
class CReferenceLists;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

// The panel of one instrument in the instruments section: instrument name
// and serial number chosen from the laboratory's list or typed, and the
// verification or calibration certificate with its validity. A new
// instrument name entered joins the list at once, "-" deletes the one
// chosen; a new serial number entered stays typed until the protocol's save
// takes it into the list. The panel keeps no list of its own.
class CWidgetTool : public QWidget {
    Q_OBJECT
public:
    CWidgetTool(QWidget* pParent, const QString& sIndex, CReferenceLists* pLists);

    ToolEntry currentEntry() const;
    // Shows the entry: the stored instrument, and its device, chosen where
    // the list holds them exactly as given; typed text otherwise. Nothing
    // of the entry is lost either way.
    void setEntry(const ToolEntry& entry);
    // Chooses what the list holds of the entry shown, keeping the rest typed.
    void selectStored();
    QString indexText() const { return sIndexText; }
    void setIndexText(const QString& sIndex);

    // The protocol's date, by which the validity shown is judged.
    void setProtocolDate(const QDate& dt);
    EValidity validity() const;

protected slots:
    virtual void slot_cmb_tools_indexChanged(int index);
    virtual void slot_cmb_numbers_indexChanged(int index);
    virtual void slot_btn_deleteItem_clicked();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void buildForm();
    // The lists changed: the names offered follow, the entry shown stays.
    void listsChanged(int iFiles);
    // The instrument chosen in the name box, as the lists hold it.
    Tool chosenTool() const;
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

    CReferenceLists* pLists;
    QString sIndexText;
    QDate dtProtocol;
    ToolEntry entryOnEnter;
    bool bLeaving = false;
};
