#include "composer/aboutwindow.h"

#include "base/constants.h"
#include "items/resources.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QTextStream>

const QString CAboutWindow::sMakerUrl = QStringLiteral("http://www.korva-ndt.ru");

CAboutWindow::CAboutWindow(QWidget* pParent)
    : QWidget(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint) {
    initImageResources();
    setObjectName(QStringLiteral("AboutWindowGUI"));
    setWindowModality(Qt::WindowModal);
    resize(300, 500);
    setMinimumSize(300, 500);
    setMaximumSize(300, 500);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setWindowTitle(QCoreApplication::translate("AboutWindowGUI", "О программе"));
    setWhatsThis(QString());

    aboutTBrowser = new QTextBrowser(this);
    aboutTBrowser->setObjectName(QStringLiteral("aboutTBrowser"));
    aboutTBrowser->setGeometry(0, 0, 300, 500);
    aboutTBrowser->setFixedSize(300, 500);
    aboutTBrowser->setFocusPolicy(Qt::NoFocus);
    aboutTBrowser->setContextMenuPolicy(Qt::NoContextMenu);
    aboutTBrowser->setFrameShape(QFrame::NoFrame);
    aboutTBrowser->setFrameShadow(QFrame::Plain);
    aboutTBrowser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    aboutTBrowser->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    aboutTBrowser->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                           Qt::LinksAccessibleByKeyboard);
    aboutTBrowser->setOpenLinks(true);
    aboutTBrowser->setOpenExternalLinks(true);
    aboutTBrowser->setHtml(buildHtml());
}

QString CAboutWindow::buildHtml() {
    const QString sCentred12 = QStringLiteral("<p align=\"center\" style=\" font-size:12pt;\">");
    QString sHtml;
    QTextStream stream(&sHtml);
    stream << "<body style=\" font-family:'Verdana';\">\n";
    stream << "<p align=\"center\">"
           << "<img src=\":/vek_conclusion/Images/KORVA_logo.bmp\"></p>\n";
    stream << "<p align=\"center\" style=\" font-size:14pt; font-weight:600;\">" << g_sAppTitle
           << "</p>\n";
    stream << "<p align=\"center\" style=\" font-size:12pt; font-weight:600;\">"
           << QStringLiteral("Версия %1").arg(g_sVersion) << "</p>\n";
    stream << sCentred12 << QStringLiteral("Корва") << "</p>\n";
    stream << sCentred12
           << QStringLiteral("Приборы для неразрушающего контроля металлов, пластмасс, бетона.")
           << "</p>\n";
    stream << sCentred12 << QStringLiteral("Разработка, производство, поставка.") << "</p>\n";
    stream << sCentred12 << QStringLiteral("Благодарим Вас за использование нашей продукции!")
           << "</p>\n";
    stream << "<p style=\" font-size:4pt;\">&nbsp;</p>";
    stream << "<p align=\"center\" style=\" font-size:12pt; "
           << "text-decoration: underline; color:#0000ff;\"> <a href=\"" << sMakerUrl << "\">"
           << sMakerUrl << "</a></p>\n";
    stream << "</body>";
    stream.flush();
    return sHtml;
}

void CAboutWindow::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Escape && pEvent->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(pEvent);
}
