#include "items/lineeditheir.h"

void CLineEditHeir::focusInEvent(QFocusEvent* pEvent) {
    emit focusReceived();
    QLineEdit::focusInEvent(pEvent);
}

void CLineEditHeir::focusOutEvent(QFocusEvent* pEvent) {
    emit focusLost();
    QLineEdit::focusOutEvent(pEvent);
}
