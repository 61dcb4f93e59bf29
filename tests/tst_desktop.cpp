// Daily use on a desktop: Russian dialogs, the keyboard, documents given on
// the command line, the user's own data and the laboratory's own header.
#include "base/translations.h"
#include "app/vekconclusion.h"
#include "commands/newitem.h"
#include "composer/fusionwidget.h"
#include "composer/reportheader.h"
#include "items/dateeditheir.h"
#include "items/stditem.h"
#include "refdata/referencefiles.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

namespace {
QList<CNewItem*> openForms() {
    QList<CNewItem*> lst;
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (auto* pForm = qobject_cast<CNewItem*>(pWidget); pForm && pForm->isVisible())
            lst.append(pForm);
    return lst;
}
} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void questionsSpeakRussian() {
        QVERIFY(installRussianTranslations(*qApp));
        QMessageBox box(QMessageBox::Question, QStringLiteral("Подготовка отчета"), QString(),
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')),
                 QStringLiteral("Да"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')),
                 QStringLiteral("Нет"));
    }

    void shortcutsReachTheirCommands() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        CFusionWidget* pForm = window.composer();
        // from deep in the form, not from the command bar
        QLineEdit* pEdit = valueEdit(pForm->sections()[eStage]);
        pEdit->setFocus();
        QTest::keyClick(pEdit, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.lstFileRequests.value(0).sCaption, QStringLiteral("Сохранить документ"));
        QTest::keyClick(pEdit, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs.lstFileRequests.value(1).sCaption, QStringLiteral("Загрузить документ"));
        QTest::keyClick(pEdit, Qt::Key_P, Qt::ControlModifier);
        QTest::keyClick(pEdit, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(dialogs.lstDialogClasses, QStringList({"QPrintDialog", "QPrintPreviewDialog"}));
        QTest::keyClick(pEdit, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(openForms().size(), 1);
        // the form adds its item on Enter, as its button does
        CNewItem* pNew = openForms().first();
        pNew->findChild<QSpinBox*>("spb_number")->setValue(3);
        typeText(pNew->findChild<QLineEdit*>("edt_name"), QStringLiteral("Примечание:"));
        QTest::keyClick(pNew->findChild<QLineEdit*>("edt_name"), Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(openForms().isEmpty());
        QCOMPARE(qobject_cast<CStdItem*>(pForm->sections()[eAddress])->name(),
                 QStringLiteral("Примечание:"));
        // each tooltip names its shortcut
        QWidget* pBar = pForm->sections()[eBar];
        QCOMPARE(pBar->findChild<QToolButton*>("btn_save")->toolTip(),
                 QStringLiteral("Сохранить протокол (%1)")
                     .arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
        QVERIFY(pBar->findChild<QToolButton*>("btn_addItem")
                    ->toolTip()
                    .startsWith(QStringLiteral("Добавить пункт (")));
    }

    void tabFollowsTheForm() {
        QTemporaryDir dir;
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        CFusionWidget& form = *window.composer();
        // the widget Tab goes to from w, as a user presses it; the inner
        // editor of a combo box or a date counts as the box
        auto next = [](QWidget* w) {
            w->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* pFocus = QApplication::focusWidget();
            if (pFocus && (qobject_cast<QComboBox*>(pFocus->parentWidget()) ||
                           qobject_cast<QAbstractSpinBox*>(pFocus->parentWidget())))
                pFocus = pFocus->parentWidget();
            return pFocus;
        };
        // the header's fields in the order they read
        QWidget* pHeader = form.sections()[eHeader];
        QList<QWidget*> lstHeader;
        for (QWidget* w = pHeader->findChild<QLineEdit*>("edt_labName"); pHeader->isAncestorOf(w);
             w = next(w))
            lstHeader.append(w);
        QCOMPARE(lstHeader.size(), 5);
        for (int i = 1; i < lstHeader.size(); ++i) {
            const QPoint a = lstHeader[i - 1]->mapTo(&form, QPoint());
            const QPoint b = lstHeader[i]->mapTo(&form, QPoint());
            QVERIFY2(a.y() < b.y() || (a.y() == b.y() && a.x() < b.x()),
                     qPrintable(lstHeader[i]->objectName()));
        }
        // an item's editor leads to the next item's editor, not to a "+"
        QWidget* pStage = valueEdit(form.sections()[eStage]);
        QComboBox* pStandard = choiceBox(form.sections()[eStandards]);
        QCOMPARE(next(pStage), pStandard);
        QCOMPARE(next(pStandard)->objectName(), QStringLiteral("btn_add"));
        QCOMPARE(next(next(pStandard)), choiceBox(form.sections()[eAssessment]));
        // with a second row: both rows, then "+" and "-"
        QTest::mouseClick(form.sections()[eStandards]->findChild<QToolButton*>("btn_add"),
                          Qt::LeftButton);
        QComboBox* pSecond = choiceBox(form.sections()[eStandards]);
        QCOMPARE(next(pStandard), pSecond);
        QCOMPARE(next(pSecond)->objectName(), QStringLiteral("btn_add"));
        QCOMPARE(next(next(pSecond))->objectName(), QStringLiteral("btn_delete"));
        QCOMPARE(next(next(next(pSecond))), choiceBox(form.sections()[eAssessment]));
    }

    void digitsTypedIntoAnUnsetDate() {
        CDateEditHeir edit;
        QCOMPARE(edit.text(), QStringLiteral("__.__.____"));
        QTest::keyClicks(&edit, "10122026");
        QCOMPARE(edit.date(), QDate(2026, 12, 10));
        CDateEditHeir other;
        QTest::keyClicks(&other, "01032025");
        QCOMPARE(other.date(), QDate(2025, 3, 1));
    }

    void documentsFromTheCommandLine() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        writeFile(
            dir.filePath("sound.rpt"),
            CBytes().i16(2).i32(7).str(QStringLiteral("Стадия контроля:")).str("монтаж").data);
        QVERIFY(form.openDocument(dir.filePath("sound.rpt")));
        QVERIFY(dialogs.lstMessages.isEmpty());
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("монтаж"));
        QVERIFY(!form.isChanged());
        writeFile(dir.filePath("cut.rpt"), CBytes().i16(2).i32(7).data);
        QVERIFY(!form.openDocument(dir.filePath("cut.rpt")));
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("Документ \"%1\" поврежден и прочитан только частично!")
                     .arg(dir.filePath("cut.rpt")));
        QVERIFY(!form.openDocument(dir.filePath("protocol.txt")));
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("Указан файл \"%1\"\nс неправильным расширением!")
                     .arg(dir.filePath("protocol.txt")));
    }

    void referenceFilesGoToTheUsersDataWhenTheProgramDirCannotBeWritten() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        // a regular file where the program's directory should be: nothing can be created
        writeFile(dir.filePath("blocked"), "x");
        const QString sUser = dir.filePath("user/data");
        QCOMPARE(CReferenceFiles::dataDirFor(dir.filePath("blocked/bin"), sUser), sUser);
        QVERIFY(QFileInfo(sUser).isDir());
        QCOMPARE(CReferenceFiles::dataDirFor(dir.path(), sUser), dir.path());

        // the program's directory still offers what it holds, until the user's own copy exists
        QDir().mkpath(dir.filePath("app"));
        QVERIFY(
            CReferenceFiles::saveTools(dir.filePath("app"), {{QStringLiteral("Толщиномер"), {}}}));
        CFusionWidget form(dir.filePath("app"), nullptr, sUser);
        QCOMPARE(form.tools().size(), 1);
        QCOMPARE(form.workDir(), QDir::homePath());
        dialogs.lstFileNames << dir.filePath("p.rpt");
        QVERIFY(form.saveReport());
        for (const QString& sFile :
             {QStringLiteral("program_wd"), QStringLiteral("technicians.hmdb"),
              QStringLiteral("tools.hmdb"), QStringLiteral("optional.hmdb"),
              QStringLiteral("laboratory.hmdb")})
            QVERIFY2(QFileInfo::exists(QDir(sUser).filePath(sFile)), qPrintable(sFile));
        QVERIFY(!QFileInfo::exists(dir.filePath("app/optional.hmdb")));
        QVERIFY(CReferenceFiles::saveTools(dir.filePath("app"), {}));
        CFusionWidget next(dir.filePath("app"), nullptr, sUser);
        QCOMPARE(next.tools().size(), 1); // read from the user's copy now
        QCOMPARE(next.workDir(), dir.path());
    }

    void aNewProtocolStartsWithTheLastHeader() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        {
            CFusionWidget form(dir.path());
            auto pHeader = form.sections()[eHeader];
            pHeader->findChild<QLineEdit*>("edt_labName")
                ->setText(QStringLiteral("ИЛ НК «Контроль»"));
            dialogs.lstFileNames << dir.filePath("p.rpt");
            QVERIFY(form.saveReport());
        }
        QFile file(dir.filePath("laboratory.hmdb"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(CBytes().str(QStringLiteral("ИЛ НК «Контроль»")).data));
        CFusionWidget next(dir.path());
        QCOMPARE(qobject_cast<CReportHeader*>(next.sections()[eHeader])->labName(),
                 QStringLiteral("ИЛ НК «Контроль»"));
        QVERIFY(!next.isChanged());
    }

    void faultsFoundInUse() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        // a customer typed without Enter prints, with its number
        QComboBox* pCustomer = choiceBox(form.sections()[eCustomer]);
        typeText(pCustomer->lineEdit(), QStringLiteral("ООО Ромашка"));
        const QString sHtml = form.buildProtocolHtml();
        QVERIFY(sHtml.contains(QStringLiteral("<p>2. Заказчик: ООО Ромашка.</p>\n"
                                              "<p>3. Адрес проведения контроля: .</p>")));
        // a protocol-number record with a number keeps the item unnumbered,
        // and a later item at that number goes among the numbered sections
        QDataStream in(
            CBytes().i16(2).i32(7).str(QStringLiteral("Номер протокола")).str("12").data);
        QVERIFY(form.readDocument(in));
        QCOMPARE(
            qobject_cast<CStdItem*>(form.sections()[CFusionWidget::iProtocolNumberIndex])->number(),
            0);
        form.slot_addNewStdItem(7, QStringLiteral("Седьмой:"), QString());
        QCOMPARE(qobject_cast<CStdItem*>(form.sections()[eStage])->name(),
                 QStringLiteral("Седьмой:"));
        QVERIFY(
            qobject_cast<CStdItem*>(form.sections()[CFusionWidget::iProtocolNumberIndex])->name() ==
            QStringLiteral("Номер протокола"));
        // a name ending in a point gets "rpt" after it, not "..rpt"
        dialogs.lstFileNames << dir.filePath("protocol.");
        QVERIFY(form.saveReport());
        QVERIFY(QFileInfo::exists(dir.filePath("protocol.rpt")));
        QVERIFY(!QFileInfo::exists(dir.filePath("protocol..rpt")));
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
