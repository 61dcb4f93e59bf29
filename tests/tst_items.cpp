// The numbered items and their editors. Guards: an item prints what is
// typed but saves what is committed; a list-choice item announces entries
// in the order its owner relies on, asks before deleting a reference entry
// and then shows its blank entry, never another one; a date is never
// invented by entering and leaving it, and typing after a click starts at
// the day; list sections wrap, shrink and stop at what reads back; every
// item's record against hand-written bytes, damaged records not applied;
// the wheel never changes a value; the header's prompts never print.
#include "base/constants.h"
#include "composer/reportheader.h"
#include "document/methodvocabulary.h"
#include "items/comboboxheir.h"
#include "items/dateeditheir.h"
#include "items/editableset.h"
#include "items/extdatset.h"
#include "items/methodsset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "render/sectionhtml.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QStringList g_lstOrgs = {"ООО Ромашка", "АО Завод", "ИП Петров"};

QComboBox* combo(CExtItem& set, int i) {
    return static_cast<QComboBox*>(set.subItems().at(i));
}

// A list-choice item and its announcements with their arguments, in order.
struct ComboFixture : QObject {
    QStringList lstLog;
    CStdComboItem item;
    QComboBox* pCombo = child<QComboBox>(&item, "cmb_values");
    QToolButton* pButton = child<QToolButton>(&item, "btn_deleteItem");
    ComboFixture(const QString& sName, const QStringList& lst) : item(nullptr, 4, sName, lst) {
        using I = CStdComboItem;
        connect(&item, &I::stringListItemAdded, [this](QString s) { lstLog << "added:" + s; });
        connect(&item, &I::stringListItemDeleted,
                [this](QString s, int i) { lstLog << "deleted:" + s + ':' + QString::number(i); });
        connect(&item, &I::currentIndexChanged,
                [this](int i) { lstLog << "index:" + QString::number(i); });
        item.show();
    }
};

// The announcements of a list section in order: "height", a count, "selected".
QStringList& logOf(CExtItem& set) {
    auto pLog = new QStringList;
    QObject::connect(&set, &QObject::destroyed, [pLog] { delete pLog; });
    QObject::connect(&set, &CExtItem::widgetHeightChanged, [pLog] { *pLog << "height"; });
    QObject::connect(&set, &CExtItem::listItemsWidgetChanged,
                     [pLog](int n) { *pLog << QString::number(n); });
    if (auto pMethods = qobject_cast<CMethodsSet*>(&set))
        QObject::connect(pMethods, &CMethodsSet::setOfSelectedItemsChanged,
                         [pLog] { *pLog << "selected"; });
    return *pLog;
}

// A window with the editor and a line edit to leave it for, active.
struct FocusWindow {
    QWidget window;
    QLineEdit other{&window};
    FocusWindow() { other.move(0, 100); }
    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};
} // namespace

class TestItems : public QObject {
    Q_OBJECT
private slots:
    void stdItemPrintsTypedSavesCommitted() {
        CStdItem item(nullptr, 5, QStringLiteral("Объект:"), QString(), false, 3);
        typeText(valueEdit(&item), QStringLiteral("< 0,5 мм & B"));
        QCOMPARE(sectionHtml(item.record(), 1),
                 QStringLiteral("<p>4. Объект: &lt; 0,5 мм &amp; B.</p>\n"));
        QCOMPARE(item.value(), QString());
        QTest::keyClick(valueEdit(&item), Qt::Key_Return);
        QCOMPARE(item.value(), QStringLiteral("< 0,5 мм & B"));
        item.setNumber(0); // the protocol number: no number shown, nothing printed
        QVERIFY(sectionHtml(item.record(), 0).isEmpty() &&
                child<QLabel>(&item, "lbl_num")->text().isEmpty());

        CStdItem user(nullptr, 12, QStringLiteral("Примечание:"), QString(80, 'x'), true, 1);
        user.show();
        QSignalSpy spy(&user, &CStdItem::deleteItem);
        click(child<QToolButton>(&user, "btn_deleteItem"));
        QCOMPARE(spy.value(0).value(0).value<CStdItem*>(), &user);
    }

