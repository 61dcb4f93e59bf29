#pragma once

#include <QScrollArea>

class CFusionWidget;

// The main window: a scroll area whose only content is the protocol composer.
class CVEKConclusion : public QScrollArea {
    Q_OBJECT
public:
    // sAppDir is the directory of the reference files; empty means the
    // application directory.
    explicit CVEKConclusion(QWidget* pParent = nullptr, const QString& sAppDir = QString());

    CFusionWidget* composer() const { return pComposer; }

    // The smallest window: 1024 wide, 768 high or what the screen leaves.
    static constexpr int iMinimumWidth = 1024;
    static constexpr int iMinimumHeight = 768;

protected:
    void showEvent(QShowEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void fitMinimumSize();

    CFusionWidget* pComposer = nullptr;
};
