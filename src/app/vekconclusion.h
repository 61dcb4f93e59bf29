#pragma once

#include <QScrollArea>

class CFusionWidget;
class QTimer;

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
    // How long after a key or a click the title follows the protocol.
    static constexpr int iTitleDelayMs = 300;

    // "name.rpt — Подготовка отчета" with "*" while changed; the title
    // alone for a new protocol.
    void updateTitle();

protected:
    bool event(QEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void fitMinimumSize();
    // A ".rpt" dropped anywhere on the window is opened; other files refused.
    bool dropFiles(QEvent* pEvent);

    // Whether the protocol has unsaved changes is looked at shortly after
    // the user types or clicks, not at every key.
    QTimer* pTitleTimer = nullptr;
    CFusionWidget* pComposer = nullptr;
};
