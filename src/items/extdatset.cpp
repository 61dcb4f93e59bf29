#include "items/extdatset.h"
#include "items/fontfit.h"

#include "base/constants.h"
#include "items/dateeditheir.h"

#include <QDataStream>
#include <QLabel>
#include <QToolButton>

CExtDatSet::CExtDatSet(QWidget* pParent, int iNum, const QString& sName)
    : CExtItem(pParent, iNum, sName) {
    addFirstSubItem();
}

void CExtDatSet::addSubItem() {
    auto pEdit = new CDateEditHeir(this);
    matchFont(pEdit, lbl_name);
    pEdit->setFixedSize(iSubItemWidth, iSubItemHeight);
    pEdit->setVisible(true);
    pEdit->installEventFilter(this);
    appendPlacedSubItem(pEdit);
}

void CExtDatSet::destroySubItem(QWidget* w) {
    delete w;
}

int CExtDatSet::collectTexts(QStringList& out) {
    out.clear();
    for (QWidget* w : std::as_const(lstSubItems)) {
        auto pEdit = static_cast<CDateEditHeir*>(w);
        if (pEdit->date().year() > 2011) {
            out.append(pEdit->date().toString(QStringLiteral("dd.MM.yyyy")));
        } else {
            pEdit->setDate(g_dtDefault);
            out.append(pEdit->specialValueText());
        }
    }
    return out.size();
}

int CExtDatSet::collectDates(QList<QDate>& out) const {
    out.clear();
    for (QWidget* w : lstSubItems) {
        const QDate dt = static_cast<CDateEditHeir*>(w)->date();
        out.append(dt.year() < 2012 ? g_dtDefault : dt);
    }
    return out.size();
}

void CExtDatSet::setDates(const QList<QDate>& list) {
    if (list.isEmpty())
        return;
    matchSubItemCount(list.size());
    for (int i = 0; i < lstSubItems.size() && i < list.size(); ++i) {
        // a damaged date counts as not set
        const QDate dt = list.at(i).isValid() ? list.at(i) : g_dtDefault;
        static_cast<CDateEditHeir*>(lstSubItems.at(i))->setDate(dt);
    }
}

DateSetRecord CExtDatSet::record() const {
    QList<QDate> lstDates;
    collectDates(lstDates);
    return {iNumber, sItemName, lstDates};
}

void CExtDatSet::setRecord(const DateSetRecord& record) {
    setNumber(record.iNum);
    setName(record.sName);
    setDates(record.lstDates);
}
