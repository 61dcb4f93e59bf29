#include "base/constants.h"
#include "composer/methodvocabulary.h"
#include "items/comboboxheir.h"
#include "items/editableset.h"
#include "items/extdatset.h"
#include "items/methodsset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QStringList g_lstOrgs = {"ООО Ромашка", "АО Завод", "ИП Петров"};

QComboBox* combo(CExtItem& set, int i) { return static_cast<QComboBox*>(set.subItems().at(i)); }

template <class T> QByteArray writtenHex(const T& item) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << item;
    return bytes.toHex();
}

template <class T> bool readHex(T& item, const QByteArray& hex) {
    QDataStream in(QByteArray::fromHex(hex));
    in.setVersion(QDataStream::Qt_4_6);
    return (in >> item).status() == QDataStream::Ok;
}

// A list-choice item, its parts and its announcements with their arguments, in order.
struct ComboFixture : QObject {
    using I = CStdComboItem;
    QStringList lstLog;
    CStdComboItem item;
    QComboBox* pCombo = item.findChild<QComboBox*>("cmb_values");
    QToolButton* pButton = item.findChild<QToolButton*>("btn_deleteItem");
    ComboFixture(const QString& sName, const QStringList& lst) : item(nullptr, 4, sName, lst) {
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

void checkButtonsAfterLast(CExtItem& set) {
    const QRect last = set.subItems().last()->geometry();
    QCOMPARE(set.findChild<QToolButton*>("btn_add")->pos(), QPoint(last.right() + 6, last.top()));
    QCOMPARE(set.findChild<QToolButton*>("btn_delete")->pos(),
             QPoint(last.right() + 6, last.top() + 15));
    QCOMPARE(set.height(), last.top() + 30);
}
} // namespace

class TestReportItems : public QObject {
    Q_OBJECT
private slots:
    void comboItem() {
        ComboFixture f(QStringLiteral("Основание для проведения контроля:"), g_lstOrgs);
        f.pCombo->setCurrentIndex(2);
        QCOMPARE(f.lstLog + QStringList{f.item.value()}, QStringList({"index:2", "АО Завод"}));
        QVERIFY(!f.pButton->isHidden());
        // a typed entry is announced once, before the index change reaches the owner
        f.pCombo->setCurrentIndex(0);
        QVERIFY(f.pButton->isHidden());
        const QString sNew = QStringLiteral("Договор №5 <срочно>");
        typeText(f.pCombo->lineEdit(), sNew + '\r'); // typed and entered
        QCOMPARE(f.lstLog.filter("added").size(), 1);
        QCOMPARE(f.lstLog.mid(f.lstLog.size() - 2), QStringList({"added:" + sNew, "index:4"}));
        // deleting the chosen entry: the owner sees the new index before the deletion
        f.pCombo->setCurrentIndex(2);
        QTest::mouseClick(f.pButton, Qt::LeftButton);
        QCOMPARE(f.lstLog.mid(f.lstLog.size() - 2), QStringList({"index:2", "deleted:АО Завод:1"}));
        QCOMPARE(f.item.value(), QStringLiteral("ИП Петров"));
        // deleting the last entry makes the one before it current
        f.pCombo->setCurrentIndex(3);
        f.item.slot_btn_deleteItem_clicked();
        QCOMPARE(f.lstLog.last(), "deleted:" + sNew + ":1");
        QCOMPARE(f.item.choices() << f.item.value(),
                 QStringList({"ООО Ромашка", "ИП Петров", "ИП Петров"}));

        // an owner may delete a typed entry at once (a ground while no customer is chosen)
        ComboFixture g(QStringLiteral("Основание:"), {QStringLiteral("план")});
        QObject::connect(&g.item, &CStdComboItem::stringListItemAdded, &g.item,
                         &CStdComboItem::slot_btn_deleteItem_clicked);
        typeText(g.pCombo->lineEdit(), QStringLiteral("приказ\r"));
        QVERIFY(g.pCombo->count() == 2 && g.item.value() == QStringLiteral("план"));
        QCOMPARE(g.lstLog.mid(g.lstLog.size() - 2), QStringList({"deleted:приказ:0", "index:1"}));

        // an unknown value joins the choices, is chosen and widens the box to its text
        ComboFixture h(QStringLiteral("Заказчик:"), g_lstOrgs);
        const QString sLong = QStringLiteral("Открытое акционерное общество Мосэнерго");
        h.item.setValue(sLong);
        QVERIFY(h.item.choices().last() == sLong && h.pCombo->currentText() == sLong);
        QVERIFY(h.pCombo->width() > h.pCombo->fontMetrics().horizontalAdvance(sLong) + 20);
        QCOMPARE(h.pButton->x(), h.pCombo->x() + h.pCombo->width() + 10);
        // an empty value clears typed text; typed text is printed at once (escaped, the
        // shift subtracted), but is the value only once committed, silently
        h.item.setValue(QString());
        typeText(h.pCombo->lineEdit(), QStringLiteral("набрано"));
        h.item.setValue(QString());
        typeText(h.pCombo->lineEdit(), QStringLiteral("ПАО Газ & Нефть"));
        QCOMPARE(h.item.value(), QString());
        QCOMPARE(h.item.toHtml(1), QStringLiteral("<p>3. Заказчик: ПАО Газ &amp; Нефть.</p>\n"));
        h.item.commitValue();
        QCOMPARE(h.item.value(), QStringLiteral("ПАО Газ & Нефть"));
        QVERIFY(h.item.choices().count(h.item.value()) == 1 && h.lstLog.filter("added").isEmpty());
    }

