#pragma once

#include <QLabel>

// The command bar's status line: plain text, cut with "…" where the bar is
// too short for it. The whole text stays the label's text, and the
// tooltip holds it too.
class CStatusLabel : public QLabel {
    Q_OBJECT
public:
    explicit CStatusLabel(QWidget* pParent = nullptr);
    // The parts of the line; the tooltip gives one per line.
    void showParts(const QStringList& lstParts);
    // What the line shows at its width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
};
