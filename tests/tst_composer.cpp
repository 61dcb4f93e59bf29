// The form of one protocol. Guards: sections in their order and numbers,
// stacked at full width in a window that fits a laptop's screen; user items
// renumber the form, never inside a conclusion; customers and their grounds
// stay in step, a deleted customer leaves the blank entry; closing asks
// only after a change and Cancel keeps the window; one conclusion per
// method, questions before "-", another method or "Сформировать" destroy
// what was filled; specialists reach every conclusion and their file at
// once; the heading and the numbers of the print; validity asked before
// printing, marks never printed.
#include "app/vekconclusion.h"
#include "commands/createreport.h"
#include "commands/statuslabel.h"
#include "composer/fusionwidget.h"
#include "composer/widgetdialogs.h"
#include "items/extdatset.h"
#include "items/stdcomboitem.h"
#include "items/stditem.h"
#include "refdata/widgetspecial.h"
#include "refdata/widgettool.h"
#include "results/conclusion.h"
#include "storage/referencefiles.h"
#include "storage/referencelists.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>

namespace {
QList<QComboBox*> methodRows(CFusionWidget& form) {
    return form.sections()[eMethods]->findChildren<QComboBox*>(Qt::FindDirectChildrenOnly);
}
QStringList offeredMethods(CConclusion* pConclusion) {
    QComboBox* pBox = child<QComboBox>(pConclusion, "cmb_methods");
    QStringList lst;
    for (int i = 0; i < pBox->count(); ++i)
        lst << pBox->itemText(i);
    return lst;
}
// Types a specialist into a panel; with a certificate number, saves him.
void nameSpecialist(CWidgetSpecial* pPanel, const QString& sName, const QString& sNumber = {},
                    const QDate& dt = {}) {
    typeText(child<QComboBox>(pPanel, "cmb_name")->lineEdit(), sName);
    if (dt.isValid()) {
        typeText(child<QComboBox>(pPanel, "cmb_licenseNum")->lineEdit(), sNumber);
        child<QDateEdit>(pPanel, "dedt_validity")->setDate(dt);
    } else if (!sNumber.isEmpty()) {
        typeText(child<QComboBox>(pPanel, "cmb_licenseNum")->lineEdit(), sNumber);
        click(child<QPushButton>(pPanel, "btn_saveSpec"));
    }
}
QString headingText(CFusionWidget& form) {
    return form.protocolHeading().remove("<H4 ALIGN=\"CENTER\">").remove("<BR></H4>\n");
}
} // namespace

