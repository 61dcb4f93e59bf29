#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// The About window: logo, title and version of the program, the maker and a
// link to the maker's site, which opens in the desktop's browser. A fixed
// 300 x 500 dialog window, modal to its parent's window; closing it only
// hides it, so one instance is shown again and again.
class CAboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit CAboutWindow(QWidget* pParent = nullptr);

    // The maker's web address shown and opened by the link.
    static const QString sMakerUrl;

    // The text the window shows.
    static QString buildHtml();

protected:
    // Escape closes the window, as it does any dialog.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    QTextBrowser* aboutTBrowser = nullptr;
};
