// The command bar: its buttons and icons, and the new-item form it opens.
#include "commands/createreport.h"
#include "commands/lastnumbersource.h"
#include "commands/newitem.h"
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

} // namespace

class TestCreateReport : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY(openForms().isEmpty()); } // a bar takes its form with it

    // Five buttons only announce their commands; each shows its picture (not
    // missing, not blank); About keeps 10 px from the right edge.
    void buttonsAndIcons() {
        CCreateReport bar;
        bar.show();
        const QList<std::tuple<const char*, const char*, void (CCreateReport::*)()>> lstButtons = {
            {"btn_open", "fileopen", &CCreateReport::openReport},
            {"btn_preview", "print_preview", &CCreateReport::previewReport},
            {"btn_print", "fileprint", &CCreateReport::printReport},
            {"btn_save", "save", &CCreateReport::saveReport},
            {"btn_about", "info", &CCreateReport::showInfo},
            {"btn_addItem", "add_item", nullptr}};
        for (const auto& [pName, pIcon, pSignal] : lstButtons) {
            const QString sPath = QStringLiteral(":/vek_conclusion/Images/%1.png").arg(pIcon);
            const QImage image(sPath);
            QSet<QRgb> colours;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    colours.insert(qAlpha(image.pixel(x, y)) > 128 ? image.pixel(x, y) : 0);
            QVERIFY2(colours.size() > 8, pIcon);
            auto* pButton = bar.findChild<QToolButton*>(pName);
            QCOMPARE(pButton->icon().pixmap(32, 32).toImage(), QIcon(sPath).pixmap(32, 32).toImage());
            if (!pSignal)
                continue;
            QSignalSpy spy(&bar, pSignal);
            QTest::mouseClick(pButton, Qt::LeftButton);
            QCOMPARE(spy.count(), 1);
        }
        QVERIFY(openForms().isEmpty());
        QTest::mouseClick(bar.findChild<QToolButton*>("btn_addItem"), Qt::LeftButton);
        QCOMPARE(openForms().value(0)->findChild<QSpinBox*>("spb_number")->maximum(), 99); // no composer
        bar.resize(1400, 30);
        QCOMPARE(bar.findChild<QToolButton*>("btn_about")->pos(), QPoint(1360, 0));
        QCOMPARE(bar.findChild<QToolButton*>("btn_addItem")->pos(), QPoint(310, 0)); // stays
    }

    // The form offers numbers up to the last + 1; the next click replaces it;
    // an accepted answer reaches the composer and the form goes away.
    void newItemForm() {
        CFakeComposer composer;
        auto* pBar = new CCreateReport(&composer);
        composer.show();
        QSignalSpy spy(pBar, &CCreateReport::addStandardItem);
        auto* pAdd = pBar->findChild<QToolButton*>("btn_addItem");
        QTest::mouseClick(pAdd, Qt::LeftButton);
        QPointer<CNewItem> pForm = openForms().value(0);
        QCOMPARE(pForm->findChild<QSpinBox*>("spb_number")->maximum(), 13);
        pForm->close();
        QTest::mouseClick(pAdd, Qt::LeftButton);
        QVERIFY(pForm.isNull() && openForms().size() == 1 && openForms()[0]->isVisible());
        pForm = openForms()[0];

        auto* pSpin = pForm->findChild<QSpinBox*>("spb_number");
        pSpin->selectAll();
        typeText(pSpin, "13");
        typeText(pForm->findChild<QLineEdit*>("edt_name"), QStringLiteral("Примечание:"));
        QTest::mouseClick(pForm->findChild<QPushButton*>("btn_addItem"), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0], QVariantList({13, QStringLiteral("Примечание:"), QString()}));
        QTRY_VERIFY(pForm.isNull());
    }
};

QTEST_MAIN(TestCreateReport)
#include "tst_createreport.moc"
