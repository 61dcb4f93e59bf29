// The new-item form: its fields and its checks (its accepted answer is
// followed through the command bar in tst_createreport).
#include "commands/newitem.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

class TestNewItem : public QObject {
    Q_OBJECT
private:
    // Types into the form as a user does and presses "Добавить пункт".
    static void fill(CNewItem& form, const QString& sNumber, const QString& sName,
                     const QString& sValue) {
        auto* pSpin = form.findChild<QSpinBox*>("spb_number");
        pSpin->selectAll();
        typeText(pSpin, sNumber);
        typeText(form.findChild<QLineEdit*>("edt_name"), sName);
        typeText(form.findChild<QLineEdit*>("edt_value"), sValue);
        QTest::mouseClick(form.findChild<QPushButton*>("btn_addItem"), Qt::LeftButton);
    }

private slots:
    void formLayout() {
        CNewItem form;
        QCOMPARE(form.objectName(), QStringLiteral("CNewItem"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Добавление пункта"));
        QVERIFY(form.isWindow());
        QCOMPARE(form.windowModality(), Qt::ApplicationModal);
        QCOMPARE(form.maximumSize(), QSize(1280, 130));
        auto* pGrid = form.findChild<QGridLayout*>("gridLayout");
        QVERIFY(pGrid);
        const auto cell = [&](const char* pName) {
            int iRow, iCol, iRowSpan, iColSpan;
            pGrid->getItemPosition(pGrid->indexOf(form.findChild<QWidget*>(pName)), &iRow, &iCol,
                                   &iRowSpan, &iColSpan);
            return QList<int>({iRow, iCol, iColSpan});
        };
        QCOMPARE(cell("lbl_number"), QList<int>({0, 0, 1}));
        QCOMPARE(cell("lbl_name"), QList<int>({0, 1, 2}));
        QCOMPARE(cell("lbl_value"), QList<int>({0, 3, 2}));
        QCOMPARE(cell("spb_number"), QList<int>({1, 0, 1}));
        QCOMPARE(cell("edt_name"), QList<int>({1, 1, 2}));
        QCOMPARE(cell("edt_value"), QList<int>({1, 3, 2}));
        QCOMPARE(cell("btn_addItem"), QList<int>({2, 2, 2}));
        auto* pSpin = form.findChild<QSpinBox*>("spb_number");
        QCOMPARE(pSpin->value(), 0);
        QCOMPARE(pSpin->maximum(), 100);
        form.setMaximum(0);
        form.setMaximum(-4);
        QCOMPARE(pSpin->maximum(), 100);
        form.setMaximum(13);
        QCOMPARE(pSpin->maximum(), 13);
    }

    void refusedInput() {
        CScriptedDialogs dialogs;
        CNewItem form;
        form.show();
        QSignalSpy spy(&form, &CNewItem::addNewItem);

        fill(form, "0", QStringLiteral("Примечание"), QString());
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QCOMPARE(dialogs.lstMessages[0].eIcon, QMessageBox::Warning);
        QCOMPARE(dialogs.lstMessages[0].sTitle, QStringLiteral("Добавить новый пункт"));
        QCOMPARE(dialogs.lstMessages[0].sText,
                 QStringLiteral("Неправильный номер - 0! Для добавления нового пункта к "
                                "отчету\nнеобходимо ввести другое значение."));

        auto* pName = form.findChild<QLineEdit*>("edt_name");
        pName->clear();
        fill(form, "4", QString(), QStringLiteral("текст"));
        QCOMPARE(dialogs.texts().value(1), QStringLiteral("Не указано имя нового пункта!"));
        QCOMPARE(dialogs.lstMessages.value(1).sTitle, QStringLiteral("Добавить новый пункт"));

        QCOMPARE(spy.count(), 0);
        QVERIFY(form.isVisible());
    }
};

QTEST_MAIN(TestNewItem)
#include "tst_newitem.moc"
