#pragma once

#include <QDateEdit>

// Date edit whose default date means "not set" and shows "__.__.____".
// Entering an unset field fills in today's date; leaving it with a year of
// 2001 or earlier makes it unset again.
class CDateEditHeir : public QDateEdit {
    Q_OBJECT
public:
    explicit CDateEditHeir(QWidget* pParent = nullptr);

signals:
    void dateEdit_focusLost();

protected:
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    // A digit typed into an unset field starts today's date with its day
    // selected, so that "10122026" gives 10.12.2026.
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;

private:
    // The calendar pop-up is built when it may first be shown, not with
    // the editor: a form holds many date editors and opens few calendars.
    void prepareCalendar();

    bool bCalendarReady = false;
};
