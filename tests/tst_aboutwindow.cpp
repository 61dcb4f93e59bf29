// The About window: its text, its logo and its link, all the user can act on.
#include "composer/aboutwindow.h"

#include <QtTest>
#include <QtWidgets>

class TestAboutWindow : public QObject {
    Q_OBJECT
public slots: // takes the place of the desktop's browser
    void openUrl(const QUrl& url) { lstUrls.append(url); }

private slots:
    void htmlAndLogo() {
        const QString sUrl = CAboutWindow::sMakerUrl;
        QCOMPARE(CAboutWindow::buildHtml(),
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
            + sUrl + "\">" + sUrl + "</a></p>\n</body>");

        const QImage logo(QStringLiteral(":/vek_conclusion/Images/KORVA_logo.bmp"));
        QSet<QRgb> colours;
        for (int y = 0; y < logo.height(); y += 2)
            for (int x = 0; x < logo.width(); x += 2)
                colours.insert(logo.pixel(x, y));
        QVERIFY(colours.size() > 8); // not missing, not blank
    }

    // A click on the link opens the desktop's browser; a drag selects nothing.
    void linksOnly() {
        QDesktopServices::setUrlHandler("http", this, "openUrl");
        CAboutWindow about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* pBrowser = about.findChild<QTextBrowser*>("aboutTBrowser");
        const QRect link = pBrowser->cursorRect(pBrowser->document()->find(CAboutWindow::sMakerUrl));
        QTest::mouseClick(pBrowser->viewport(), Qt::LeftButton, {}, link.center() - QPoint(20, 0));
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(lstUrls, QList<QUrl>({QUrl(CAboutWindow::sMakerUrl)}));

        QTest::mousePress(pBrowser->viewport(), Qt::LeftButton, {}, QPoint(20, 120));
        QTest::mouseMove(pBrowser->viewport(), QPoint(280, 220));
        QTest::mouseRelease(pBrowser->viewport(), Qt::LeftButton, {}, QPoint(280, 220));
        QVERIFY(!pBrowser->textCursor().hasSelection());
    }

private:
    QList<QUrl> lstUrls;
};

QTEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
