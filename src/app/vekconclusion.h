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
    // The commands of the form's bar go to its document session, the
    // session's exporters and journal, and the form's print.
    static void connectCommandBar(CFusionWidget& form);

    // The smallest window: 1024 wide, 768 high or what the screen leaves.
    static constexpr int iMinimumWidth = 1024;
    static constexpr int iMinimumHeight = 768;
    // How long after start the journal is asked for the next number: the
    // window is painted first.
    static constexpr int iJournalDelayMs = 100;
    // "name.rpt — Подготовка отчета", or the title alone for a protocol not
    // saved yet, with "*" while changed.
    void updateTitle();

protected:
    bool event(QEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void fitMinimumSize();
    // The size, place and state of the last window closed.
    void restoreWindowGeometry();
    void saveWindowGeometry();
    // A ".rpt" dropped anywhere on the window is opened; other files refused.
    // The window watches the drops of its children: a field would take the
    // file's name for text.
    bool dropFiles(QEvent* pEvent);

    CFusionWidget* pComposer = nullptr;
};
