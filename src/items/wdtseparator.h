#pragma once

#include <QWidget>

class QFrame;

// Horizontal line between blocks of the form.
class CWdtSeparator : public QWidget {
public:
    explicit CWdtSeparator(QWidget* pParent = nullptr);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    QFrame* ln_separator;
};
