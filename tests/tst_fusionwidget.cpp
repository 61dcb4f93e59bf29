#include "app/vekconclusion.h"
#include "commands/createreport.h"
#include "composer/fusionwidget.h"
#include "composer/reportheader.h"
#include "items/extdatset.h"
#include "items/methodsset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "refdata/measuringtool.h"
#include "results/conclusion.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestFusionWidget : public QObject {
    Q_OBJECT
private slots:
    void constructionOrderAndNumbers() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        const auto& s = form.sections();
        QCOMPARE(s.size(), 17);
        QVERIFY(qobject_cast<CCreateReport*>(s[eBar]) && qobject_cast<CReportHeader*>(s[eHeader]));
        QVERIFY(qobject_cast<CStdDateItem*>(s[eDate]) && qobject_cast<CMethodsSet*>(s[eMethods]));
        QVERIFY(qobject_cast<CStdComboItem*>(s[eCustomer]) && qobject_cast<CStdComboItem*>(s[eReason]));
        QCOMPARE(qobject_cast<CStdItem*>(s[eNumber])->number(), 0);
        QCOMPARE(qobject_cast<CMethodsSet*>(s[eMethods])->number(), 0);
        QVERIFY(qobject_cast<CMeasuringTool*>(s[eTools]) && qobject_cast<CConclusion*>(s[eConclusion]));
        // the conclusion spans its results, its written conclusion and its specialist
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(form.lastNumber(), 13);
        QCOMPARE(form.conclusions().value(0)->dativeMethod(), QStringLiteral("ультразвуковому"));
        // the long items get three times the editor's minimum width
        QCOMPARE(valueEdit(s[eAddress])->width(), 600);
        QCOMPARE(valueEdit(s[eNumber])->width(), 200);
    }

    void stackingFollowsHeightAndWidth() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        form.resize(1300, form.height());
        const auto& s = form.sections();
        int y = 10;
        for (QWidget* pSection : s) {
            QCOMPARE(pSection->y(), y);
            QCOMPARE(pSection->width(), 1300);
            y += pSection->height() + 10;
        }
        QCOMPARE(form.layOutSections(), y);
        QCOMPARE(form.height(), y);
        QCOMPARE(form.minimumHeight(), y);
        // a list section growing a line pushes everything below it down
        auto pDates = qobject_cast<CExtDatSet*>(s[eControlDates]);
        const int yCustomer = s[eCustomer]->y();
        QToolButton* pAdd = pDates->findChild<QToolButton*>("btn_add");
        for (int i = 0; i < 12 && pDates->height() == 30; ++i)
            QTest::mouseClick(pAdd, Qt::LeftButton);
        QCOMPARE(pDates->height(), 70);
        QCOMPARE(s[eCustomer]->y(), yCustomer + 40);
        QCOMPARE(form.height(), y + 40);
    }

    void mainWindowGivesItsWidthAndScrolls() {
        QTemporaryDir dir;
        CVEKConclusion window(nullptr, dir.path());
        QCOMPARE(window.windowTitle(), QStringLiteral("Подготовка отчета"));
        QCOMPARE(window.minimumSize(), QSize(1024, 768));
        window.resize(1200, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        CFusionWidget* pForm = window.composer();
        QCOMPARE(pForm->width(), window.viewport()->width());
        QCOMPARE(pForm->sections()[eStage]->width(), pForm->width());
        for (int i = 0; i < 10; ++i)
            pForm->slot_addNewStdItem(pForm->lastNumber() + 1, QStringLiteral("Пункт:"), QString());
        QVERIFY(pForm->height() > window.viewport()->height());
        QVERIFY(window.verticalScrollBar()->maximum() > 0);
        QCOMPARE(window.horizontalScrollBar()->maximum(), 0);
    }

    void userItemsInsertAndRenumber() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        form.slot_addNewStdItem(3, QStringLiteral("Примечание:"), QStringLiteral("x"));
        auto pUser = qobject_cast<CStdItem*>(form.sections()[eAddress]);
        QCOMPARE(pUser->name(), QStringLiteral("Примечание:"));
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        QCOMPARE(form.lastNumber(), 14);

        // one past the last number is appended at the very end
        form.slot_addNewStdItem(15, QStringLiteral("Последний:"), QString());
        QCOMPARE(qobject_cast<CStdItem*>(form.sections().last())->number(), 15);

        // number 1 stands before the dates of the control; the unnumbered keep no number
        form.slot_addNewStdItem(1, QStringLiteral("Первый:"), QString());
        QCOMPARE(qobject_cast<CStdItem*>(form.sections()[eControlDates])->name(),
                 QStringLiteral("Первый:"));
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16}));

        // deleting renumbers everything after it from the section before it
        QTest::mouseClick(pUser->findChild<QToolButton*>("btn_deleteItem"), Qt::LeftButton);
        QVERIFY(!form.sections().contains(pUser));
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15}));
    }

    void customerAndGroundsKeepOrganisationsInStep() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        QWidget* pCustomer = form.sections()[eCustomer];
        auto pReason = qobject_cast<CStdComboItem*>(form.sections()[eReason]);

        // a ground typed with no customer chosen is removed again
        enterChoice(pReason, QStringLiteral("Договор 7"));
        QVERIFY(pReason->choices().isEmpty());
        QVERIFY(form.organizations().isEmpty());

        enterChoice(pCustomer, QStringLiteral("ООО \"Ромашка\""));
        QCOMPARE(form.currentOrganization(), 0);
        enterChoice(pReason, QStringLiteral("Договор 7"));
        enterChoice(pReason, QStringLiteral("Письмо 3"));
        QCOMPARE(form.organizations()[0].lstGrounds, QStringList({"Договор 7", "Письмо 3"}));

        enterChoice(pCustomer, QStringLiteral("АО Берёза"));
        QCOMPARE(form.currentOrganization(), 1);
        QVERIFY(pReason->choices().isEmpty());
        QCOMPARE(pReason->value(), QString());

        // choosing the first organisation again offers its grounds
        choiceBox(pCustomer)->setCurrentIndex(1);
        QCOMPARE(form.currentOrganization(), 0);
        QCOMPARE(pReason->choices(), QStringList({"Договор 7", "Письмо 3"}));

        // deleting a ground removes it from the organisation
        choiceBox(pReason)->setCurrentIndex(1);
        QTest::mouseClick(pReason->findChild<QToolButton*>("btn_deleteItem"), Qt::LeftButton);
        QCOMPARE(form.organizations()[0].lstGrounds, QStringList({"Письмо 3"}));

        // deleting the customer removes the organisation
        QTest::mouseClick(pCustomer->findChild<QToolButton*>("btn_deleteItem"), Qt::LeftButton);
        QCOMPARE(form.organizations().size(), 1);
        QCOMPARE(form.organizations()[0].sName, QStringLiteral("АО Берёза"));
        QCOMPARE(pReason->value(), QString());
    }

    void closingAsksOnlyAfterAChange() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CVEKConclusion window(nullptr, dir.path());
        QWidget* pStage = window.composer()->sections()[eStage];
        window.show();
        QVERIFY(window.close());
        QVERIFY(dialogs.lstMessages.isEmpty());
        window.show();
        enterValue(pStage, QStringLiteral("изготовление"));
        dialogs.lstAnswers << QMessageBox::No;
        QVERIFY(window.close());
        QCOMPARE(dialogs.texts(), QStringList({QStringLiteral(
            "Начальные данные были изменены. Желаете сохранить текущий протокол?")}));
        // Yes with the save dialog cancelled keeps the window and the protocol
        window.show();
        dialogs.lstAnswers << QMessageBox::Yes;
        QVERIFY(!window.close());
        QCOMPARE(dialogs.lstFileRequests.size(), 1);
        // Yes with a save that is written closes
        dialogs.lstAnswers << QMessageBox::Yes;
        dialogs.lstFileNames << dir.filePath("p.rpt");
        QVERIFY(window.close());
        QVERIFY(QFile::exists(dir.filePath("p.rpt")));
    }

    void nameStillBeingTypedCountsAsAChange() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        // the user is in the field: the prompt is gone and a name is typed
        form.sections()[eHeader]->findChild<QLineEdit*>("edt_labName")->setText("ИЛ НК");
        QVERIFY(form.isChanged());
        QCOMPARE(qobject_cast<CReportHeader*>(form.sections()[eHeader])->labName(),
                 QStringLiteral("ИЛ НК"));
    }

    void commandBarReachesTheComposer() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        auto pBar = qobject_cast<CCreateReport*>(form.sections()[eBar]);
        QTest::mouseClick(pBar->findChild<QToolButton*>("btn_save"), Qt::LeftButton);
        QCOMPARE(dialogs.lstFileRequests.value(0).sCaption, QStringLiteral("Сохранить документ"));
        QTest::mouseClick(pBar->findChild<QToolButton*>("btn_about"), Qt::LeftButton);
        QWidget* pAbout = form.findChild<QWidget*>("AboutWindowGUI");
        QVERIFY(pAbout && pAbout->isVisible());
        emit pBar->addStandardItem(2, QStringLiteral("Сверх:"), QString());
        QCOMPARE(qobject_cast<CStdItem*>(form.sections()[eCustomer])->name(),
                 QStringLiteral("Сверх:"));
    }
};

QTEST_MAIN(TestFusionWidget)
#include "tst_fusionwidget.moc"
