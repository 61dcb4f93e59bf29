#pragma once

#include <QDateEdit>

// Date edit whose default date means "not set" and shows "__.__.____".
// An unset date stays unset until the user types, steps or picks a date:
// entering and leaving the field changes nothing. Leaving it with a year of
// 2001 or earlier makes it unset again; erasing the whole date unsets it.
class CDateEditHeir : public QDateEdit {
    Q_OBJECT
public:
    explicit CDateEditHeir(QWidget* pParent = nullptr);

    bool isUnset() const;

signals:
    void dateEdit_focusLost();

protected:
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    // A digit typed into an unset field starts today's date with its day
    // selected, so that "10122026" gives 10.12.2026; the arrow keys start
    // at today too.
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    // Tab steps through day, month and year of a date; an unset one has
    // none to step through and is left at once.
    bool focusNextPrevChild(bool bNext) override;

private:
    // The calendar pop-up is built when it may first be shown, not with
    // the editor: a form holds many date editors and opens few calendars.
    void prepareCalendar();
    // Typing goes to the day, wherever the field was clicked.
    void selectDay();
    // The text was cut away whole: no sections left to type into.
    bool isEmptied() const;

    bool bCalendarReady = false;
};
