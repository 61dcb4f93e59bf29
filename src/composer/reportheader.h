#pragma once

#include "document/sectionrecords.h"

#include <QString>
#include <QWidget>
class CLineEditHeir;
class QLabel;
class QLineEdit;

// The block at the top of the protocol that names the laboratory: name,
// address, telephone, accreditation certificate number and its issuer.
// Name and address show an italic prompt while empty; their values are
// committed when the user leaves the field.
class CReportHeader : public QWidget {
    Q_OBJECT
public:
    explicit CReportHeader(QWidget* pParent = nullptr);
    ~CReportHeader() override;

    void setLabName(const QString& sName);
    void setAddress(const QString& sAddress);
    QString labName() const { return sLabName; }
    QString address() const { return sAddress; }

    QString phone() const;
    QString licence() const;
    QString issuedBy() const;
    void setPhoneLicenceIssuer(const QString& sPhone, const QString& sLicence,
                               const QString& sIssuedBy);

    // Commits a name or address still being typed (the field has not been
    // left yet), so that closing or saving does not miss it.
    void commitTypedText();

    // The header as shown, a name or address still being typed included.
    HeaderRecord record() const;
    void setRecord(const HeaderRecord& record);

public slots:
    virtual void slot_labName_focusReceived();
    virtual void slot_labName_focusLost();
    virtual void slot_address_focusReceived();
    virtual void slot_address_focusLost();

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    static QString shownValue(const QLineEdit* pEdit, const QString& sPrompt,
                              const QString& sValue);

    CLineEditHeir* edt_labName;
    CLineEditHeir* edt_address;
    QLabel* lbl_phone;
    QLineEdit* edt_phone;
    QLabel* lbl_licence;
    QLineEdit* edt_licence;
    QLabel* lbl_issued_by;
    QLineEdit* edt_issued_by;

    QString sLabName;
    QString sAddress;
    const QString sLabNamePrompt;
    const QString sAddressPrompt;
};
