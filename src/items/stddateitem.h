#pragma once

#include "document/sectionrecords.h"

#include <QDate>
#include <QWidget>
class CDateEditHeir;
class QLabel;

// The unnumbered line with the date the protocol is drawn up. The stored
// date follows the editor only when the editor loses focus.
class CStdDateItem : public QWidget {
    Q_OBJECT
public:
    CStdDateItem(QWidget* pParent, const QDate& date);
    ~CStdDateItem() override;

    QDate date() const { return dtDate; }
    // The stored date as "dd.MM.yyyy".
    QString dateText() const;
    // Stores dt and shows it at once.
    void setDate(const QDate& dt);
    // The date the editor shows, stored or still being typed.
    QDate shownDate() const;

    // The record of the date shown.
    DateRecord record() const { return {shownDate()}; }
    void setRecord(const DateRecord& record) { setDate(record.dtDate); }

signals:
    // The date shown changed, whether or not it is stored yet.
    void shownDateChanged(const QDate& dt);

public slots:
    void slot_updateDate();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QLabel* lbl_name;
    CDateEditHeir* dedt_date;
    QDate dtDate;
};

