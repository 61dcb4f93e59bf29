#include "items/dateeditheir.h"

#include "base/constants.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace {
bool isStepKey(int iKey) {
    return iKey == Qt::Key_Up || iKey == Qt::Key_Down || iKey == Qt::Key_PageUp ||
           iKey == Qt::Key_PageDown;
}
} // namespace

CDateEditHeir::CDateEditHeir(QWidget* pParent) : QDateEdit(pParent) {
    setMinimumDate(g_dtDefault);
    setSpecialValueText(g_sUnsetDateText);
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setDate(g_dtDefault);
    setCalendarPopup(true);
}

bool CDateEditHeir::isUnset() const {
    return date() == g_dtDefault;
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

void CDateEditHeir::selectDay() {
    setCurrentSection(QDateTimeEdit::DaySection);
    setSelectedSection(QDateTimeEdit::DaySection);
}

void CDateEditHeir::mousePressEvent(QMouseEvent* pEvent) {
    prepareCalendar();
    QDateEdit::mousePressEvent(pEvent);
    // an unset date opens the calendar at today's month, not at 2000
    if (isUnset() && calendarWidget()->isVisible())
        calendarWidget()->setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
}

void CDateEditHeir::focusInEvent(QFocusEvent* pEvent) {
    QDateEdit::focusInEvent(pEvent);
    // a click puts the cursor where it lands, which is no place to type a
    // date: the day is selected once the click is over
    if (pEvent->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, this, &CDateEditHeir::selectDay);
}

bool CDateEditHeir::isEmptied() const {
    return text().isEmpty();
}

void CDateEditHeir::keyPressEvent(QKeyEvent* pEvent) {
    prepareCalendar(); // F4 and Alt+Down open it
    const bool bErase = pEvent->key() == Qt::Key_Backspace || pEvent->key() == Qt::Key_Delete;
    if (bErase && (isEmptied() || lineEdit()->selectedText() == text())) {
        // the whole date erased: no date, rather than an empty field that
        // takes no digits and keeps the last date out of sight
        setDate(g_dtDefault);
        selectAll();
        return;
    }
    if (isUnset() || isEmptied()) {
        // the placeholder "__.__.____" takes no digits: a date to type over comes first
        const bool bDigit = !pEvent->text().isEmpty() && pEvent->text().at(0).isDigit();
        if (bDigit || isStepKey(pEvent->key())) {
            setDate(QDate::currentDate());
            selectDay();
            if (!bDigit)
                return; // the first step shows today
        }
    }
    QDateEdit::keyPressEvent(pEvent);
}

bool CDateEditHeir::focusNextPrevChild(bool bNext) {
    if (isUnset() || isEmptied())
        return QAbstractSpinBox::focusNextPrevChild(bNext);
    return QDateEdit::focusNextPrevChild(bNext);
}

void CDateEditHeir::focusOutEvent(QFocusEvent* pEvent) {
    if (date().year() <= 2001)
        setDate(g_dtDefault);
    emit dateEdit_focusLost();
    QDateEdit::focusOutEvent(pEvent);
}
