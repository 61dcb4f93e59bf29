// The command bar: its buttons and icons, and the new-item form it opens.
#include "commands/createreport.h"
#include "commands/lastnumbersource.h"
#include "commands/newitem.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

namespace {

// Stands in for the composer: a widget that knows its last section number.
class CFakeComposer : public QWidget, public CLastNumberSource {
public:
    int iLast = 12;
    int lastNumber() const override { return iLast; }
};

QList<CNewItem*> openForms() {
    QList<CNewItem*> lst;
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (auto* pForm = qobject_cast<CNewItem*>(pWidget))
            lst.append(pForm);
    return lst;
}

// Images in use: an icon that is missing or blank is a defect.
void verifyPicture(const QImage& image) {
    QVERIFY(!image.isNull());
    int iOpaque = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = image.pixel(x, y);
            if (qAlpha(rgb) > 128)
                ++iOpaque;
            colours.insert(rgb);
        }
    QVERIFY(iOpaque > image.width() * image.height() / 5);
    QVERIFY(colours.size() > 8);
}

} // namespace

class TestCreateReport : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        qDeleteAll(openForms());
        QVERIFY(openForms().isEmpty());
    }

    void buttonsAndSignals() {
        CCreateReport bar;
        QCOMPARE(bar.objectName(), QStringLiteral("CCreateReport"));
        QCOMPARE(bar.size(), QSize(1000, 30));
        QCOMPARE(bar.minimumSize(), QSize(1000, 30));
        QCOMPARE(bar.maximumHeight(), 30);
        QCOMPARE(bar.font().pointSize(), 12);
        bar.show();

        struct Button {
            const char* pName;
            int iX;
            const char* pIcon;
            QString sToolTip;
            void (CCreateReport::*pSignal)();
        };
        const QList<Button> lstButtons = {
            {"btn_open", 10, "fileopen.png", QStringLiteral("Открыть сохраненный отчет"),
             &CCreateReport::openReport},
            {"btn_preview", 50, "print_preview.png", QStringLiteral("Предварительный просмотр"),
             &CCreateReport::previewReport},
            {"btn_print", 90, "fileprint.png", QStringLiteral("Распечатать протокол"),
             &CCreateReport::printReport},
            {"btn_save", 130, "save.png", QStringLiteral("Сохранить протокол"),
             &CCreateReport::saveReport},
            {"btn_about", 960, "info.png", QStringLiteral("О программе"),
             &CCreateReport::showInfo},
            {"btn_addItem", 310, "add_item.png", QStringLiteral("Добавить пункт"), nullptr},
        };
        const QList<QToolButton*> lstChildren = bar.findChildren<QToolButton*>();
        QCOMPARE(lstChildren.size(), 6);
        for (const Button& button : lstButtons) {
            auto* pButton = bar.findChild<QToolButton*>(button.pName);
            QVERIFY2(pButton, button.pName);
            QCOMPARE(pButton->geometry(), QRect(button.iX, 0, 30, 30));
            QCOMPARE(pButton->iconSize(), QSize(32, 32));
            QCOMPARE(pButton->toolTip(), button.sToolTip);
            QVERIFY(!pButton->icon().isNull());
            verifyPicture(pButton->icon().pixmap(32, 32).toImage());
            verifyPicture(QImage(QStringLiteral(":/vek_conclusion/Images/") + button.pIcon));
            if (!button.pSignal)
                continue;
            // Each of the five only announces its command.
            QSignalSpy spy(&bar, button.pSignal);
            QTest::mouseClick(pButton, Qt::LeftButton);
            QCOMPARE(spy.count(), 1);
            QVERIFY(openForms().isEmpty());
        }
    }

    void aboutStaysAtTheRightEdge() {
        CCreateReport bar;
        bar.show();
        bar.resize(1400, 30);
        QCOMPARE(bar.findChild<QToolButton*>("btn_about")->pos(), QPoint(1360, 0));
        QCOMPARE(bar.findChild<QToolButton*>("btn_addItem")->pos(), QPoint(310, 0));
        QCOMPARE(bar.findChild<QToolButton*>("btn_save")->pos(), QPoint(130, 0));
        bar.resize(1000, 30);
        QCOMPARE(bar.findChild<QToolButton*>("btn_about")->pos(), QPoint(960, 0));
    }

    // With the last section numbered 12 the form offers 0 to 13; an accepted
    // answer reaches the composer and the form goes away.
    void addItemThroughTheForm() {
        CScriptedDialogs dialogs;
        CFakeComposer composer;
        auto* pBar = new CCreateReport(&composer);
        composer.show();
        QSignalSpy spy(pBar, &CCreateReport::addStandardItem);

        QTest::mouseClick(pBar->findChild<QToolButton*>("btn_addItem"), Qt::LeftButton);
        QCOMPARE(openForms().size(), 1);
        QPointer<CNewItem> pForm = openForms().first();
        QVERIFY(pForm->isVisible());
        QVERIFY(!pForm->parent());
        auto* pSpin = pForm->findChild<QSpinBox*>("spb_number");
        QCOMPARE(pSpin->maximum(), 13);
        QCOMPARE(pSpin->minimum(), 0);

        pSpin->selectAll();
        typeText(pSpin, "14");
        QCOMPARE(pSpin->value(), 1); // 14 is refused
        pSpin->selectAll();
        typeText(pSpin, "13");
        QCOMPARE(pSpin->value(), 13);
        typeText(pForm->findChild<QLineEdit*>("edt_name"), QStringLiteral("Примечание:"));
        QTest::mouseClick(pForm->findChild<QPushButton*>("btn_addItem"), Qt::LeftButton);

        QVERIFY(dialogs.lstMessages.isEmpty());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toInt(), 13);
        QCOMPARE(spy[0][1].toString(), QStringLiteral("Примечание:"));
        QCOMPARE(spy[0][2].toString(), QString());
        QVERIFY(pForm.isNull() || !pForm->isVisible());
        QTRY_VERIFY(pForm.isNull());

        // A refused answer keeps the form and sends nothing.
        QTest::mouseClick(pBar->findChild<QToolButton*>("btn_addItem"), Qt::LeftButton);
        pForm = openForms().value(0);
        QVERIFY(pForm);
        QTest::mouseClick(pForm->findChild<QPushButton*>("btn_addItem"), Qt::LeftButton);
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QCOMPARE(spy.count(), 1);
        QVERIFY(pForm->isVisible());
    }

    void withoutComposerOffers99() {
        CCreateReport bar;
        bar.show();
        QTest::mouseClick(bar.findChild<QToolButton*>("btn_addItem"), Qt::LeftButton);
        QCOMPARE(openForms().size(), 1);
        QCOMPARE(openForms().first()->findChild<QSpinBox*>("spb_number")->maximum(), 99);
    }

    // Closing the form only hides it; the next click replaces it, so there
    // is never more than one. The bar takes its form with it.
    void oneFormAtATime() {
        QPointer<CNewItem> pFirst;
        {
            CCreateReport bar;
            bar.show();
            auto* pAdd = bar.findChild<QToolButton*>("btn_addItem");
            QTest::mouseClick(pAdd, Qt::LeftButton);
            pFirst = openForms().value(0);
            QVERIFY(pFirst);
            pFirst->close();
            QVERIFY(!pFirst.isNull());
            QTest::mouseClick(pAdd, Qt::LeftButton);
            QVERIFY(pFirst.isNull());
            QCOMPARE(openForms().size(), 1);
            QVERIFY(openForms().first()->isVisible());
        }
        QVERIFY(openForms().isEmpty());
    }
};

QTEST_MAIN(TestCreateReport)
#include "tst_createreport.moc"
