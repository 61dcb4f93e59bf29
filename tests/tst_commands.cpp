// The command bar, the new-item form and the About window. Guards: every
// button shows its picture and announces its command; the form offers
// numbers up to one past the last, refuses a number 0 or no name, and goes
// away once it has sent its item; About shows its logo and opens its link.
#include "commands/createreport.h"
#include "commands/lastnumbersource.h"
#include "commands/newitem.h"
#include "composer/aboutwindow.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

namespace {
class CFakeComposer : public QWidget, public CLastNumberSource {
public:
    int lastNumber() const override { return 12; }
};

QList<CNewItem*> openForms() {
    QList<CNewItem*> lst;
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (auto* pForm = qobject_cast<CNewItem*>(pWidget))
            lst.append(pForm);
    return lst;
}

// Whether a picture has more than a few colours: not missing, not blank.
bool isPicture(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(qAlpha(image.pixel(x, y)) > 128 ? image.pixel(x, y) : 0);
    return colours.size() > 8;
}
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
public slots: // takes the place of the desktop's browser
    void openUrl(const QUrl& url) { lstUrls.append(url); }

private slots:
    void cleanup() { QVERIFY(openForms().isEmpty()); } // a bar takes its form with it

    void buttonsAnnounceTheirCommands() {
        CCreateReport bar;
        bar.show();
        const QList<std::tuple<const char*, const char*, void (CCreateReport::*)()>> lstButtons = {
            {"btn_open", "fileopen", &CCreateReport::openReport},
            {"btn_preview", "print_preview", &CCreateReport::previewReport},
            {"btn_print", "fileprint", &CCreateReport::printReport},
            {"btn_save", "save", &CCreateReport::saveReport},
            {"btn_about", "info", &CCreateReport::showInfo}};
        for (const auto& [pName, pIcon, pSignal] : lstButtons) {
            auto* pButton = child<QToolButton>(&bar, pName);
            QVERIFY2(isPicture(pButton->icon().pixmap(32, 32).toImage()), pIcon);
            QSignalSpy spy(&bar, pSignal);
            click(pButton);
            QCOMPARE(spy.count(), 1);
        }
        bar.resize(1400, 30);
        QCOMPARE(child<QToolButton>(&bar, "btn_about")->pos(), QPoint(1360, 0));
        click(child<QToolButton>(&bar, "btn_addItem")); // no composer: up to 99
        QCOMPARE(child<QSpinBox>(openForms().value(0), "spb_number")->maximum(), 99);
    }

    void newItemForm() {
        CScriptedDialogs dialogs;
        CFakeComposer composer;
        auto* pBar = new CCreateReport(&composer);
        composer.show();
        QSignalSpy spy(pBar, &CCreateReport::addStandardItem);
        click(child<QToolButton>(pBar, "btn_addItem"));
        QPointer<CNewItem> pForm = openForms().value(0);
        QCOMPARE(child<QSpinBox>(pForm, "spb_number")->maximum(), 13);
        const auto fill = [&](const QString& sNumber, const QString& sName) {
            child<QSpinBox>(pForm, "spb_number")->selectAll();
            typeText(child<QSpinBox>(pForm, "spb_number"), sNumber);
            child<QLineEdit>(pForm, "edt_name")->clear();
            typeText(child<QLineEdit>(pForm, "edt_name"), sName);
            click(child<QPushButton>(pForm, "btn_addItem"));
        };
        typeText(child<QLineEdit>(pForm, "edt_value"), QStringLiteral("текст"));
        fill("0", QStringLiteral("Примечание"));
        fill("4", QString());
        QCOMPARE(dialogs.texts(),
                 QStringList({"Неправильный номер - 0! Для добавления нового "
                              "пункта к отчету\nнеобходимо ввести другое значение.",
                              "Не указано имя нового пункта!"}));
        QVERIFY(spy.isEmpty() && pForm->isVisible());
        fill("13", QStringLiteral("Примечание:"));
        QCOMPARE(spy.value(0),
                 QVariantList({13, QStringLiteral("Примечание:"), QStringLiteral("текст")}));
        QTRY_VERIFY(pForm.isNull());
    }

    void aboutWindow() {
        QVERIFY(isPicture(QImage(QStringLiteral(":/vek_conclusion/Images/KORVA_logo.bmp"))));
        QVERIFY(CAboutWindow::buildHtml().contains(
            QStringLiteral("Подготовка отчета</p>\n<p align=\"center\" "
                           "style=\" font-size:12pt; font-weight:600;\">"
                           "Версия 1.0</p>")));
        QDesktopServices::setUrlHandler("http", this, "openUrl");
        CAboutWindow about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* pBrowser = child<QTextBrowser>(&about, "aboutTBrowser");
        const QRect link =
            pBrowser->cursorRect(pBrowser->document()->find(CAboutWindow::sMakerUrl));
        QTest::mouseClick(pBrowser->viewport(), Qt::LeftButton, {}, link.center() - QPoint(20, 0));
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(lstUrls, QList<QUrl>({QUrl(CAboutWindow::sMakerUrl)}));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
    }

private:
    QList<QUrl> lstUrls;
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