    void dateLine() {
        QWidget window;
        CStdDateItem item(&window, QDate(2011, 3, 5));
        QLineEdit other(&window);
        auto pEdit = item.findChild<QDateEdit*>("dedt_date");
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        pEdit->setFocus();
        pEdit->setDate(QDate(2001, 5, 5));
        QCOMPARE(item.date(), QDate(2011, 3, 5)); // the print uses the date stored on leaving
        other.setFocus();
        QCOMPARE(writtenHex(item), QByteArray("00256859")); // a year up to 2001: 2000-01-01
        QCOMPARE(pEdit->text(), QStringLiteral("__.__.____"));
        QVERIFY(readHex(item, "00257978") && !readHex(item, "0025")); // a cut record is refused
        QVERIFY(item.date() == QDate(2012, 1, 1) && pEdit->date() == item.date()); // shown at once
    }

    void subItemsWrapAndShrinkBack() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Дата проведения контроля:"));
        set.show();
        auto pDelete = set.findChild<QToolButton*>("btn_delete");
        QStringList& log = logOf(set);
        QVERIFY(pDelete->isHidden());
        while (set.height() == 30 && set.subItemCount() < 20)
            QTest::mouseClick(set.findChild<QToolButton*>("btn_add"), Qt::LeftButton);
        const int n = set.subItemCount();
        QVERIFY(!pDelete->isHidden());
        QCOMPARE(log.mid(log.size() - 2), QStringList({"height", QString::number(n)}));
        // the sub-item that did not fit, with room for the buttons, starts a new line
        const QRect prev = set.subItems().at(n - 2)->geometry();
        QVERIFY(prev.top() == 0 && prev.right() + 11 + 120 + 20 >= 1000);
        QCOMPARE(set.subItems().last()->geometry(), QRect(0, 40, 120, 30));
        checkButtonsAfterLast(set);
        // a second one on the new line, removed again, leaves the height
        QTest::mouseClick(set.findChild<QToolButton*>("btn_add"), Qt::LeftButton);
        QTest::mouseClick(pDelete, Qt::LeftButton);
        QCOMPARE(log.count("height"), 1);
        // removing the one alone on the last line shrinks the section back
        QTest::mouseClick(pDelete, Qt::LeftButton);
        QCOMPARE(log.mid(log.size() - 2), QStringList({"height", QString::number(n - 1)}));
        checkButtonsAfterLast(set);
    }

