#include "items/dateeditheir.h"

#include "base/constants.h"

#include <QCalendarWidget>
#include <QKeyEvent>

CDateEditHeir::CDateEditHeir(QWidget* pParent) : QDateEdit(pParent) {
    setMinimumDate(g_dtDefault);
    setSpecialValueText(g_sUnsetDateText);
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setDate(g_dtDefault);
    setCalendarPopup(true);
}

void CDateEditHeir::prepareCalendar() {
    if (bCalendarReady)
        return;
    bCalendarReady = true;
    QCalendarWidget* pCalendar = calendarWidget();
    pCalendar->setFirstDayOfWeek(Qt::Monday);
    pCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    pCalendar->setGridVisible(true);
}

void CDateEditHeir::mousePressEvent(QMouseEvent* pEvent) {
    prepareCalendar();
    QDateEdit::mousePressEvent(pEvent);
}

void CDateEditHeir::focusInEvent(QFocusEvent* pEvent) {
    if (date() == g_dtDefault)
        setDate(QDate::currentDate());
    QDateEdit::focusInEvent(pEvent);
}

void CDateEditHeir::keyPressEvent(QKeyEvent* pEvent) {
    prepareCalendar(); // F4 and Alt+Down open it
    // the placeholder "__.__.____" takes no digits: a date to type over comes first
    if (date() == g_dtDefault && !pEvent->text().isEmpty() && pEvent->text().at(0).isDigit()) {
        setDate(QDate::currentDate());
        setCurrentSection(QDateTimeEdit::DaySection);
        setSelectedSection(QDateTimeEdit::DaySection);
    }
    QDateEdit::keyPressEvent(pEvent);
}

void CDateEditHeir::focusOutEvent(QFocusEvent* pEvent) {
    if (date().year() <= 2001)
        setDate(g_dtDefault);
    emit dateEdit_focusLost();
    QDateEdit::focusOutEvent(pEvent);
}
