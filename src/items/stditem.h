#pragma once

#include "document/sectionrecords.h"
#include "items/reportitemwidget.h"
class QLabel;
class QLineEdit;
class QToolButton;

// One numbered line: number, caption and a one-line value. The committed
// value is what is saved; the editor's current text is what is printed.
class CStdItem : public CReportItemWidget {
    Q_OBJECT
public:
    CStdItem(QWidget* pParent, int iNum, const QString& sName, const QString& sValue,
             bool bDeletable, int iWidthFactor);

    void setNumber(int iNum) override;
    void setName(const QString& sName) override;

    void setValue(const QString& sValue);
    void commitValue();
    QString value() const { return sValue; }
    QString valueText() const;
    bool isDeletable() const { return bDeletable; }

    // The record of what is shown, a value still being typed included.
    StdItemRecord record() const;
    void setRecord(const StdItemRecord& record);

signals:
    void deleteItem(CStdItem* pSender);

public slots:
    virtual void slot_edt_value_returnPressed();
    virtual void slot_btn_deleteItem_clicked();

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void layOut();

    QLabel* lbl_num;
    QLabel* lbl_name;
    QLineEdit* edt_value;
    QToolButton* btn_deleteItem;

    QString sValue;
    int iNameWidth = 0;
    int iValueWidth = 0;
    int iWidthFactor = 1;
    bool bDeletable = false;
};