    void editableSetEntries() {
        const QStringList lst = {QStringLiteral("ГОСТ 14782-86"), QStringLiteral("РД 03-606-03")};
        CEditableSet set(nullptr, 9, QStringLiteral("Контроль выполнен согласно:"), lst);
        set.show();
        set.slot_addItemWidget();
        typeText(combo(set, 0)->lineEdit(), QStringLiteral("ПБ 03-440-02\r")); // joins every one
        QCOMPARE(combo(set, 1)->itemText(3), QStringLiteral("ПБ 03-440-02"));
        // the delete-entry button follows the last sub-item; it deletes an entry everywhere
        QVERIFY(set.findChild<QToolButton*>("btn_deleteItem")->isHidden());
        combo(set, 1)->setCurrentIndex(2);
        combo(set, 0)->setCurrentIndex(2);
        QTest::mouseClick(set.findChild<QToolButton*>("btn_deleteItem"), Qt::LeftButton);
        QVERIFY(combo(set, 0)->findText(lst[1]) < 0 && combo(set, 1)->findText(lst[1]) < 0);
        QStringList& log = logOf(set);
        combo(set, 1)->setCurrentIndex(1);
        set.setSelectedTexts({"ПБ 03-440-02", "нет такого", ""}); // an unknown text: no change
        QCOMPARE(set.currentTexts(), QStringList({"ПБ 03-440-02", "ГОСТ 14782-86", ""}));
        combo(set, 0)->setCurrentIndex(0);
        typeText(combo(set, 0)->lineEdit(), QStringLiteral("<ремонт>"));
        typeText(combo(set, 2)->lineEdit(), QStringLiteral("<ремонт>"));
        set.mergeTypedTexts(); // texts typed but not entered join the choices, once each
        QCOMPARE(set.choices(), QStringList({"ГОСТ 14782-86", "ПБ 03-440-02", "<ремонт>"}));
        set.setSelectedTexts({QString()}); // sub-items added and removed, each count announced
        QCOMPARE(log.filter(QRegularExpression("^\\d")), QStringList({"3", "2", "1"}));
        set.slot_deleteItemWidget(); // the section keeps one sub-item
        QCOMPARE(set.subItemCount(), 1);
        set.setSelectedTexts({"<ремонт>", "", "ГОСТ 14782-86"}); // an empty one still prints
        QCOMPARE(set.toHtml(2), QStringLiteral("<p>7. Контроль выполнен согласно: &lt;ремонт&gt;. "
                                               ". ГОСТ 14782-86.</p>\n"));
    }

    void methodRows() {
        CMethodsSet set(nullptr, 0, QStringLiteral("Методы контроля"), methodsNominative());
        QStringList& log = logOf(set);
        combo(set, 0)->setCurrentIndex(2);
        QCOMPARE(log, QStringList{"selected"}); // a user's choice is announced once
        // a new row starts on the first free method; "+" grows the height before the count
        while (set.subItemCount() < 9) {
            const int iHeight = set.height();
            QTest::mouseClick(set.findChild<QToolButton*>("btn_add"), Qt::LeftButton);
            QCOMPARE(log.last(), QString::number(set.subItemCount()));
            if (set.height() != iHeight)
                QCOMPARE(log.at(log.size() - 2), QStringLiteral("height"));
        }
        QVERIFY(log.contains("height") && log.count("selected") == 1);
        QList<int> lstIndexes;
        set.selectedIndexes(lstIndexes);
        QCOMPARE(lstIndexes, QList<int>({2, 0, 1, 3, 4, 5, 6, 7, 8}));
        QTest::mouseClick(set.findChild<QToolButton*>("btn_add"), Qt::LeftButton);
        QCOMPARE(combo(set, 9)->currentIndex(), 0); // with all nine shown: the first again
        combo(set, 3)->setCurrentIndex(-1); // the heading skips a row without a method
        QCOMPARE(set.selectedIndexes(lstIndexes), 9);
        QTest::mouseClick(set.findChild<QToolButton*>("btn_delete"), Qt::LeftButton);
        QVERIFY(log.last() == "9" && log.count("selected") == 2); // "-" announces the count only
    }

