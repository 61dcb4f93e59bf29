#include "app/constants.h"
#include "composer/methodvocabulary.h"
#include "items/comboboxheir.h"
#include "items/dateeditheir.h"
#include "items/editableset.h"
#include "items/extdatset.h"
#include "items/methodsset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "support/typing.h"

#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

// The items of the protocol form: the list-choice item, the date line and the
// list sections (editable, date and methods sets), with their stream records.
namespace {
const QStringList g_lstOrgs = {QStringLiteral("ООО Ромашка"), QStringLiteral("АО Завод"),
                               QStringLiteral("ИП Петров")};

QComboBox* combo(CExtItem& set, int i) { return static_cast<QComboBox*>(set.subItems().at(i)); }

void typeEntry(QComboBox* pCombo, const QString& sText) {
    typeText(pCombo->lineEdit(), sText);
    QTest::keyClick(pCombo->lineEdit(), Qt::Key_Return);
}

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
    in >> item;
    return in.status() == QDataStream::Ok;
}

// A list-choice item, its parts and its announcements with their arguments, in order.
struct ComboFixture {
    QStringList lstLog;
    CStdComboItem item;
    QComboBox* pCombo = item.findChild<QComboBox*>("cmb_values");
    QToolButton* pButton = item.findChild<QToolButton*>("btn_deleteItem");
    ComboFixture(const QString& sName, const QStringList& lst) : item(nullptr, 4, sName, lst) {
        QObject::connect(&item, &CStdComboItem::stringListItemAdded, &item,
                         [this](const QString& s) { lstLog << "added:" + s; });
        QObject::connect(&item, &CStdComboItem::stringListItemDeleted, &item,
                         [this](const QString& s, int i) {
                             lstLog << QStringLiteral("deleted:%1:%2").arg(s).arg(i);
                         });
        QObject::connect(&item, &CStdComboItem::currentIndexChanged, &item,
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
QStringList counts(const QStringList& log) { return log.filter(QRegularExpression("^\\d")); }

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
    void comboChooseTypeAndDelete() {
        ComboFixture f(QStringLiteral("Основание для проведения контроля:"), g_lstOrgs);
        f.pCombo->setCurrentIndex(2);
        QCOMPARE(f.lstLog, QStringList{"index:2"});
        QCOMPARE(f.item.value(), QStringLiteral("АО Завод"));
        QVERIFY(!f.pButton->isHidden());
        // a typed entry is announced once, before the index change reaches the owner
        f.pCombo->setCurrentIndex(0);
        QVERIFY(f.pButton->isHidden());
        f.lstLog.clear();
        const QString sNew = QStringLiteral("Договор №5 <срочно>");
        typeEntry(f.pCombo, sNew);
        QCOMPARE(f.lstLog.filter("added"), QStringList{"added:" + sNew});
        QVERIFY(f.lstLog.indexOf("added:" + sNew) < f.lstLog.lastIndexOf("index:4"));
        QCOMPARE(f.lstLog.last(), QStringLiteral("index:4"));
        QCOMPARE(f.item.choices(), g_lstOrgs + QStringList{sNew});
        QCOMPARE(f.item.toHtml(1), QStringLiteral("<p>3. Основание для проведения контроля: "
                                                  "Договор №5 &lt;срочно&gt;.</p>\n"));
        // deleting the chosen entry: the owner sees the new index before the deletion
        f.pCombo->setCurrentIndex(2);
        QTest::mouseClick(f.pButton, Qt::LeftButton);
        QCOMPARE(f.lstLog.mid(f.lstLog.size() - 2),
                 QStringList({"index:2", "deleted:АО Завод:1"}));
        QCOMPARE(f.item.choices(), QStringList({"ООО Ромашка", "ИП Петров", sNew}));
        QCOMPARE(f.item.value(), QStringLiteral("ИП Петров"));
        // deleting the last entry makes the one before it current
        f.pCombo->setCurrentIndex(3);
        f.item.slot_btn_deleteItem_clicked();
        QCOMPARE(f.lstLog.last(), "deleted:" + sNew + ":1");
        QCOMPARE(f.item.value(), QStringLiteral("ИП Петров"));
    }

    void comboOwnerRefusesANewEntry() {
        // the owner deletes a typed ground again while no customer is chosen
        ComboFixture f(QStringLiteral("Основание:"), {QStringLiteral("план")});
        QObject::connect(&f.item, &CStdComboItem::stringListItemAdded, &f.item,
                         [&f] { f.item.slot_btn_deleteItem_clicked(); });
        typeEntry(f.pCombo, QStringLiteral("приказ"));
        QCOMPARE(f.pCombo->count(), 2);
        QVERIFY(f.lstLog.contains(QStringLiteral("deleted:приказ:0")));
        QCOMPARE(f.lstLog.last(), QStringLiteral("index:1"));
        QCOMPARE(f.item.value(), QStringLiteral("план"));
    }

    void comboValueWidthAndCommit() {
        ComboFixture f(QStringLiteral("Заказчик:"), g_lstOrgs);
        // an unknown value joins the choices, is chosen and widens the box to its text
        const QString sLong = QStringLiteral("Открытое акционерное общество Мосэнерго");
        f.item.setValue(sLong);
        QCOMPARE(f.item.choices().last(), sLong);
        QCOMPARE(f.pCombo->currentText(), sLong);
        const int iText = (f.pCombo->fontMetrics().horizontalAdvance(sLong) + 29) / 10 * 10;
        const int iAvail = 1000 - 40 - 120 - f.item.findChild<QLabel*>("lbl_name")->width() - 40;
        QCOMPARE(f.pCombo->width(), qMin(iAvail, qMax(300, iText)));
        QCOMPARE(f.pButton->x(), f.pCombo->x() + f.pCombo->width() + 10);
        // an empty value clears typed text; typed text is printed at once, but is
        // the value only once committed
        f.item.setValue(QString());
        typeText(f.pCombo->lineEdit(), QStringLiteral("набрано"));
        f.item.setValue(QString());
        typeText(f.pCombo->lineEdit(), QStringLiteral("ПАО Газ & Нефть"));
        QCOMPARE(f.item.value(), QString());
        QCOMPARE(f.item.toHtml(0), QStringLiteral("<p>4. Заказчик: ПАО Газ &amp; Нефть.</p>\n"));
        f.item.commitValue();
        QCOMPARE(f.item.value(), QStringLiteral("ПАО Газ & Нефть"));
        QCOMPARE(f.item.choices().count(QStringLiteral("ПАО Газ & Нефть")), 1);
        QCOMPARE(f.lstLog.filter("added"), QStringList());
    }

    void dateLineStoresOnFocusLoss() {
        QWidget window;
        CStdDateItem item(&window, QDate(2011, 3, 5));
        QLineEdit other(&window);
        auto pEdit = item.findChild<QDateEdit*>("dedt_date");
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (const QDate& dt : {QDate(2012, 7, 9), QDate(2001, 5, 5)}) {
            pEdit->setFocus();
            QTRY_VERIFY(pEdit->hasFocus());
            pEdit->setDate(dt);
            QVERIFY(item.date() != dt); // the print uses the date stored on leaving
            other.setFocus();
            QTRY_VERIFY(other.hasFocus());
        }
        // a year up to 2001 is reset and stored as the default date
        QCOMPARE(item.dateText(), QStringLiteral("01.01.2000"));
        QCOMPARE(pEdit->text(), QStringLiteral("__.__.____"));
    }

    void subItemsWrapAndShrinkBack() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Дата проведения контроля:"));
        set.show();
        auto pAdd = set.findChild<QToolButton*>("btn_add");
        auto pDelete = set.findChild<QToolButton*>("btn_delete");
        QStringList& log = logOf(set);
        QVERIFY(pDelete->isHidden());
        while (set.height() == 30 && set.subItemCount() < 20)
            QTest::mouseClick(pAdd, Qt::LeftButton);
        const int n = set.subItemCount();
        QVERIFY(!pDelete->isHidden());
        QCOMPARE(log.mid(log.size() - 2), QStringList({"height", QString::number(n)}));
        // the sub-item that did not fit, with room for the buttons, starts a new line
        const QRect prev = set.subItems().at(n - 2)->geometry();
        QVERIFY(prev.top() == 0 && prev.right() + 11 + 120 + 20 >= 1000);
        QCOMPARE(set.subItems().last()->geometry(), QRect(0, 40, 120, 30));
        checkButtonsAfterLast(set);
        // a second one on the new line, removed again, leaves the height
        QTest::mouseClick(pAdd, Qt::LeftButton);
        QCOMPARE(set.subItems().last()->geometry(), QRect(130, 40, 120, 30));
        QTest::mouseClick(pDelete, Qt::LeftButton);
        checkButtonsAfterLast(set);
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
        typeEntry(combo(set, 0), QStringLiteral("ПБ 03-440-02")); // joins every sub-item
        QCOMPARE(combo(set, 1)->itemText(3), QStringLiteral("ПБ 03-440-02"));
        // the delete-entry button follows the last sub-item only; deleting removes
        // the entry from every sub-item, whichever shows it
        auto pDeleteEntry = set.findChild<QToolButton*>("btn_deleteItem");
        QVERIFY(pDeleteEntry->isHidden());
        combo(set, 1)->setCurrentIndex(2);
        combo(set, 0)->setCurrentIndex(2);
        QTest::mouseClick(pDeleteEntry, Qt::LeftButton);
        QCOMPARE(set.choices(), QStringList({"ГОСТ 14782-86", "ПБ 03-440-02"}));
        QVERIFY(combo(set, 0)->findText(lst[1]) < 0 && combo(set, 1)->findText(lst[1]) < 0);
        // reading 3 texts into a set of 2 adds one; an unknown text leaves the choice
        QStringList& log = logOf(set);
        combo(set, 1)->setCurrentIndex(1);
        set.setSelectedTexts({"ПБ 03-440-02", "нет такого", ""});
        QCOMPARE(set.currentTexts(), QStringList({"ПБ 03-440-02", "ГОСТ 14782-86", ""}));
        // texts typed but not entered join the choices on saving, once each
        combo(set, 0)->setCurrentIndex(0);
        typeText(combo(set, 0)->lineEdit(), QStringLiteral("<ремонт>"));
        typeText(combo(set, 2)->lineEdit(), QStringLiteral("<ремонт>"));
        set.mergeTypedTexts();
        QCOMPARE(set.choices(), QStringList({"ГОСТ 14782-86", "ПБ 03-440-02", "<ремонт>"}));
        // ... and 1 text into a set of 3 removes two, each count announced
        set.setSelectedTexts({QString()});
        QCOMPARE(counts(log), QStringList({"3", "2", "1"}));
        set.slot_deleteItemWidget(); // the section keeps one sub-item
        QCOMPARE(set.subItemCount(), 1);
        // an empty sub-item still counts in the print
        set.setSelectedTexts({"<ремонт>", "", "ГОСТ 14782-86"});
        QCOMPARE(set.toHtml(2), QStringLiteral("<p>7. Контроль выполнен согласно: &lt;ремонт&gt;. "
                                               ". ГОСТ 14782-86.</p>\n"));
    }

    void datesUpTo2011PrintAsUnset() {
        CExtDatSet set(nullptr, 1, QStringLiteral("Дата проведения контроля:"));
        set.setDates({QDate(2012, 1, 1), QDate(2011, 12, 31), g_dtDefault});
        QCOMPARE(set.toHtml(0), QStringLiteral("<p>1. Дата проведения контроля: 01.01.2012. "
                                               "__.__.____. __.__.____.</p>\n"));
        // printing resets a date up to 2011 in its editor
        QCOMPARE(static_cast<QDateEdit*>(set.subItems().at(1))->text(), "__.__.____");
    }

    void methodRows() {
        CMethodsSet set(nullptr, 0, QStringLiteral("Методы контроля"), methodsNominative());
        set.show();
        QStringList& log = logOf(set);
        auto pAdd = set.findChild<QToolButton*>("btn_add");
        combo(set, 0)->setCurrentIndex(2);
        QCOMPARE(log, QStringList{"selected"}); // a user's choice is announced once
        // each new row starts on the first method no row shows; "+" places the row
        // (the height grown) before it announces the count
        while (set.subItemCount() < 9) {
            const int iHeight = set.height();
            QTest::mouseClick(pAdd, Qt::LeftButton);
            QCOMPARE(log.last(), QString::number(set.subItemCount()));
            if (set.height() != iHeight)
                QCOMPARE(log.at(log.size() - 2), QStringLiteral("height"));
        }
        QVERIFY(log.contains("height") && log.count("selected") == 1);
        QList<int> lstIndexes;
        set.selectedIndexes(lstIndexes);
        QCOMPARE(lstIndexes, QList<int>({2, 0, 1, 3, 4, 5, 6, 7, 8}));
        // with all nine shown, a tenth row starts on the first method
        QTest::mouseClick(pAdd, Qt::LeftButton);
        QCOMPARE(combo(set, 9)->currentIndex(), 0);
        combo(set, 3)->setCurrentIndex(-1); // the heading skips a row without a method
        QCOMPARE(set.selectedIndexes(lstIndexes), 9);
        // "-" announces the count only
        QTest::mouseClick(set.findChild<QToolButton*>("btn_delete"), Qt::LeftButton);
        QCOMPARE(log.last(), QStringLiteral("9"));
        QCOMPARE(log.count("selected"), 2);
    }

    void streamRecords() {
        // list-choice item: number, caption, value, choices
        CStdComboItem item(nullptr, 2, QStringLiteral("Аб"), {"x", "yz"});
        item.setValue("x");
        QCOMPARE(writtenHex(item), QByteArray("00000002" "00000004" "04100431" "00000002" "0078"
                                              "00000002" "00000002" "0078" "00000004" "0079007a"));
        // a stored value that is not among its stored choices joins them
        QVERIFY(readHex(item, "00000007" "00000002" "0041" "00000002" "0062"
                              "00000001" "00000002" "0063"));
        QCOMPARE(QStringList({item.name(), item.value()}), QStringList({"A", "b"}));
        QCOMPARE(item.choices(), QStringList({"x", "yz", "c", "b"}));
        // a count the bytes cannot hold damages the record, which is not applied
        QVERIFY(!readHex(item, "00000009" "00000002" "0042" "00000000" "7fffffff"));
        QCOMPARE(item.number(), 7);

        // date line: the stored date; reading shows it at once
        CStdDateItem line(nullptr, QDate(2011, 3, 5));
        QCOMPARE(writtenHex(line), QByteArray("0025784a")); // Julian day 2455626
        QVERIFY(readHex(line, "00257978") && !readHex(line, "0025"));
        QCOMPARE(line.date(), QDate(2012, 1, 1));
        QCOMPARE(line.findChild<QDateEdit*>("dedt_date")->date(), QDate(2012, 1, 1));

        // editable set: number, caption, texts, choices
        CEditableSet editable(nullptr, 8, QStringLiteral("К"), {"a", "b"});
        editable.setSelectedTexts({"b", ""});
        QCOMPARE(writtenHex(editable), QByteArray("00000008" "00000002" "041a"
                                                  "00000002" "00000002" "0062" "00000000"
                                                  "00000002" "00000002" "0061" "00000002" "0062"));
        // stored choices join, then the texts are selected
        QVERIFY(readHex(editable, "0000000d" "00000002" "0041" "00000002" "00000002" "0079"
                                  "00000002" "0061" "00000001" "00000002" "0079"));
        QCOMPARE(editable.choices(), QStringList({"a", "b", "y"}));
        QCOMPARE(editable.currentTexts(), QStringList({"y", "a"}));
        QVERIFY(!readHex(editable, "00000009" "00000002" "0042" "00000000" "7fffffff"));
        QCOMPARE(editable.number(), 13);

        // methods selector: number, caption, the rows' texts; the choices are not written
        CMethodsSet methods(nullptr, 0, QStringLiteral("М"), {"a", "b", "c"});
        methods.slot_addItemWidget();
        combo(methods, 0)->setCurrentIndex(2);
        QCOMPARE(writtenHex(methods), QByteArray("00000000" "00000002" "041c"
                                                 "00000002" "00000002" "0063" "00000002" "0062"));
        // reading makes the rows, announcing the count, before it selects the methods;
        // a stored text that is no method leaves its row on the one it was made with
        combo(methods, 0)->setCurrentIndex(0);
        QStringList& log = logOf(methods);
        QVERIFY(readHex(methods, "00000000" "00000002" "041c" "00000003" "00000002" "0063"
                                 "00000006" "0078" "0079" "007a" "00000002" "0061"));
        QCOMPARE(counts(log), QStringList{"3"});
        QVERIFY(log.indexOf("3") < log.indexOf("selected"));
        QCOMPARE(methods.currentTexts(), QStringList({"c", "b", "a"}));
        QVERIFY(!readHex(methods, "00000000" "00000002" "041c" "00000002" "00000002" "0061"));
        QCOMPARE(methods.subItemCount(), 3);

        // date set: number, caption, dates; a date up to 2011 is saved as the default one
        CExtDatSet dates(nullptr, 1, QStringLiteral("Д"));
        dates.setDates({QDate(2011, 3, 5), QDate(2012, 1, 1)});
        QCOMPARE(writtenHex(dates),
                 QByteArray("00000001" "00000002" "0414" "00000002" "00256859" "00257978"));
        // a damaged (zero) Julian day reads as not set
        QVERIFY(readHex(dates, "00000006" "00000002" "0041" "00000002" "00257978" "00000000"));
        QList<QDate> lstDates;
        dates.collectDates(lstDates);
        QCOMPARE(lstDates, QList<QDate>({QDate(2012, 1, 1), g_dtDefault}));
        QVERIFY(!readHex(dates, "00000009" "00000002" "0042" "10000000" "00257978"));
        QCOMPARE(dates.number(), 6);
        // a stored list makes at most a hundred sub-items
        QVERIFY(readHex(dates, QByteArray("00000006" "00000002" "0041" "00000096")
                                   + QByteArray("00257978").repeated(150)));
        QCOMPARE(dates.subItemCount(), 100);
    }

    void wheelScrollsTheFormNotTheValue() {
        // a wheel turn over any editor of the form is left unaccepted, so that it
        // travels on to the scrolling form, and changes nothing
        auto turn = [](QWidget* pEditor) {
            const char* pProperty = qobject_cast<QComboBox*>(pEditor) ? "currentText" : "text";
            const QString sBefore = pEditor->property(pProperty).toString();
            QWheelEvent wheel(QPointF(5, 5), pEditor->mapToGlobal(QPointF(5, 5)), QPoint(),
                              QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(pEditor, &wheel);
            return QString(wheel.isAccepted() ? "accepted" : "ignored")
                   + (pEditor->property(pProperty).toString() == sBefore ? ", kept" : ", changed");
        };
        QWidget form;
        const QStringList lst = {"a", "b", "c"};
        CComboBoxEditableHeir plain(&form, lst); // a plain box steps under the same turn
        CStdComboItem comboItem(&form, 2, QStringLiteral("Заказчик:"), lst);
        CStdDateItem dateItem(&form, QDate(2012, 5, 5));
        CExtDatSet dates(&form, 1, QStringLiteral("Дата:"));
        CEditableSet editable(&form, 8, QStringLiteral("Контроль:"), lst);
        CMethodsSet methods(&form, 0, QStringLiteral("Методы"), lst);
        dates.setDates({QDate(2012, 5, 5)});
        form.show();
        QVERIFY(turn(&plain).endsWith("changed"));
        for (QWidget* pEditor : {comboItem.findChild<QWidget*>("cmb_values"),
                                 dateItem.findChild<QWidget*>("dedt_date"), dates.subItems()[0],
                                 editable.subItems()[0], methods.subItems()[0]})
            QCOMPARE(turn(pEditor), QStringLiteral("ignored, kept"));
    }
};

QTEST_MAIN(TestReportItems)
#include "tst_reportitems.moc"
