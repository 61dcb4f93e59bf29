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

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    CFusionWidget* pComposer = nullptr;
};