    void streamRecords() { // against hand-written bytes; a damaged record is not applied
        const QByteArray baAbsurd = "00000009" "00000002" "0042" "00000000" "7fffffff";
        // list-choice item: number, caption, value, choices; a stored value joins the choices
        CStdComboItem item(nullptr, 2, QStringLiteral("Аб"), {"x", "yz"});
        item.setValue("x");
        QCOMPARE(writtenHex(item), QByteArray("00000002" "00000004" "04100431" "00000002" "0078"
                                              "00000002" "00000002" "0078" "00000004" "0079007a"));
        QVERIFY(readHex(item, "00000007" "00000002" "0041" "00000002" "0062"
                              "00000001" "00000002" "0063"));
        QCOMPARE(item.choices() << item.name() << item.value(),
                 QStringList({"x", "yz", "c", "b", "A", "b"}));
        QVERIFY(!readHex(item, baAbsurd) && item.number() == 7);

        // editable set: number, caption, texts, choices; stored choices join before the texts
        CEditableSet editable(nullptr, 8, QStringLiteral("К"), {"a", "b"});
        editable.setSelectedTexts({"b", ""});
        QCOMPARE(writtenHex(editable), QByteArray("00000008" "00000002" "041a" "00000002"
                                                  "00000002" "0062" "00000000" "00000002"
                                                  "00000002" "0061" "00000002" "0062"));
        QVERIFY(readHex(editable, "0000000d" "00000002" "0041" "00000002" "00000002" "0079"
                                  "00000002" "0061" "00000001" "00000002" "0079"));
        QCOMPARE(editable.choices() + editable.currentTexts(),
                 QStringList({"a", "b", "y", "y", "a"}));
        QVERIFY(!readHex(editable, baAbsurd) && editable.number() == 13);

        // methods selector: number, caption, the rows' texts; the choices are not written
        CMethodsSet methods(nullptr, 0, QStringLiteral("М"), {"a", "b", "c"});
        methods.slot_addItemWidget();
        combo(methods, 0)->setCurrentIndex(2);
        QCOMPARE(writtenHex(methods), QByteArray("00000000" "00000002" "041c"
                                                 "00000002" "00000002" "0063" "00000002" "0062"));
        // reading announces the count before selecting; an unknown text leaves its row
        QStringList& log = logOf(methods);
        QVERIFY(readHex(methods, "00000000" "00000002" "041c" "00000003" "00000002" "0062"
                                 "00000006" "0078" "0079" "007a" "00000002" "0061"));
        QCOMPARE(log.filter(QRegularExpression("^\\d|sel")), QStringList({"3", "selected"}));
        QCOMPARE(methods.currentTexts(), QStringList({"b", "b", "a"}));
        QVERIFY(!readHex(methods, "00000000" "00000002" "041c" "00000002" "00000002" "0061"));
        QCOMPARE(methods.subItemCount(), 3);

        // date set: a date up to 2011 is saved as the default, printed unset, reset by the print
        CExtDatSet dates(nullptr, 1, QStringLiteral("Д"));
        dates.setDates({QDate(2012, 1, 1), QDate(2011, 12, 31), g_dtDefault});
        QCOMPARE(writtenHex(dates), QByteArray("00000001" "00000002" "0414" "00000003"
                                               "00257978" "00256859" "00256859"));
        QCOMPARE(dates.toHtml(0), "<p>1. Д 01.01.2012. __.__.____. __.__.____.</p>\n");
        QCOMPARE(static_cast<QDateEdit*>(dates.subItems().at(1))->text(), "__.__.____");
        QVERIFY(readHex(dates, "00000006" "00000002" "0041" "00000002" "00257978" "00000000"));
        QCOMPARE(writtenHex(dates), // a damaged (zero) Julian day reads as not set
                 QByteArray("00000006" "00000002" "0041" "00000002" "00257978" "00256859"));
        QVERIFY(!readHex(dates, "00000009" "00000002" "0042" "10000000" "00257978"));
        QCOMPARE(dates.number(), 6);
        QVERIFY(readHex(dates, QByteArray("00000006" "00000002" "0041" "00000096")
                                   + QByteArray("00257978").repeated(150)));
        QCOMPARE(dates.subItemCount(), 100); // a stored list makes at most a hundred sub-items
    }

    void wheelScrollsTheFormNotTheValue() {
        // a wheel turn over any editor of the form is left unaccepted, for the form to scroll
        auto turn = [](QWidget* pEditor) {
            const QMetaProperty value = pEditor->metaObject()->userProperty();
            const QVariant before = value.read(pEditor);
            QWheelEvent wheel({5, 5}, pEditor->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pEditor, &wheel);
            return QString(wheel.isAccepted() ? "accepted" : "ignored")
                   + (value.read(pEditor) == before ? ", kept" : ", changed");
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
        for (QWidget* pEditor : {comboItem.findChild<QWidget*>("cmb_values"),
                                 dateItem.findChild<QWidget*>("dedt_date"), dates.subItems()[0],
                                 editable.subItems()[0], methods.subItems()[0]})
            QCOMPARE(turn(pEditor), QStringLiteral("ignored, kept"));
    }
};

QTEST_MAIN(TestReportItems)
#include "tst_reportitems.moc"
