#include "items/dateeditheir.h"

#include "app/constants.h"

#include <QCalendarWidget>

CDateEditHeir::CDateEditHeir(QWidget* pParent) : QDateEdit(pParent) {
    setMinimumDate(g_dtDefault);
    setSpecialValueText(g_sUnsetDateText);
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setDate(g_dtDefault);
    setCalendarPopup(true);
    QCalendarWidget* pCalendar = calendarWidget();
    pCalendar->setFirstDayOfWeek(Qt::Monday);
    pCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    pCalendar->setGridVisible(true);
}

void CDateEditHeir::focusInEvent(QFocusEvent* pEvent) {
    if (date() == g_dtDefault)
        setDate(QDate::currentDate());
    QDateEdit::focusInEvent(pEvent);
}

void CDateEditHeir::focusOutEvent(QFocusEvent* pEvent) {
    if (date().year() <= 2001)
        setDate(g_dtDefault);
    emit dateEdit_focusLost();
    QDateEdit::focusOutEvent(pEvent);
}
