#pragma once

#include "document/sectionrecords.h"
#include "refdata/validity.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QWidget>
class CDateEditHeir;
class CReferenceLists;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The small window that asks what "Удалить данные" is to delete: the
// current certificate or everything about the specialist.
class CAskDeleteSD : public QDialog {
    Q_OBJECT
public:
    CAskDeleteSD();

signals:
    // true: the whole specialist; false: the current certificate.
    void deleteData(bool bAll);

private slots:
    virtual void slot_deleteClicked();

private:
    QLabel* lbl_title;
    QPushButton* btn_delete;
    QPushButton* btn_escape;
    QRadioButton* rb_delData;
    QRadioButton* rb_delSpec;
};

// The panel of one specialist under a conclusion: picks a specialist and a
// certificate from the reference list or takes new ones, shows the
// certificate's issuing body, validity and level for the conclusion's
// method, and marks the specialist's role. "Сохранить данные" and "Удалить
// данные" are operations on the laboratory's lists, named by the specialist
// and certificate shown; the panel shows the lists as they then are and
// keeps what its user typed.
class CWidgetSpecial : public QWidget {
    Q_OBJECT
public:
    CWidgetSpecial(QWidget* pParent, CReferenceLists* pLists, const QString& sMethod,
                   ERankState eRole, bool bRoleLock, int iNum);
    ~CWidgetSpecial() override;

    void setNumber(int iNum);
    int number() const { return iNumber; }
    void setRole(ERankState eRole);
    ERankState role() const { return eRole; }
    void setRoleLock(bool bLock);
    bool isRoleLocked() const { return bRoleLock; }
    void setMethod(const QString& sMethod);
    QString method() const { return sMethod; }

    SpecialistEntry currentEntry() const;
    void setEntry(const SpecialistEntry& entry);

    // The protocol's date, by which the validity shown is judged.
    void setProtocolDate(const QDate& dt);
    EValidity validity() const;
    // Whether a specialist is named: a panel naming nobody prints blanks.
    bool isNamed() const;

    // The deletion dialog opened last and still open, if any.
    CAskDeleteSD* deleteDialog() const { return pAskDelete; }

    PanelRecord record() const { return {iNumber, qint16(eRole), bRoleLock, currentEntry()}; }
    void setRecord(const PanelRecord& record);

signals:
    void specPositionChanged(CWidgetSpecial* pSender, ERankState ePos);

protected slots:
    virtual void slot_btn_saveSpec_clicked();
    virtual void slot_btn_deleteSpec_clicked();
    virtual void slot_deleteData(bool bAll);
    virtual void slot_cmb_name_indexChanged(int index);
    virtual void slot_cmb_name_editTextChanged(const QString& text);
    virtual void slot_cmb_licenseNum_indexChanged(int index);
    virtual void slot_cmb_licenseNum_editTextChanged(const QString& text);
    virtual void slot_dateChanged(const QDate& date);
    virtual void slot_edt_certlab_textEdited(const QString& text);
    virtual void slot_cmb_qual_indexChanged(int index);
    virtual void slot_chb_controler_clicked(bool checked);
    virtual void slot_chb_author_clicked(bool checked);
    virtual void slot_chb_boss_clicked(bool checked);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void buildForm();
    // The lists changed: the names offered follow, the entry shown stays.
    void listsChanged(int iFiles);
    // The specialist chosen in the name box, as the lists hold him.
    Specialist chosenSpecialist() const;
    void refillNames();
    void refillLicenses();
    void clearCertificateFields();
    // Empties the typed name and shows the blank entry.
    void clearName();
    bool isSavable() const;
    void updateSaveState();
    // Recomputes the savable flag when both a name and a number are typed.
    void updateSaveStateIfNamed();
    // Shows the stored data of the current specialist's certificate
    // iCertificate for this panel's method (blank fields without it).
    void showCertificate(int iCertificate);
    void setDateAndLevel(const QDate& dt, int iLevel);
    // Role reached by ticking or unticking a box worth iStep, bounded as the
    // boxes require.
    void stepRole(int iStep, bool bChecked, int iBelow, int iAbove);
    void updateValidityMark();

    QGroupBox* grpb_specialist;
    QComboBox* cmb_name;
    QLabel* lbl_name;
    QComboBox* cmb_licenseNum;
    QLabel* lbl_licenseNum;
    CDateEditHeir* dedt_validity;
    QLabel* lbl_methods;
    QComboBox* cmb_qual;
    QLineEdit* edt_certlab;
    QLabel* lbl_qual;
    QLabel* lbl_certlab;
    QPushButton* btn_saveSpec;
    QPushButton* btn_deleteData;
    QCheckBox* chb_controler;
    QCheckBox* chb_author;
    QCheckBox* chb_boss;
    QLabel* lbl_num;

    QPointer<CAskDeleteSD> pAskDelete;
    // What "Удалить данные" was clicked for: the answer acts on it, whatever
    // the lists became meanwhile.
    SpecialistEntry entryToDelete;
    CReferenceLists* pLists;
    QString sMethod;
    ERankState eRole = eControlerAndAuthor;
    bool bRoleLock = false;
    int iNumber = 0;
    bool bSavable = false;
    QDate dtProtocol;
};
