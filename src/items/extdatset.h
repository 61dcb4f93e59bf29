#pragma once

#include "document/sectionrecords.h"
#include "items/extitem.h"

#include <QDate>
#include <QList>

// A list section whose sub-items are date editors. A date up to 2011 counts
// as not set: it prints as "__.__.____" and is saved as the default date.
class CExtDatSet : public CExtItem {
    Q_OBJECT
public:
    CExtDatSet(QWidget* pParent, int iNum, const QString& sName);

    // The dates as "dd.MM.yyyy"; a date up to 2011 is reset to the default
    // date and gives "__.__.____".
    int collectTexts(QStringList& out) override;
    // The dates, the default date where the year is less than 2012.
    int collectDates(QList<QDate>& out) const;
    // Makes as many sub-items as list has dates (nothing for an empty list)
    // and shows date i in sub-item i.
    void setDates(const QList<QDate>& list);

    DateSetRecord record() const;
    void setRecord(const DateSetRecord& record);

protected:
    void addSubItem() override;
    void destroySubItem(QWidget* w) override;
};

