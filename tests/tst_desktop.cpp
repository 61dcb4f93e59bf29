// Daily use on a desktop. Guards: Russian questions whose Escape is Cancel;
// shortcuts reaching their commands from anywhere; Tab in reading order;
// the user's data location when the program's directory cannot be written;
// a new protocol starting with the last header; faults found in use; the
// unsaved protocol copied within seconds, offered after a crash only
// when its program is gone, removed after a save or a refusal.
#include "app/eventloop.h"
#include "app/vekconclusion.h"
#include "base/translations.h"
#include "base/userdialogs.h"
#include "commands/newitem.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/journallink.h"
#include "composer/reportheader.h"
#include "composer/widgetdialogs.h"
#include "items/stditem.h"
#include "results/conclusion.h"
#include "storage/journal.h"
#include "storage/journalservice.h"
#include "storage/recoverycopy.h"
#include "storage/referencefiles.h"
#include "storage/referencelists.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/largeprotocol.h"
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
// The editor open in pTable: one that was closed may wait for its deletion.
QLineEdit* openEditor(QTableWidget* pTable) {
    for (QLineEdit* pEditor : pTable->viewport()->findChildren<QLineEdit*>())
        if (pEditor->isVisible())
            return pEditor;
    return nullptr;
}

// A double-click on cell (0, iColumn) and text typed into its editor, which
// stays open.
void typeIntoCell(QTableWidget* pTable, int iColumn, const QString& sText) {
    const QRect cell = pTable->visualRect(pTable->model()->index(0, iColumn));
    QTest::mouseClick(pTable->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(pTable->viewport(), Qt::LeftButton, {}, cell.center());
    typeText(openEditor(pTable), sText);
}

QStringList recoveryFiles(const QString& sDir) {
    return QDir(sDir).entryList({"recovery-*.rpt"}, QDir::Files);
}
// A lock naming a process that has just ended.
QByteArray deadLock() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    const qint64 iPid = process.processId();
    process.waitForFinished();
    return QByteArray::number(iPid) + "\nndt-protocol\n\n";
}
// Leaves in sDir what a crashed program leaves: its copy, and its lock
// naming a process that has just ended.
void leaveCrashedCopy(const QString& sDir, const QString& sStage, const QString& sSource = {}) {
    QByteArray document;
    {
        CFusionWidget form(sDir);
        enterValue(form.sections()[eStage], sStage);
        document = documentOf(form);
    }
    const QString sPath = QDir(sDir).filePath("recovery-4242-deadbeef.rpt");
    writeFile(sPath, document);
    writeFile(sPath + ".lock", deadLock());
    if (!sSource.isEmpty())
        writeFile(sPath + ".source", sSource.toUtf8());
}
} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void questionsSpeakRussianEscapeCancels() {
        QVERIFY(installRussianTranslations(*qApp));
        std::unique_ptr<QMessageBox> pBox(CWidgetDialogs::createMessageBox(
            CUserDialogs::Question, nullptr, QStringLiteral("Подготовка отчета"),
            QStringLiteral("?"), CUserDialogs::Yes | CUserDialogs::No | CUserDialogs::Cancel,
            CUserDialogs::Yes));
        QStringList lstTexts;
        for (auto eButton : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            lstTexts << pBox->button(eButton)->text().remove('&');
        QCOMPARE(lstTexts, QStringList({"Да", "Нет", "Отмена"}));
        pBox->show();
        QTest::keyClick(pBox.get(), Qt::Key_Escape);
        QCOMPARE(pBox->standardButton(pBox->clickedButton()), QMessageBox::Cancel);
    }

    void shortcutsReachTheirCommands() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        CFusionWidget* pForm = window.composer();
        QLineEdit* pEdit = valueEdit(pForm->sections()[eStage]); // deep in the form
        pEdit->setFocus();
        QTest::keyClick(pEdit, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(pEdit, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs.lstFileRequests.value(0).sCaption, QStringLiteral("Сохранить документ"));
        QCOMPARE(dialogs.lstFileRequests.value(1).sCaption, QStringLiteral("Загрузить документ"));
        // printed although no specialist is chosen
        dialogs.lstAnswers << CUserDialogs::Yes << CUserDialogs::Yes << CUserDialogs::Yes;
        QTest::keyClick(pEdit, Qt::Key_P, Qt::ControlModifier);
        QTest::keyClick(pEdit, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(dialogs.lstDialogClasses, QStringList({"QPrintDialog", "QPrintPreviewDialog"}));
        QTest::keyClick(pEdit, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(dialogs.lstFileRequests.value(2).sCaption, QStringLiteral("Сохранить в PDF"));
        dialogs.lstAnswers << CUserDialogs::Yes;
        QTest::keyClick(pEdit, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(dialogs.lstFileRequests.value(3).sCaption, QStringLiteral("Сохранить в ODT"));
        QTest::keyClick(pEdit, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(openForms().size(), 1);
        // the form adds its item on Enter, as its button does
        CNewItem* pNew = openForms().first();
        child<QSpinBox>(pNew, "spb_number")->setValue(3);
        typeText(child<QLineEdit>(pNew, "edt_name"), QStringLiteral("Примечание:"));
        QTest::keyClick(child<QLineEdit>(pNew, "edt_name"), Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(openForms().isEmpty());
        QCOMPARE(qobject_cast<CStdItem*>(pForm->sections()[eAddress])->name(),
                 QStringLiteral("Примечание:"));
        // a new protocol is shown from its top
        window.verticalScrollBar()->setValue(window.verticalScrollBar()->maximum());
        QVERIFY(window.verticalScrollBar()->value() > 0);
        dialogs.lstAnswers << CUserDialogs::No; // the item added is not saved
        QTest::keyClick(pEdit, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(window.verticalScrollBar()->value(), 0);
        window.verticalScrollBar()->setValue(window.verticalScrollBar()->maximum());
        QTest::keyClick(pEdit, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(window.verticalScrollBar()->value(), 0); // the next one of the same work
        auto keys = [](QKeySequence key) { return key.toString(QKeySequence::NativeText); };
        QWidget* pBar = pForm->sections()[eBar];
        QCOMPARE(child<QToolButton>(pBar, "btn_save")->toolTip(),
                 QStringLiteral("Сохранить протокол (%1); Сохранить как… (%2)")
                     .arg(keys(QKeySequence::Save), keys(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
        QCOMPARE(child<QToolButton>(pBar, "btn_new")->toolTip(),
                 QStringLiteral("Новый протокол (%1)").arg(keys(QKeySequence::New)));
        QCOMPARE(child<QToolButton>(pBar, "btn_newFromCurrent")->toolTip(),
                 QStringLiteral("Новый на основе текущего (%1)")
                     .arg(keys(Qt::CTRL | Qt::ALT | Qt::Key_N)));
        QCOMPARE(child<QToolButton>(pBar, "btn_pdf")->toolTip(),
                 QStringLiteral("Сохранить в PDF (%1); Сохранить в ODT (%2)")
                     .arg(keys(Qt::CTRL | Qt::Key_E), keys(Qt::CTRL | Qt::SHIFT | Qt::Key_E)));
        QCOMPARE(child<QToolButton>(pBar, "btn_addItem")->toolTip(),
                 QStringLiteral("Добавить пункт (%1)").arg(keys(Qt::CTRL | Qt::SHIFT | Qt::Key_N)));
    }

    void tabFollowsTheForm() {
        QTemporaryDir dir;
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        CFusionWidget& form = *window.composer();
        // the widget Tab goes to from w; the inner editor of a box counts as the box
        auto next = [](QWidget* w) {
            w->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* pFocus = QApplication::focusWidget();
            return qobject_cast<QComboBox*>(pFocus->parentWidget()) ? pFocus->parentWidget()
                                                                    : pFocus;
        };
        QWidget* pHeader = form.sections()[eHeader]; // the header's fields in the order they read
        QList<QPoint> lstAt;
        for (QWidget* w = child(pHeader, "edt_labName"); pHeader->isAncestorOf(w); w = next(w))
            lstAt.append(w->mapTo(&form, QPoint()));
        QCOMPARE(lstAt.size(), 5);
        for (int i = 1; i < lstAt.size(); ++i)
            QVERIFY(lstAt[i - 1].y() < lstAt[i].y() ||
                    (lstAt[i - 1].y() == lstAt[i].y() && lstAt[i - 1].x() < lstAt[i].x()));
        // an item's editor leads to the next item's editor; a list's rows, then "+" and "-"
        QComboBox* pStandard = choiceBox(form.sections()[eStandards]);
        QCOMPARE(next(valueEdit(form.sections()[eStage])), pStandard);
        click(child<QToolButton>(form.sections()[eStandards], "btn_add"));
        QCOMPARE(next(pStandard), choiceBox(form.sections()[eStandards]));
        QCOMPARE(next(next(pStandard))->objectName(), QStringLiteral("btn_add"));
        QCOMPARE(next(next(next(pStandard)))->objectName(), QStringLiteral("btn_delete"));
        QCOMPARE(next(next(next(next(pStandard)))), choiceBox(form.sections()[eAssessment]));
    }

    void usersOwnDataAndLastHeader() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        writeFile(dir.filePath("blocked"), "x"); // a file where the program's directory should be
        const QString sUser = dir.filePath("user/data");
        QCOMPARE(CReferenceFiles::dataDirFor(dir.filePath("blocked/bin"), sUser), sUser);
        // a build folder holds no records by chance; one the laboratory put its lists in does
        QCOMPARE(CReferenceFiles::dataDirFor(dir.path(), sUser), sUser);
        writeFile(dir.filePath("tools.hmdb"), QByteArray());
        QCOMPARE(CReferenceFiles::dataDirFor(dir.path(), sUser), dir.path());
        QCOMPARE(CReferenceFiles::dataDirFor("/usr/bin", sUser), sUser); // installed, even for root
        // the program's directory offers what it holds until the user's own copy exists
        QDir().mkpath(dir.filePath("app"));
        writeListFiles(dir.filePath("app"), {{}, {{QStringLiteral("Толщиномер"), {}}}, {}, {}, {}},
                       eToolsFile);
        {
            CFusionWidget form(dir.filePath("app"), nullptr, sUser);
            QVERIFY(form.lists().tools().size() == 1 && form.controller().workDir().isEmpty());
            child<QLineEdit>(form.sections()[eHeader], "edt_labName")->setText("ИЛ НК «Контроль»");
            dialogs.lstFileNames << dir.filePath("p.rpt");
            QVERIFY(form.controller().saveReport());
        }
        for (const char* pFile :
             {"program_wd", "technicians.hmdb", "tools.hmdb", "optional.hmdb", "laboratory.hmdb"})
            QVERIFY2(QFileInfo::exists(QDir(sUser).filePath(pFile)), pFile);
        QVERIFY(!QFileInfo::exists(dir.filePath("app/optional.hmdb")));
        writeListFiles(dir.filePath("app"), {}, eToolsFile);
        CFusionWidget next(dir.filePath("app"), nullptr, sUser);
        QCOMPARE(next.lists().tools().size(), 1); // read from the user's copy now
        QCOMPARE(qobject_cast<CReportHeader*>(next.sections()[eHeader])->labName(),
                 "ИЛ НК «Контроль»");
        QVERIFY(!next.controller().isChanged());
        // a program folder two workstations run from keeps neither's queue
        // nor recovery copy: those are the user's own
        CVEKConclusion window(nullptr, dir.filePath("app"));
        const QString sOwn = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCOMPARE(QFileInfo(window.composer()->controller().journalLink().journal()->queueFile())
                     .absolutePath(),
                 sOwn);
        QTRY_VERIFY(!window.composer()->controller().recoveryPath().isEmpty()); // once shown
        QCOMPARE(QFileInfo(window.composer()->controller().recoveryPath()).absolutePath(), sOwn);
    }

    void faultsFoundInUse() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        // a customer typed without Enter prints, with its number
        typeText(choiceBox(form.sections()[eCustomer])->lineEdit(), QStringLiteral("ООО Ромашка"));
        QVERIFY(form.buildProtocolHtml().contains("<p>2. Заказчик: ООО Ромашка.</p>\n<p>3. Адрес"));
        // a protocol-number record with a number keeps the item unnumbered, and
        // a later item at that number goes among the numbered sections
        QVERIFY(readInto(form, CBytes().i16(2).i32(7).str("Номер протокола").str("12").data));
        QCOMPARE(qobject_cast<CStdItem*>(form.sections()[eNumber])->number(), 0);
        form.slot_addNewStdItem(7, QStringLiteral("Седьмой:"), QString());
        QCOMPARE(qobject_cast<CStdItem*>(form.sections()[eStage])->name(),
                 QStringLiteral("Седьмой:"));
        // a name ending in a point gets "rpt" after it, not "..rpt"
        dialogs.lstFileNames << dir.filePath("protocol.");
        QVERIFY(form.controller().saveReport() && QFileInfo::exists(dir.filePath("protocol.rpt")));
    }

    // The copy follows the typing by itself: once it pauses, and at the
    // latest a few seconds after it began even while it goes on.
    void recoveryCopyWhileUnsaved() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CRecoveryCopy::iQuietMs = 100;
        CRecoveryCopy::iLatestMs = 400;
        CFusionWidget form(dir.path());
        form.controller().startRecovery(dir.filePath("data"));
        QTest::qWait(200); // nothing unsaved: no copy
        QVERIFY(!QFile::exists(form.controller().recoveryPath()));
        QElapsedTimer typing;
        typing.start();
        for (int i = 0; !QFile::exists(form.controller().recoveryPath()); ++i) {
            QVERIFY(typing.elapsed() < 3000); // never paused, copied all the same
            QTest::keyClick(valueEdit(form.sections()[eStage]), Qt::Key_A);
            QTest::qWait(20);
        }
        valueEdit(form.sections()[eStage])->clear();
        enterValue(form.sections()[eStage], QStringLiteral("монтаж"));
        // typed and never entered, the field left or not: the copy holds it
        typeText(valueEdit(form.sections()[eNumber]), QStringLiteral("118/26"));
        typeText(valueEdit(form.sections()[eAddress]), QStringLiteral("г. Тверь"));
        typeText(valueEdit(form.sections()[eObject]), QStringLiteral("Котёл"));
        auto pCells = child<QTableWidget>(form.conclusions().first(), "tab_results");
        typeIntoCell(pCells, 0, QStringLiteral("Шов 1"));
        const auto copied = [&] {
            return readProtocol(fileBytes(form.controller().recoveryPath()))
                .document.first<ConclusionsRecord>()
                ->lstConclusions.first()
                .results.table.lstCells.first();
        };
        QTRY_COMPARE(copied(), QStringLiteral("Шов 1"));
        const QByteArray copy = fileBytes(form.controller().recoveryPath());
        QStringList lstValues;
        for (const SectionRecord& record : readProtocol(copy).document.lstRecords) {
            if (const auto* p = std::get_if<StdItemRecord>(&record))
                lstValues << p->sValue;
            if (const auto* p = std::get_if<ConclusionsRecord>(&record))
                lstValues << p->lstConclusions.first().results.table.lstCells.first();
        }
        QCOMPARE(lstValues, QStringList({"118/26", "г. Тверь", "", "Котёл", "монтаж", "Шов 1"}));
        // what a save writes, byte for byte; and a save removes the copy
        dialogs.lstFileNames << dir.filePath("p.rpt");
        QVERIFY(form.controller().saveReport() && !QFile::exists(form.controller().recoveryPath()));
        QCOMPARE(fileBytes(dir.filePath("p.rpt")), copy);
        QCoreApplication::processEvents();
        QVERIFY(!form.controller().isModified());
        // a cell being typed in is a change at once, and Escape takes it back
        typeIntoCell(pCells, 1, QStringLiteral("годен"));
        QCoreApplication::processEvents();
        QVERIFY(form.controller().isModified());
        // and it is in the print, as in the document
        QVERIFY(form.buildProtocolHtml().contains("<TD ALIGN=\"CENTER\">годен</TD>"));
        QTest::keyClick(openEditor(pCells), Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(!form.controller().isModified());
        // a copy that cannot be written is told once, and the status line
        // says so until one is written again
        const QString sData = dir.filePath("data");
        if (QProcess::execute("chattr", {"+i", sData}) != 0)
            QSKIP("chattr +i is not supported on this file system");
        auto writable = qScopeGuard([&] { QProcess::execute("chattr", {"-i", sData}); });
        const auto status = [&] {
            return child<QLabel>(form.sections()[eBar], "lbl_status")->text();
        };
        QSignalSpy failures(form.controller().recoveryCopy(), &CRecoveryCopy::failed);
        for (int iTry = 1; iTry <= 2; ++iTry) { // the timers copy, and fail, twice
            typeText(valueEdit(form.sections()[eNumber]), QString::number(iTry));
            QTRY_COMPARE(failures.count(), iTry);
            QCOMPARE(status(), QStringLiteral("Копия для восстановления не записана"));
        }
        QCOMPARE(dialogs.texts().filter("восстановления после сбоя не записана").size(), 1);
        writable.dismiss();
        QProcess::execute("chattr", {"-i", sData});
        typeText(valueEdit(form.sections()[eNumber]), QStringLiteral("3"));
        QTRY_VERIFY(QFile::exists(form.controller().recoveryPath()) && status().isEmpty());
    }

    // GTK's file dialogs, shown on a GTK desktop, hang in Qt's own loop.
    void eventLoopKeepsGlibForGtk_data() {
        QTest::addColumn<QByteArray>("theme");
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<bool>("bQtLoop");
        QTest::newRow("openbox") << QByteArray() << QByteArray() << true;
        QTest::newRow("kde") << QByteArray() << QByteArray("KDE") << true;
        QTest::newRow("gnome") << QByteArray() << QByteArray("ubuntu:GNOME") << false;
        QTest::newRow("cinnamon") << QByteArray() << QByteArray("X-Cinnamon") << false;
        QTest::newRow("xfce") << QByteArray() << QByteArray("XFCE") << false;
        QTest::newRow("gtk chosen") << QByteArray("gtk3") << QByteArray() << false;
        QTest::newRow("qt5ct on gnome") << QByteArray("qt5ct") << QByteArray("GNOME") << true;
    }
    void eventLoopKeepsGlibForGtk() {
        QFETCH(QByteArray, theme);
        QFETCH(QByteArray, desktop);
        QFETCH(bool, bQtLoop);
        QCOMPARE(qtEventLoopFits(theme, desktop), bQtLoop);
    }

    void recoveryOfferedAfterACrash() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        const QString sData = dir.filePath("data");
        QDir().mkpath(sData);
        leaveCrashedCopy(sData, QStringLiteral("после сбоя"));
        CFusionWidget running(dir.path()); // a program still running keeps its copy to itself
        running.controller().startRecovery(sData);
        enterValue(running.sections()[eStage], QStringLiteral("идёт работа"));
        running.controller().writeRecoveryCopy();
        CFusionWidget form(dir.path());
        form.controller().startRecovery(sData);
        dialogs.lstAnswers << CUserDialogs::Yes;
        form.controller().offerRecovery(sData);
        QCOMPARE(dialogs.lstMessages.size(), 1);
        // the protocol taken back is on disk as this program's copy at once
        QVERIFY(
            fileBytes(form.controller().recoveryPath()).contains(CBytes().str("после сбоя").data));
        QVERIFY(dialogs.texts()[0].startsWith("Найден несохраненный протокол (новый, еще не "
                                              "сохранялся) от ") &&
                dialogs.texts()[0].endsWith(". Восстановить его?"));
        QCOMPARE(valueEdit(form.sections()[eStage])->text(), QStringLiteral("после сбоя"));
        QVERIFY(form.controller().isChanged()); // unsaved: closing asks
        QStringList lstLeft = {QFileInfo(running.controller().recoveryPath()).fileName(),
                               QFileInfo(form.controller().recoveryPath()).fileName()};
        lstLeft.sort();
        QStringList lstCopies = recoveryFiles(sData);
        lstCopies.sort();
        QCOMPARE(lstCopies, lstLeft);
        CFusionWidget third(dir.path());
        // a program killed before its first copy leaves its lock alone
        const QString sLeft = QDir(sData).filePath("recovery-4244-beef.rpt.lock");
        writeFile(sLeft, deadLock());
        third.controller().offerRecovery(sData);
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QVERIFY(!QFile::exists(sLeft));
        QVERIFY(QFile::exists(running.controller().recoveryPath() + ".lock"));
        // a copy refused is removed, lock and all
        leaveCrashedCopy(dir.path(), QStringLiteral("x"));
        dialogs.lstAnswers << CUserDialogs::No;
        third.controller().offerRecovery(dir.path());
        QVERIFY(recoveryFiles(dir.path()).isEmpty() &&
                !QFile::exists(dir.filePath("recovery-4242-deadbeef.rpt.lock")));
        QVERIFY(!third.controller().isChanged());
        // a copy of a document goes back to that document, unsaved
        writeFile(dir.filePath("a.rpt"), documentOf(third));
        leaveCrashedCopy(dir.path(), QStringLiteral("y"), dir.filePath("a.rpt"));
        typeText(valueEdit(third.sections()[eNumber]), QStringLiteral("118/26"));
        writeFile(dir.filePath("recovery-4242-deadbeef.rpt"), documentOf(third));
        dialogs.lstAnswers << CUserDialogs::Yes;
        third.controller().offerRecovery(dir.path());
        QVERIFY(
            dialogs.texts().last().startsWith("Найден несохраненный протокол №118/26 (документ «" +
                                              dir.filePath("a.rpt") + "») от "));
        QVERIFY(third.controller().currentFile() == dir.filePath("a.rpt") &&
                third.controller().isChanged());
        // a copy that cannot be read stays on disk, named in the message
        writeFile(dir.filePath("recovery-4243-cafe.rpt"), "not a protocol");
        dialogs.lstAnswers << CUserDialogs::Yes;
        CFusionWidget fourth(dir.path());
        fourth.controller().offerRecovery(dir.path());
        const QString sKept = dir.filePath("recovery-4243-cafe.rpt.unreadable");
        QVERIFY(dialogs.texts().last().contains(sKept) && QFile::exists(sKept));
        QVERIFY(!fourth.controller().isChanged());
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