    void comboItemAnnouncesAndAsksBeforeDeleting() {
        CScriptedDialogs dialogs;
        ComboFixture f(QStringLiteral("Заказчик:"), g_lstOrgs);
        f.pCombo->setCurrentIndex(2);
        QCOMPARE(f.lstLog + QStringList{f.item.value()}, QStringList({"index:2", "АО Завод"}));
        // a typed entry is announced once, before the index change reaches the owner
        f.pCombo->setCurrentIndex(0);
        QVERIFY(f.pButton->isHidden());
        const QString sNew = QStringLiteral("Договор №5 <срочно>");
        typeText(f.pCombo->lineEdit(), sNew + '\r');
        QCOMPARE(f.lstLog.mid(f.lstLog.size() - 2), QStringList({"added:" + sNew, "index:4"}));
        // deleting a reference entry asks; No keeps everything
        f.pCombo->setCurrentIndex(2);
        dialogs.lstAnswers << CUserDialogs::No;
        click(f.pButton);
        QCOMPARE(dialogs.texts(),
                 QStringList({QStringLiteral("Удалить «АО Завод» из справочника?")}));
        QCOMPARE(f.item.choices().size(), 4);
        // Yes: the blank entry, announced before the deletion; never another customer
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(f.pButton);
        QCOMPARE(f.lstLog.mid(f.lstLog.size() - 2),
                 QStringList({"index:0", "deleted:АО Завод:-1"}));
        QVERIFY(f.item.value().isEmpty() && f.pCombo->currentText().isEmpty());
        QCOMPARE(f.item.choices(), QStringList({"ООО Ромашка", "ИП Петров", sNew}));
        // an unknown value joins the choices and widens the box; typed text
        // prints at once, escaped, but is the value only once committed
        const QString sLong = QStringLiteral("Открытое акционерное общество Мосэнерго");
        f.item.setValue(sLong);
        QVERIFY(f.pCombo->width() > f.pCombo->fontMetrics().horizontalAdvance(sLong) + 20);
        QCOMPARE(f.pButton->x(), f.pCombo->x() + f.pCombo->width() + 10);
        f.item.setValue(QString());
        typeText(f.pCombo->lineEdit(), QStringLiteral("ПАО Газ & Нефть"));
        QCOMPARE(sectionHtml(f.item.record(), 1),
                 QStringLiteral("<p>3. Заказчик: ПАО Газ &amp; Нефть.</p>\n"));
        QCOMPARE(f.item.value(), QString());
        f.item.commitValue();
        QCOMPARE(f.item.value(), QStringLiteral("ПАО Газ & Нефть"));
        QVERIFY(f.lstLog.filter("added").size() == 1);
    }

    // Entering an unset date and leaving it, by Tab or by mouse, leaves it
    // unset; a click anywhere, then digits, gives the date typed.
    void datesAreNeverInvented() {
        FocusWindow w;
        CDateEditHeir date(&w.window);
        QVERIFY(w.show());
        w.other.setFocus();
        QTest::keyClick(&w.other, Qt::Key_Backtab);
        QTRY_VERIFY(date.hasFocus());
        QTest::keyClick(&date, Qt::Key_Tab); // nothing to step through: Tab leaves at once
        QTRY_VERIFY(w.other.hasFocus());
        QVERIFY(date.isUnset());
        QCOMPARE(date.text(), QStringLiteral("__.__.____"));
        // a click at the year's place, then the digits of a whole date
        const QPoint year(date.width() * 3 / 4 - 10, date.height() / 2);
        for (const char* pDigits : {"10122026", "01022027"}) { // unset, then set
            QTest::mouseClick(date.findChild<QLineEdit*>(), Qt::LeftButton, {}, year);
            QTRY_VERIFY(date.hasFocus());
            QTest::qWait(20); // the click is over
            QTest::keyClicks(&date, pDigits);
            w.other.setFocus();
            QTRY_VERIFY(w.other.hasFocus());
        }
        QCOMPARE(date.date(), QDate(2027, 2, 1));
        // erased whole, by Backspace or after a cut: unset, and the next digits a date
        for (const QKeySequence& erase :
             {QKeySequence(Qt::Key_Backspace), QKeySequence(QKeySequence::Cut)}) {
            date.setFocus();
            QTest::keyClick(&date, Qt::Key_A, Qt::ControlModifier);
            QTest::keySequence(&date, erase);
            QTest::keyClick(&date, Qt::Key_Backspace);
            QCOMPARE(date.text(), QStringLiteral("__.__.____"));
            QTest::keyClicks(&date, "05032025");
            QCOMPARE(date.date(), QDate(2025, 3, 5));
        }
        QTest::keyClick(&date, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&date, Qt::Key_Delete);
        QTest::keyClick(&date, Qt::Key_Tab);
        QTRY_VERIFY(w.other.hasFocus() && date.isUnset());
        // an arrow on an unset date starts at today; a year up to 2001 is unset on leaving
        CDateEditHeir stepped;
        QTest::keyClick(&stepped, Qt::Key_Up);
        QCOMPARE(stepped.date(), QDate::currentDate());
        date.setFocus();
        date.setDate(QDate(2001, 12, 31));
        w.other.setFocus();
        QTRY_VERIFY(date.isUnset());
    }