class TestComposer : public QObject {
    Q_OBJECT
private slots:
    void sectionsStackedAndNumbered() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        QCOMPARE(form.sections().size(), 17);
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(numbersFrom(form, eNumber).mid(0, 2), QList<int>({0, 0})); // number and methods
        QCOMPARE(form.lastNumber(), 13);
        QCOMPARE(valueEdit(form.sections()[eAddress])->width(), 600); // three times the least
        form.resize(1300, form.height());
        QCOMPARE(form.sections().last()->width(), 1300);
        QCOMPARE(form.height(), form.sections().last()->geometry().bottom() + 11);
        // a list section growing a line pushes everything below it down
        QWidget* pDates = form.sections()[eControlDates];
        const int yCustomer = form.sections()[eCustomer]->y();
        while (pDates->height() == 30)
            click(child<QToolButton>(pDates, "btn_add"));
        QCOMPARE(form.sections()[eCustomer]->y(), yCustomer + 40);
    }

    void windowFitsTheScreenAndScrolls() {
        QTemporaryDir dir;
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Подготовка отчета[*]"));
        QCOMPARE(window.minimumWidth(), 1024);
        // 768 high, or what the screen leaves (the offscreen screen is 600 high)
        QVERIFY(window.minimumHeight() <= qMin(768, window.screen()->availableGeometry().height()));
        QVERIFY(window.minimumHeight() > 400);
        CFusionWidget* pForm = window.composer();
        QCOMPARE(pForm->width(), window.viewport()->width());
        QVERIFY(window.verticalScrollBar()->maximum() > 0);
        QCOMPARE(window.horizontalScrollBar()->maximum(), 0);
    }

    // Buttons showing no word say what they do; those deleting from a
    // reference list name the entry, not "пункт".
    void buttonsSayWhatTheyDo() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CVEKConclusion window(nullptr, dir.path());
        CFusionWidget& form = *window.composer();
        enterChoice(form.sections()[eCustomer], QStringLiteral("ООО Ромашка"));
        enterChoice(form.sections()[eStandards], QStringLiteral("СП 70"));
        auto pTool = form.sections()[eTools]->findChild<CWidgetTool*>();
        typeText(child<QComboBox>(pTool, "cmb_tools")->lineEdit(), QStringLiteral("УД2-12"));
        QTest::keyClick(child<QComboBox>(pTool, "cmb_tools")->lineEdit(), Qt::Key_Return);
        CWidgetSpecial* pPanel = form.conclusions()[0]->panels()[0];
        nameSpecialist(pPanel, QStringLiteral("Иванов"), "7");
        QWidget* pStandards = form.sections()[eStandards]; // before the item moves it
        form.slot_addNewStdItem(3, QStringLiteral("Примечание:"), QString());
        const QList<std::pair<QWidget*, QString>> lstTips = {
            {child(form.sections()[eCustomer], "btn_deleteItem"),
             "Удалить «ООО Ромашка» из справочника"},
            {child(pStandards, "btn_deleteItem"), "Удалить «СП 70» из справочника"},
            {child(pTool, "btn_deleteItem"), "Удалить «УД2-12» из справочника"},
            {child(pPanel, "btn_deleteData"), "Удалить «Иванов» из справочника"},
            {child(form.sections()[eAddress], "btn_deleteItem"),
             "Удалить пункт «Примечание:» из протокола"},
        };
        for (const auto& [pButton, sTip] : lstTips) {
            QVERIFY2(pButton->isVisibleTo(&window), qPrintable(sTip));
            QCOMPARE(pButton->toolTip(), sTip);
        }
        for (const QAbstractButton* pButton : window.findChildren<QAbstractButton*>()) {
            const QString sText = pButton->text();
            // a table's corner is a button to Qt, not to the user
            if (pButton->inherits("QTableCornerButton"))
                continue;
            if (sText.isEmpty() || sText == "+" || sText == "-" || sText == "…")
                QVERIFY2(!pButton->toolTip().isEmpty(), qPrintable(pButton->objectName()));
        }
    }

    // A status line longer than the bar ends in "…" rather than mid-word;
    // the tooltip holds each part whole. A folder's or a caption's name is
    // no markup, on the line, in a message or as an item's caption.
    void statusLineIsCutVisibly() {
        const std::unique_ptr<QMessageBox> pBox(CWidgetDialogs::createMessageBox(
            CUserDialogs::Warning, nullptr, "Журнал", "Папка «<b>лаб</b>»", CUserDialogs::Ok,
            CUserDialogs::Ok));
        QCOMPARE(pBox->textFormat(), Qt::PlainText);
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        form.slot_addNewStdItem(3, QStringLiteral("<i>Примечание</i>:"), QString());
        QCOMPARE(child<QLabel>(form.sections()[eAddress], "lbl_name")->textFormat(), Qt::PlainText);
        CCreateReport bar;
        bar.resize(700, 30);
        bar.show();
        const QString sAway = QStringLiteral("Папка справочников «/mnt/<b>лаб</b>» недоступна");
        bar.showStatus(CCreateReport::EStatus::ListChanges, sAway);
        bar.showStatus(CCreateReport::EStatus::Spelling, QStringLiteral("Словарь не найден"));
        auto pLine = child<CStatusLabel>(&bar, "lbl_status");
        QCOMPARE(pLine->text(), sAway + " · Словарь не найден");
        QCOMPARE(pLine->textFormat(), Qt::PlainText);
        QVERIFY(pLine->shownText().endsWith("…") &&
                pLine->shownText().size() < pLine->text().size());
        QVERIFY(pLine->toolTip().contains("&lt;b&gt;лаб&lt;/b&gt;» недоступна<br>Словарь"));
        bar.resize(2000, 30);
        QTRY_COMPARE(pLine->shownText(), pLine->text());
    }

    void userItemsRenumberTheForm() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        form.slot_addNewStdItem(3, QStringLiteral("Примечание:"), QStringLiteral("x"));
        auto pUser = qobject_cast<CStdItem*>(form.sections()[eAddress]);
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        form.slot_addNewStdItem(15, QStringLiteral("Последний:"), QString()); // one past the last
        QCOMPARE(qobject_cast<CStdItem*>(form.sections().last())->number(), 15);
        // inside a conclusion is refused; its first number goes before it
        form.slot_addNewStdItem(13, QStringLiteral("Внутри:"), QString());
        QCOMPARE(dialogs.texts(), QStringList({"Нельзя вставить новый пункт между результатами "
                                               "контроля и\nданными специалиста!"}));
        form.slot_addNewStdItem(12, QStringLiteral("Перед:"), QString());
        QCOMPARE(form.conclusions()[0]->number(), 13);
        // deleting renumbers everything after it from the section before it
        click(child<QToolButton>(pUser, "btn_deleteItem"));
        QCOMPARE(numbersFrom(form), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15}));
    }

    void customersAndGroundsInStep() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        QWidget* pCustomer = form.sections()[eCustomer];
        auto pReason = qobject_cast<CStdComboItem*>(form.sections()[eReason]);
        const CReferenceLists& lists = form.lists();
        enterChoice(pReason, QStringLiteral("Договор 7")); // no customer: removed again
        QVERIFY(pReason->choices().isEmpty() && lists.organizations().isEmpty());
        enterChoice(pCustomer, QStringLiteral("ООО \"Ромашка\""));
        enterChoice(pReason, QStringLiteral("Договор 7"));
        enterChoice(pReason, QStringLiteral("Письмо 3"));
        enterChoice(pCustomer, QStringLiteral("АО Берёза"));
        QVERIFY(lists.organizations().size() == 2 && pReason->choices().isEmpty());
        choiceBox(pCustomer)->setCurrentIndex(1); // the first again offers its grounds
        QCOMPARE(pReason->choices(), QStringList({"Договор 7", "Письмо 3"}));
        choiceBox(pReason)->setCurrentIndex(1);
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QToolButton>(pReason, "btn_deleteItem"));
        QCOMPARE(lists.organizations()[0].lstGrounds, QStringList({"Письмо 3"}));
        QVERIFY(pReason->value().isEmpty());
        // a deleted customer leaves the blank entry, never another customer
        dialogs.lstAnswers << CUserDialogs::No << CUserDialogs::Yes;
        click(child<QToolButton>(pCustomer, "btn_deleteItem"));
        QCOMPARE(lists.organizations().size(), 2);
        click(child<QToolButton>(pCustomer, "btn_deleteItem"));
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("Удалить «ООО \"Ромашка\"» из справочника?"));
        QCOMPARE(lists.organizations().value(0).sName, QStringLiteral("АО Берёза"));
        QVERIFY(choiceBox(pCustomer)->currentText().isEmpty() && pReason->choices().isEmpty());
    }

    void closingAsksOnlyAfterAChange() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        QVERIFY(window.close() && dialogs.lstMessages.isEmpty());
        window.show();
        enterValue(window.composer()->sections()[eStage], QStringLiteral("изготовление"));
        // Cancel (Escape) and Yes with the save dialog cancelled keep the window
        dialogs.lstAnswers << CUserDialogs::Cancel << CUserDialogs::Yes << CUserDialogs::No;
        QVERIFY(!window.close());
        QVERIFY(!window.close());
        QCOMPARE(dialogs.lstFileRequests.size(), 1);
        QVERIFY(window.close()); // No closes
        QCOMPARE(dialogs.texts(), QStringList(3, "Начальные данные были изменены. Желаете "
                                                 "сохранить текущий протокол?"));
        window.show();
        dialogs.lstAnswers << CUserDialogs::Yes; // Yes with a save that is written closes
        dialogs.lstFileNames << dir.filePath("p.rpt");
        QVERIFY(window.close() && QFile::exists(dir.filePath("p.rpt")));
    }

    void oneConclusionPerMethod() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        addMethodRow(form);
        addMethodRow(form);
        QCOMPARE(numbersFrom(form).mid(10), QList<int>({11, 14, 17}));
        QCOMPARE(form.conclusions()[1]->dativeMethod(), QStringLiteral("акустико-эмиссионному"));
        QVERIFY(!form.conclusions()[0]
                     ->findChild<QWidget*>("CAskFormTable")
                     ->isVisibleTo(form.conclusions()[0]));
        QCOMPARE(offeredMethods(form.conclusions()[2]),
                 QStringList({"ультразвукового", "акустико-эмиссионного"}));
        // another method in a row whose conclusion names a specialist asks; No puts the row back
        nameSpecialist(form.conclusions()[1]->panels()[0], QStringLiteral("Иванов"));
        dialogs.lstAnswers << CUserDialogs::No << CUserDialogs::Yes;
        methodRows(form)[1]->setCurrentIndex(4);
        QCOMPARE(dialogs.texts().value(0),
                 QStringLiteral("Специалисты раздела «акустико-эмиссионный» "
                                "будут удалены из заключения. Продолжить?"));
        QCOMPARE(methodRows(form)[1]->currentIndex(), 1);
        QCOMPARE(form.conclusions()[1]->panels()[0]->currentEntry().sName,
                 QStringLiteral("Иванов"));
        methodRows(form)[1]->setCurrentIndex(4);
        QCOMPARE(form.conclusions()[1]->panels()[0]->method(), QStringLiteral("магнитному"));
        QVERIFY(form.conclusions()[1]->panels()[0]->currentEntry().sName.isEmpty());
        // "-" removes the last conclusion: an empty one at once, a filled one after a question
        form.slot_addNewStdItem(20, QStringLiteral("После:"), QString());
        auto pMinus = child<QToolButton>(form.sections()[eMethods], "btn_delete");
        click(pMinus);
        QVERIFY(form.conclusions().size() == 2 && dialogs.lstMessages.size() == 2);
        QCOMPARE(qobject_cast<CStdItem*>(form.sections().last())->number(), 17);
        form.conclusions()[1]->setData(1, 1, {"T"}, {"Годен"});
        dialogs.lstAnswers << CUserDialogs::No;
        click(pMinus);
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("Удалить раздел «магнитный» вместе с таблицей "
                                "результатов, заключением и специалистами?"));
        QVERIFY(form.conclusions().size() == 2 && methodRows(form).size() == 2);
    }

    // Every method's name is shown whole in the titles and the specialist's
    // line; a short one takes the full size again.
    void labelsShowTheWholeMethod() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        CConclusion* pConclusion = form.conclusions()[0];
        // the results and the written conclusion's titles, the specialist's line
        QList<QLabel*> lstLabels = pConclusion->findChildren<QLabel*>("lbl_title");
        lstLabels << child<QLabel>(pConclusion->panels()[0], "lbl_methods");
        QCOMPARE(lstLabels.size(), 3);
        QList<int> lstFullSizes;
        for (const QLabel* pLabel : lstLabels)
            lstFullSizes << pLabel->font().pointSize();
        for (int iMethod : {1, 2, 3, 4, 5, 6, 7, 8, 0}) {
            methodRows(form)[0]->setCurrentIndex(iMethod);
            for (const QLabel* pLabel : lstLabels)
                QVERIFY2(pLabel->sizeHint().width() <= pLabel->width(), qPrintable(pLabel->text()));
        }
        for (int i = 0; i < lstLabels.size(); ++i)
            QCOMPARE(lstLabels[i]->font().pointSize(), lstFullSizes[i]);
    }

    void resultsTableFormedFromAnotherMethod() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        addMethodRow(form);
        form.conclusions()[0]->setData(7, 2, {"Шов", "Оценка"}, QStringList(14, "г"));
        auto pFill = child<QPushButton>(form.conclusions()[1], "btn_fill");
        click(pFill);
        int iRows, iColumns;
        QStringList lstTitles, lstCells;
        form.conclusions()[1]->getData(iRows, iColumns, lstTitles, lstCells);
        QVERIFY(iRows == 7 && lstCells == QStringList(14, "г") && dialogs.lstMessages.isEmpty());
        QCOMPARE(form.height(), form.layOutSections()); // what stands below has moved
        // the copy is named before the protocol goes out, until it is changed
        const QString sCopied = "таблица результатов скопирована из «ультразвуковой контроль» и не "
                                "изменена: акустико-эмиссионный контроль";
        form.slot_printReport();
        QVERIFY(dialogs.texts().value(0).contains(sCopied));
        dialogs.lstMessages.clear();
        // over a filled table: asked first, No keeps it
        form.conclusions()[1]->setData(1, 1, {"Мой"}, {"свой"});
        dialogs.lstAnswers << CUserDialogs::No;
        click(pFill);
        QCOMPARE(dialogs.texts(),
                 QStringList({"Заменить таблицу результатов таблицей «ультразвукового»?"}));
        form.conclusions()[1]->getData(iRows, iColumns, lstTitles, lstCells);
        QCOMPARE(lstCells, QStringList({"свой"}));
        form.slot_printReport();
        QVERIFY(!dialogs.texts().last().contains("скопирована"));
    }

    void writtenConclusionSwitchKeepsTheNumbering() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        addMethodRow(form);
        form.slot_addNewStdItem(17, QStringLiteral("Примечание:"), QStringLiteral("нет"));
        click(child<QCheckBox>(form.conclusions()[1], "cb_reportOn"));
        QCOMPARE(form.lastNumber(), 16);
        // the print shows no specialist's number, leaves no gap, and shifts after an empty customer
        const QString sHtml = form.buildProtocolHtml();
        QVERIFY(sHtml.contains("<p>10. Результаты ультразвукового контроля.</p>"));
        QVERIFY(sHtml.contains("<p>12. Результаты акустико-эмиссионного контроля.</p>"));
        QVERIFY(sHtml.contains("<p>13. Примечание: нет.</p>") && !sHtml.contains("<p>14."));
    }

    void specialistsReachEveryConclusionAndTheFile() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        addMethodRow(form);
        nameSpecialist(form.conclusions()[0]->panels()[0], QStringLiteral("Иванов"), "01");
        QCOMPARE(child<QComboBox>(form.conclusions()[1]->panels()[0], "cmb_name")->count(), 2);
        QCOMPARE(fileBytes(dir.filePath("technicians.hmdb")), CBytes()
                                                                  .i32(1)
                                                                  .str("Иванов")
                                                                  .i32(1)
                                                                  .str("01")
                                                                  .str("")
                                                                  .i32(1)
                                                                  .str("ультразвуковому")
                                                                  .date(QDate(2000, 1, 1))
                                                                  .i16(1)
                                                                  .data); // written at once
        QFile::remove(dir.filePath("technicians.hmdb"));
        QVERIFY(QDir(dir.path()).mkdir("technicians.hmdb")); // a file that cannot be written
        nameSpecialist(form.conclusions()[1]->panels()[0], QStringLiteral("Петров"), "02");
        // the change waits, is offered meanwhile, and the status line says so
        QCOMPARE(child<QComboBox>(form.conclusions()[0]->panels()[0], "cmb_name")->count(), 3);
        QVERIFY(child<QLabel>(form.sections()[0], "lbl_status")->text().contains("ждут записи"));
        QVERIFY(QDir(dir.path()).rmdir("technicians.hmdb"));
        QTRY_VERIFY(QFileInfo(dir.filePath("technicians.hmdb")).isFile()); // written once it can be
        QVERIFY(child<QLabel>(form.sections()[0], "lbl_status")->text().isEmpty());
    }

    void headingAndCustomerShift() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        const QString sToday = QDate::currentDate().toString("dd.MM.yyyy");
        QCOMPARE(headingText(form), QStringLiteral("Протокол по проведению контроля ультразвуковым "
                                                   "методом № от %1 г.")
                                        .arg(sToday));
        valueEdit(form.sections()[eNumber])->setText(QStringLiteral("%3<")); // typed, not committed
        addMethodRow(form);
        addMethodRow(form);
        methodRows(form)[1]->setCurrentIndex(4);
        methodRows(form)[2]->setCurrentIndex(7);
        QCOMPARE(headingText(form),
                 QStringLiteral("Протокол по проведению контроля ультразвуковым, "
                                "магнитным и тепловым методами №%3&lt; от %1 г.")
                     .arg(sToday));
        QString sHtml = form.buildProtocolHtml(); // no customer: the items after it print one lower
        QVERIFY(!sHtml.contains("Заказчик:") &&
                sHtml.contains("<p>2. Адрес проведения контроля: .</p>\n"));
        enterChoice(form.sections()[eCustomer], QStringLiteral("ООО \"Ромашка\" & Ко"));
        QVERIFY(
            form.buildProtocolHtml().contains("<p>2. Заказчик: ООО &quot;Ромашка&quot; &amp; "
                                              "Ко.</p>\n<p>3. Адрес проведения контроля: .</p>\n"));
    }

    void printAsksAboutValidityFirst() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        QCOMPARE(form.printer()->pageLayout().orientation(), QPageLayout::Landscape);
        child<QDateEdit>(form.sections()[eDate], "dedt_date")->setDate(QDate(2026, 6, 10));
        form.printer()->setOutputFormat(QPrinter::PdfFormat);
        form.printer()->setOutputFileName(dir.filePath("p.pdf"));
        // a method nobody signs is named; the default answer prints nothing
        form.slot_printReport();
        QCOMPARE(dialogs.texts(),
                 QStringList({"Сроки действия истекли или не указаны, протокол "
                              "заполнен не полностью:\n"
                              "не выбран специалист: ультразвуковой контроль\n"
                              "не заполнена таблица результатов: ультразвуковой "
                              "контроль\n"
                              "не заполнено заключение: ультразвуковой контроль\n\n"
                              "Печатать протокол все равно?"}));
        dialogs.lstMessages.clear();
        auto pCell = child<QTableWidget>(form.conclusions()[0], "tab_results");
        pCell->setFocus();
        pCell->setCurrentCell(0, 2);
        QTest::keyClicks(pCell, "1");
        QTest::keyClick(pCell, Qt::Key_Return);
        typeText(child<QTextEdit>(form.conclusions()[0], "tedt_description"),
                 QStringLiteral("Дефектов не обнаружено"));
        CWidgetSpecial* pPanel = form.conclusions()[0]->panels()[0];
        nameSpecialist(pPanel, QStringLiteral("Иванов И.И."), "0001-123", QDate(2027, 5, 1));
        form.slot_printReport(); // a cancelled print dialog prints nothing
        dialogs.lstDialogActions << [](QDialog*) { return int(QDialog::Accepted); };
        form.slot_printReport(); // nothing expired: no question
        QVERIFY(dialogs.lstMessages.isEmpty() &&
                fileBytes(dir.filePath("p.pdf")).startsWith("%PDF-"));
        QFile::remove(dir.filePath("p.pdf"));
        child<QDateEdit>(pPanel, "dedt_validity")->setDate(QDate(2026, 5, 1));
        auto pTool = form.sections()[eTools]->findChild<CWidgetTool*>();
        typeText(child<QComboBox>(pTool, "cmb_tools")->lineEdit(), QStringLiteral("Дефектоскоп"));
        typeText(child<QComboBox>(pTool, "cmb_numbers")->lineEdit(), QStringLiteral("1234"));
        const QByteArray document = documentOf(form);
        const QString sHtml = form.buildProtocolHtml();
        form.slot_printReport();
        form.slot_previewReport(); // the preview asks the same; the default answer is No
        QCOMPARE(
            dialogs.texts().value(0),
            QStringLiteral("Сроки действия истекли или не указаны:\n"
                           "Специалист Иванов И.И., удостоверение № 0001-123: истекло 01.05.2026\n"
                           "Прибор Дефектоскоп № 1234: срок действия не указан\n\n"
                           "Печатать протокол все равно?"));
        QCOMPARE(dialogs.lstMessages.value(0).eIcon, CUserDialogs::Warning);
        QVERIFY(dialogs.lstMessages.size() == 2 && dialogs.lstDialogClasses.size() == 2);
        QVERIFY(!QFile::exists(dir.filePath("p.pdf")));
        // the marks reach neither the print nor the document
        form.conclusions()[0]->setProtocolDate(QDate());
        pTool->setProtocolDate(QDate());
        QVERIFY(documentOf(form) == document && form.buildProtocolHtml() == sHtml);
        // the preview paints pages
        int iPages = 0;
        QSize previewSize;
        dialogs.lstDialogActions << [&iPages, &previewSize](QDialog* pDialog) {
            previewSize = pDialog->size();
            auto pPreview = pDialog->findChild<QPrintPreviewWidget*>();
            pPreview->updatePreview();
            iPages = pPreview->pageCount();
            return int(QDialog::Accepted);
        };
        dialogs.lstAnswers << CUserDialogs::Yes;
        form.printer()->setOutputFormat(QPrinter::NativeFormat);
        form.slot_previewReport();
        QVERIFY(iPages >= 1);
        QCOMPARE(previewSize, form.window()->size()); // as large as the main window
        QVERIFY(dialogs.texts().last().endsWith("\n\nПоказать протокол все равно?"));
        // twelve gaps more: ten lines, then how many are left; the question
        // judges by the protocol's date, whatever date a panel was told
        for (int i = 0; i < 12; ++i) {
            click(child<QPushButton>(form.conclusions()[0], "btn_addTechnician"));
            nameSpecialist(form.conclusions()[0]->panels().last(), QString("Без даты %1").arg(i));
        }
        form.slot_previewReport();
        const QStringList lstLines = dialogs.texts().last().split('\n');
        QCOMPARE(lstLines.size(), 1 + 10 + 1 + 2);
        QVERIFY(
            lstLines[1].startsWith("Специалист Иванов И.И., удостоверение № 0001-123: истекло"));
        QCOMPARE(lstLines.mid(10, 2), QStringList({"Специалист Без даты 8, удостоверение № : срок "
                                                   "действия не указан",
                                                   "и еще 4"}));
    }
};

QTEST_MAIN(TestComposer)
#include "tst_composer.moc"
