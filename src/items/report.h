#pragma once

#include "document/sectionrecords.h"

#include <QString>
#include <QWidget>
class QCheckBox;
class QLabel;
class QTextEdit;

// The written conclusion of one method: a numbered title "Заключение по
// результатам %1 контроля" above a free text. The switch "включено" keeps the
// text in or out of the protocol; each change of state is announced with the
// section's number, because the entries after it are numbered differently.
class CReport : public QWidget {
    Q_OBJECT
public:
    CReport(QWidget* pParent, const QString& sMethod, int iNum);

    void setNumber(int iNum);
    int number() const { return iNumber; }
    void setMethod(const QString& sMethod);
    QString method() const { return sMethodText; }
    QString description() const;
    bool isOn() const { return bOn; }

    ReportRecord record() const { return {bOn, iNumber, sMethodText, description()}; }
    void setRecord(const ReportRecord& record);

signals:
    void itemNumbersChanged(int n);

public slots:
    virtual void slot_switchClicked(bool bOn);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    // Enables or greys the number, title and text and ticks the box.
    void showState(bool bOn);

    QLabel* lbl_num;
    QLabel* lbl_title;
    QCheckBox* cb_reportOn;
    QTextEdit* tedt_description;

    QString sMethodText;
    int iNumber = 0;
    bool bOn = true;
};