    void dateLineStoresOnLeaving() {
        FocusWindow w;
        CStdDateItem item(&w.window, QDate(2011, 3, 5));
        auto pEdit = child<QDateEdit>(&item, "dedt_date");
        QVERIFY(w.show());
        pEdit->setFocus();
        pEdit->setDate(QDate(2020, 5, 5));
        QCOMPARE(item.date(), QDate(2011, 3, 5)); // the print uses the date stored on leaving
        w.other.setFocus();
        QTRY_COMPARE(item.date(), QDate(2020, 5, 5));
        QVERIFY(showRecord(item, CBytes().date(QDate(2012, 1, 1)).data));
        QVERIFY(item.date() == QDate(2012, 1, 1) && pEdit->date() == item.date());
        QVERIFY(!showRecord(item, QByteArray::fromHex("0025"))); // cut: refused
    }

    void subItemsWrapShrinkAndStop() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Дата проведения контроля:"));
        set.show();
        auto pAdd = child<QToolButton>(&set, "btn_add");
        auto pDelete = child<QToolButton>(&set, "btn_delete");
        QStringList& log = logOf(set);
        QVERIFY(pDelete->isHidden());
        while (set.height() == 30)
            click(pAdd);
        const int n = set.subItemCount();
        QCOMPARE(log.mid(log.size() - 2), QStringList({"height", QString::number(n)}));
        // the sub-item that did not fit, with room for the buttons, starts a new line
        QCOMPARE(set.subItems().last()->geometry(), QRect(0, 40, 120, 30));
        QCOMPARE(pAdd->pos(), QPoint(125, 40));
        click(pDelete); // the one alone on the last line goes: the section shrinks back
        QCOMPARE(log.mid(log.size() - 2), QStringList({"height", QString::number(n - 1)}));
        QCOMPARE(set.height(), 30);
        // "+" stops where a saved list would no longer read back whole
        while (pAdd->isEnabled())
            click(pAdd);
        QCOMPARE(set.subItemCount(), CExtItem::iMaxStoredSubItems);
    }

    void editableSetAsksAndBlanksOnlyWhereShown() {
        CScriptedDialogs dialogs;
        const QStringList lst = {QStringLiteral("ГОСТ 14782-86"), QStringLiteral("РД 03-606-03")};
        CEditableSet set(nullptr, 9, QStringLiteral("Контроль выполнен согласно:"), lst);
        set.show();
        set.slot_addItemWidget();
        set.slot_addItemWidget();
        typeText(combo(set, 0)->lineEdit(), QStringLiteral("ПБ 03-440-02\r")); // joins every one
        QCOMPARE(combo(set, 2)->itemText(3), QStringLiteral("ПБ 03-440-02"));
        combo(set, 1)->setCurrentIndex(1);
        combo(set, 2)->setCurrentIndex(2);
        QVERIFY(!child<QToolButton>(&set, "btn_deleteItem")->isHidden()); // follows the last one
        dialogs.lstAnswers << CUserDialogs::Yes;
        click(child<QToolButton>(&set, "btn_deleteItem"));
        QCOMPARE(dialogs.texts(), QStringList({"Удалить «РД 03-606-03» из справочника?"}));
        QCOMPARE(set.currentTexts(), QStringList({"ПБ 03-440-02", "ГОСТ 14782-86", ""}));
        QCOMPARE(set.choices(), QStringList({"ГОСТ 14782-86", "ПБ 03-440-02"}));
        // a text typed but not entered is printed, escaped
        typeText(combo(set, 2)->lineEdit(), QStringLiteral("<ремонт>"));
        QCOMPARE(sectionHtml(set.record(), 2),
                 QStringLiteral("<p>7. Контроль выполнен согласно: ПБ 03-440-02. "
                                "ГОСТ 14782-86. &lt;ремонт&gt;.</p>\n"));
    }

    void methodRows() {
        CMethodsSet set(nullptr, 0, QStringLiteral("Методы контроля"), methodsNominative());
        QStringList& log = logOf(set);
        combo(set, 0)->setCurrentIndex(2);
        QCOMPARE(log, QStringList{"selected"}); // a user's choice is announced once
        // a new row starts on the first free method; "+" announces the count only
        while (set.subItemCount() < 9)
            click(child<QToolButton>(&set, "btn_add"));
        QList<int> lstIndexes;
        set.selectedIndexes(lstIndexes);
        QCOMPARE(lstIndexes, QList<int>({2, 0, 1, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(log.count("selected"), 1);
        set.restoreRow(1, 4); // shown without an announcement
        QVERIFY(combo(set, 1)->currentIndex() == 4 && log.count("selected") == 1);
    }

    // clang-format off
    void recordsAgainstHandWrittenBytes() {
        const QByteArray baAbsurd = CBytes().i32(9).str("B").u32(0x7fffffff).data;
        CStdItem item(nullptr, 258, QStringLiteral("Аб"), QStringLiteral("x"), false, 1);
        QCOMPARE(bytesOf(item.record()), CBytes().i32(258).str("Аб").str("x").data);
        QVERIFY(showRecord(item, CBytes().i32(9).str("A").nullStr().data) && item.number() == 9);
        QVERIFY(!showRecord(item, CBytes().i32(5).u32(8).data) && item.number() == 9);

        // list-choice item: number, caption, value, choices; a stored value joins the choices
        CStdComboItem comboItem(nullptr, 2, QStringLiteral("Аб"), {"x", "yz"});
        comboItem.setValue("x");
        QCOMPARE(bytesOf(comboItem.record()), CBytes().i32(2).str("Аб").str("x").strList({"x", "yz"}).data);
        QVERIFY(showRecord(comboItem, CBytes().i32(7).str("A").str("b").strList({"c"}).data));
        QCOMPARE(comboItem.choices() << comboItem.name() << comboItem.value(),
                 QStringList({"x", "yz", "c", "b", "A", "b"}));
        QVERIFY(!showRecord(comboItem, baAbsurd) && comboItem.number() == 7);

        // editable set: number, caption, texts, choices
        CEditableSet editable(nullptr, 8, QStringLiteral("К"), {"a", "b"});
        editable.setSelectedTexts({"b", ""});
        QCOMPARE(bytesOf(editable.record()), CBytes().i32(8).str("К").strList({"b", ""}).strList({"a", "b"}).data);
        QVERIFY(showRecord(editable, CBytes().i32(13).str("A").strList({"y"}).strList({"a", "y"}).data));
        QCOMPARE(editable.choices() + editable.currentTexts(), QStringList({"a", "b", "y", "y"}));
        QVERIFY(!showRecord(editable, baAbsurd) && editable.number() == 13);

        // methods: number, caption, the rows' texts; reading announces the count first
        CMethodsSet methods(nullptr, 0, QStringLiteral("М"), {"a", "b", "c"});
        methods.slot_addItemWidget();
        combo(methods, 0)->setCurrentIndex(2);
        QCOMPARE(bytesOf(methods.record()), CBytes().i32(0).str("М").strList({"c", "b"}).data);
        QStringList& log = logOf(methods);
        QVERIFY(showRecord(methods, CBytes().i32(0).str("М").strList({"b", "c", "a"}).data));
        QCOMPARE(log.filter(QRegularExpression("^\\d|sel")).value(0), QStringLiteral("3"));
        QCOMPARE(methods.currentTexts(), QStringList({"b", "c", "a"}));
        QVERIFY(!showRecord(methods, CBytes().i32(0).str("М").u32(2).str("a").data));

        // dates: up to 2011 saved as the default and printed unset; a zero day is unset
        CExtDatSet dates(nullptr, 1, QStringLiteral("Д"));
        dates.setDates({QDate(2012, 1, 1), QDate(2011, 12, 31), g_dtDefault});
        const CBytes dateList = CBytes().u32(3).date(QDate(2012, 1, 1)).date(g_dtDefault).date(g_dtDefault);
        QCOMPARE(bytesOf(dates.record()), CBytes().i32(1).str("Д").raw(dateList.data).data);
        QCOMPARE(sectionHtml(dates.record(), 0), "<p>1. Д 01.01.2012. __.__.____. __.__.____.</p>\n");
        QVERIFY(showRecord(dates, CBytes().i32(6).str("A").u32(2).date(QDate(2012, 1, 1)).u32(0).data));
        QCOMPARE(bytesOf(dates.record()), CBytes().i32(6).str("A").u32(2).date(QDate(2012, 1, 1)).date(g_dtDefault).data);
        QVERIFY(!showRecord(dates, CBytes().i32(9).str("B").u32(0x10000000).data) && dates.number() == 6);

        // header: name, address (never set: null), telephone, certificate, issuer
        CReportHeader header;
        const QByteArray baHeader = CBytes().str("Л").nullStr().str("1").str("").str("ab").data;
        QVERIFY(showRecord(header, baHeader));
        QCOMPARE(bytesOf(header.record()), baHeader);
        QVERIFY(!showRecord(header, CBytes().str("B").str("B").u32(8).data) && header.labName() == "Л");
        // clang-format on
    }

    void wheelScrollsTheFormNotTheValue() {
        // a wheel turn over any editor of the form is left unaccepted, for the form to scroll
        auto turn = [](QWidget* pEditor) {
            const QMetaProperty value = pEditor->metaObject()->userProperty();
            const QVariant before = value.read(pEditor);
            QWheelEvent wheel({5, 5}, pEditor->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pEditor, &wheel);
            return QString(wheel.isAccepted() ? "accepted" : "ignored") +
                   (value.read(pEditor) == before ? ", kept" : ", changed");
        };
        QWidget form;
        CComboBoxEditableHeir plain(&form, g_lstOrgs); // a plain box steps under the same turn
        CStdComboItem comboItem(&form, 2, QStringLiteral("Заказчик:"), g_lstOrgs);
        CStdDateItem dateItem(&form, QDate(2012, 5, 5));
        CExtDatSet dates(&form, 1, QStringLiteral("Дата:"));
        CEditableSet editable(&form, 8, QStringLiteral("Контроль:"), g_lstOrgs);
        CMethodsSet methods(&form, 0, QStringLiteral("Методы"), g_lstOrgs);
        dates.setDates({QDate(2012, 5, 5)});
        QVERIFY(turn(&plain).endsWith("changed"));
        for (QWidget* pEditor :
             {child(&comboItem, "cmb_values"), child(&dateItem, "dedt_date"), dates.subItems()[0],
              editable.subItems()[0], methods.subItems()[0]})
            QCOMPARE(turn(pEditor), QStringLiteral("ignored, kept"));
    }

    void everyHeaderFieldIsEscapedInThePrint() {
        CReportHeader header;
        QVERIFY(showRecord(header, CBytes()
                                       .str("<name>")
                                       .str("<address>")
                                       .str("<phone>")
                                       .str("<licence>")
                                       .str("<issuer>")
                                       .data));
        const QString sHtml = headerHtml(header.record());
        for (const char* pField : {"name", "address", "phone", "licence", "issuer"}) {
            QVERIFY2(sHtml.contains(QStringLiteral("&lt;%1&gt;").arg(pField)), pField);
            QVERIFY2(!sHtml.contains(QStringLiteral("<%1>").arg(pField)), pField);
        }
    }

    void headerPromptsNeverPrint() {
        CReportHeader header;
        auto pName = child<QLineEdit>(&header, "edt_labName");
        auto pAddress = child<QLineEdit>(&header, "edt_address");
        QCOMPARE(pName->text(), QStringLiteral("Название лаборатории НК"));
        header.show();
        QVERIFY(QTest::qWaitForWindowActive(&header));
        const QString sH4 = QStringLiteral("<H4 ALIGN = \"CENTER\";\"><b>");
        QCOMPARE(headerHtml(header.record()),
                 "<H2 ALIGN = \"CENTER\";\"><b></b></H2>" + sH4 +
                     "&nbsp;&nbsp;&nbsp;телефон / факс </b></H4>" + sH4 +
                     "Свидетельство об аккредитации лаборатории №, выдано </b><BR></H4>");
        // a name typed is committed on leaving; an emptied field shows its prompt, never stored
        click(pName);
        QTRY_VERIFY(pName->hasFocus() && pName->text().isEmpty());
        typeText(pName, QStringLiteral("ЛНК <Восток>"));
        QCOMPARE(header.labName(), QString());
        click(pAddress);
        QTRY_COMPARE(header.labName(), QStringLiteral("ЛНК <Восток>"));
        click(pName);
        click(pAddress);
        QVERIFY(headerHtml(header.record())
                    .startsWith("<H2 ALIGN = \"CENTER\";\"><b>ЛНК &lt;Восток&gt;</b></H2>"));
        click(child<QLineEdit>(&header, "edt_phone"));
        QVERIFY(pAddress->text() == QStringLiteral("Адрес лаборатории НК") &&
                header.address().isEmpty());
    }
};

QTEST_MAIN(TestItems)
#include "tst_items.moc"
