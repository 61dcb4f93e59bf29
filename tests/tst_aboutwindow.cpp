// The About window: its text, its settings, its logo and its link.
#include "composer/aboutwindow.h"

#include <QDesktopServices>
#include <QTextBrowser>
#include <QtTest>

namespace {
// Takes the place of the desktop's browser.
class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> lstUrls;
public slots:
    void openUrl(const QUrl& url) { lstUrls.append(url); }
};
} // namespace

class TestAboutWindow : public QObject {
    Q_OBJECT
private slots:
    void html() {
        const QString sUrl = CAboutWindow::sMakerUrl;
        QVERIFY(sUrl.startsWith("http://"));
        const QString sExpected =
            QStringLiteral("<body style=\" font-family:'Verdana';\">\n"
                           "<p align=\"center\"><img src=\":/vek_conclusion/Images/KORVA_logo.bmp\"></p>\n"
                           "<p align=\"center\" style=\" font-size:14pt; font-weight:600;\">Подготовка отчета</p>\n"
                           "<p align=\"center\" style=\" font-size:12pt; font-weight:600;\">Версия 1.0</p>\n"
                           "<p align=\"center\" style=\" font-size:12pt;\">Корва</p>\n"
                           "<p align=\"center\" style=\" font-size:12pt;\">Приборы для неразрушающего контроля металлов, пластмасс, бетона.</p>\n"
                           "<p align=\"center\" style=\" font-size:12pt;\">Разработка, производство, поставка.</p>\n"
                           "<p align=\"center\" style=\" font-size:12pt;\">Благодарим Вас за использование нашей продукции!</p>\n"
                           "<p style=\" font-size:4pt;\">&nbsp;</p>"
                           "<p align=\"center\" style=\" font-size:12pt; text-decoration: underline; color:#0000ff;\"> <a href=\"")
            + sUrl + "\">" + sUrl + "</a></p>\n</body>";
        QCOMPARE(CAboutWindow::buildHtml(), sExpected);
    }

    void windowSettings() {
        QWidget parent;
        CAboutWindow about(&parent);
        QCOMPARE(about.objectName(), QStringLiteral("AboutWindowGUI"));
        QCOMPARE(about.parentWidget(), &parent);
        QVERIFY(about.isWindow());
        const Qt::WindowFlags eFlags = about.windowFlags();
        QCOMPARE(eFlags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(eFlags.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(eFlags.testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(about.windowModality(), Qt::WindowModal);
        QCOMPARE(about.minimumSize(), QSize(300, 500));
        QCOMPARE(about.maximumSize(), QSize(300, 500));
        QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
        QVERIFY(!about.isVisible());

        auto* pBrowser = about.findChild<QTextBrowser*>("aboutTBrowser");
        QVERIFY(pBrowser);
        QCOMPARE(pBrowser->geometry(), QRect(0, 0, 300, 500));
        QCOMPARE(pBrowser->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        // Links only: the text can be neither selected nor edited.
        QCOMPARE(pBrowser->textInteractionFlags(),
                 Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        QVERIFY(pBrowser->isReadOnly());
        QVERIFY(pBrowser->openExternalLinks());
        const QString sText = pBrowser->toPlainText();
        QVERIFY(sText.contains(QStringLiteral("Подготовка отчета")));
        QVERIFY(sText.contains(QStringLiteral("Версия 1.0")));
        QVERIFY(sText.contains(CAboutWindow::sMakerUrl));
    }

    void logo() {
        const QImage logo(QStringLiteral(":/vek_conclusion/Images/KORVA_logo.bmp"));
        QCOMPARE(logo.size(), QSize(280, 100));
        QSet<QRgb> colours;
        for (int y = 0; y < logo.height(); y += 2)
            for (int x = 0; x < logo.width(); x += 2)
                colours.insert(logo.pixel(x, y));
        QVERIFY(colours.size() > 8);
        // The browser finds it under the address the text gives.
        CAboutWindow about;
        auto* pBrowser = about.findChild<QTextBrowser*>("aboutTBrowser");
        const QVariant image = pBrowser->loadResource(
            QTextDocument::ImageResource, QUrl(":/vek_conclusion/Images/KORVA_logo.bmp"));
        QVERIFY(image.isValid());
    }

    // The same window is shown again and again; it only hides when closed.
    void showTwice() {
        QWidget parent;
        parent.show();
        auto* pAbout = new CAboutWindow(&parent);
        pAbout->show();
        QVERIFY(pAbout->isVisible());
        pAbout->show();
        pAbout->close();
        QVERIFY(!pAbout->isVisible());
        pAbout->show();
        QVERIFY(pAbout->isVisible());
        QCOMPARE(parent.findChildren<CAboutWindow*>(), QList<CAboutWindow*>({pAbout}));
    }

    void linkOpensTheBrowser() {
        CUrlCatcher catcher;
        QDesktopServices::setUrlHandler("http", &catcher, "openUrl");
        CAboutWindow about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* pBrowser = about.findChild<QTextBrowser*>("aboutTBrowser");
        const QTextCursor cursor = pBrowser->document()->find(CAboutWindow::sMakerUrl);
        QVERIFY(!cursor.isNull());
        const QPoint pos = pBrowser->cursorRect(cursor).center() - QPoint(20, 0);
        QTest::mouseClick(pBrowser->viewport(), Qt::LeftButton, {}, pos);
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(catcher.lstUrls, QList<QUrl>({QUrl(CAboutWindow::sMakerUrl)}));
        QVERIFY(!pBrowser->textCursor().hasSelection());
    }
};

QTEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
