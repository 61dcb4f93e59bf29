#pragma once

#include "document/sectionrecords.h"

#include <QStringList>
#include <QWidget>
class CAskFormTable;
class CReportTable;
class QLabel;

// The numbered block "Результаты %1 контроля" of one control method: its
// number, its title and the editable results table. The block stays 40
// pixels taller than the table and reports every change of its height.
class CResultTable : public QWidget {
    Q_OBJECT
public:
    explicit CResultTable(QWidget* pParent = nullptr, const QString& sMethod = QString(),
                          int iNum = 0);

    void setNumber(int n);
    int number() const { return iNumber; }
    void setMethod(const QString& s);
    QString method() const { return sMethod; }
    void setMethodsList(const QStringList& list);
    QStringList methodsList() const { return lstMethods; }

    void getData(int& iRows, int& iColumns, QStringList& lstTitles, QStringList& lstCells) const;
    void setData(int iRows, int iColumns, const QStringList& lstTitles,
                 const QStringList& lstCells);

    // Whether a cell of the table holds text.
    bool hasText() const;

    ResultsRecord record() const;
    void setRecord(const ResultsRecord& record);

signals:
    // The block's new height and the change from its old height.
    void tableHeightChanged(int iHeight, int iDelta);
    // The method (genitive form) whose table this one is to be formed from.
    void loadResultsTable(QString sMethod);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private slots:
    void slot_preferredHeightChanged(int iHeight);

private:
    QLabel* lbl_num;
    QLabel* lbl_title;
    CReportTable* wgt_table;
    CAskFormTable* wgt_ask_formTable;
    QString sMethod;
    int iNumber;
    QStringList lstMethods;
};
