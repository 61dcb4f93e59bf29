#pragma once

#include <QLineEdit>

// Line edit that announces focus changes.
class CLineEditHeir : public QLineEdit {
    Q_OBJECT
public:
    explicit CLineEditHeir(QWidget* pParent = nullptr) : QLineEdit(pParent) {}

signals:
    void focusReceived();
    void focusLost();

protected:
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
};
