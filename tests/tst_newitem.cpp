// The new-item form's checks: what it refuses and what it sends.
#include "commands/newitem.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

class TestNewItem : public QObject {
    Q_OBJECT
private slots:
    void refusalsAndAcceptance() {
        CScriptedDialogs dialogs;
        CNewItem form;
        form.show();
        QSignalSpy spy(&form, &CNewItem::addNewItem);
        const auto fill = [&](const QString& sNumber, const QString& sName) {
            form.findChild<QSpinBox*>("spb_number")->selectAll();
            typeText(form.findChild<QSpinBox*>("spb_number"), sNumber);
            form.findChild<QLineEdit*>("edt_name")->clear();
            typeText(form.findChild<QLineEdit*>("edt_name"), sName);
            QTest::mouseClick(form.findChild<QPushButton*>("btn_addItem"), Qt::LeftButton);
        };
        typeText(form.findChild<QLineEdit*>("edt_value"), QStringLiteral("текст"));
        fill("0", QStringLiteral("Примечание"));
        fill("4", QString());
        QCOMPARE(dialogs.texts(),
                 QStringList({QStringLiteral("Неправильный номер - 0! Для добавления нового пункта к "
                                             "отчету\nнеобходимо ввести другое значение."),
                              QStringLiteral("Не указано имя нового пункта!")}));
        for (const auto& message : dialogs.lstMessages)
            QVERIFY(message.eIcon == QMessageBox::Warning
                    && message.sTitle == QStringLiteral("Добавить новый пункт"));
        QCOMPARE(spy.count(), 0);
        QVERIFY(form.isVisible());

        fill("4", QStringLiteral("Примечание"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0], QVariantList({4, QStringLiteral("Примечание"), QStringLiteral("текст")}));
        QCOMPARE(dialogs.lstMessages.size(), 2);
    }
};

QTEST_MAIN(TestNewItem)
#include "tst_newitem.moc"
