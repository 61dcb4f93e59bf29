#include "items/comboboxheir.h"
#include "items/stdcomboitem.h"
#include "support/typing.h"

#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

namespace {
// Records the item's announcements in the order they arrive.
struct SignalLog {
    QStringList lst;
    explicit SignalLog(CStdComboItem* pItem) {
        QObject::connect(pItem, &CStdComboItem::stringListItemAdded, pItem,
                         [this](const QString& s) { lst << "added:" + s; });
        QObject::connect(pItem, &CStdComboItem::stringListItemDeleted, pItem,
                         [this](const QString& s, int i) {
                             lst << QStringLiteral("deleted:%1:%2").arg(s).arg(i);
                         });
        QObject::connect(pItem, &CStdComboItem::currentIndexChanged, pItem,
                         [this](int i) { lst << QStringLiteral("index:%1").arg(i); });
    }
};

const QStringList g_lstOrgs = {QStringLiteral("ООО Ромашка"), QStringLiteral("АО Завод"),
                               QStringLiteral("ИП Петров")};
} // namespace

class TestStdComboItem : public QObject {
    Q_OBJECT
private slots:
    void constructionAndWidths() {
        CStdComboItem item(nullptr, 2, QStringLiteral("Заказчик:"), g_lstOrgs);
        auto pCombo = item.findChild<CComboBoxEditableHeir*>("cmb_values");
        auto pName = item.findChild<QLabel*>("lbl_name");
        auto pButton = item.findChild<QToolButton*>("btn_deleteItem");
        QCOMPARE(item.findChild<QLabel*>("lbl_num")->text(), QStringLiteral("2"));
        QCOMPARE(pCombo->count(), 4);
        QCOMPARE(pCombo->itemText(0), QString());
        QCOMPARE(pCombo->itemText(3), QStringLiteral("ИП Петров"));
        QCOMPARE(item.value(), QString());
        QVERIFY(pButton->isHidden());
        // short entries leave the box at its minimum width
        QCOMPARE(pCombo->geometry(), QRect(50 + pName->width() + 10, 0, 300, 30));
        QCOMPARE(pButton->x(), pCombo->x() + 310);

        // a long entry widens it to its text, up to the room before the button
        const QString sLong = QStringLiteral("Открытое акционерное общество Мосэнерго");
        item.setChoices({sLong});
        const int iText = pCombo->fontMetrics().horizontalAdvance(sLong) + 20;
        const int iAvail = 1000 - 40 - 120 - pName->width() - 40;
        QCOMPARE(pCombo->width(), qMin(iAvail, qMax(300, (iText + 9) / 10 * 10)));
        item.setChoices({QString(300, QChar('W'))});
        QCOMPARE(pCombo->width(), qMin(750, iAvail));
        QCOMPARE(pButton->x(), pCombo->x() + pCombo->width() + 10);

        // number 0 keeps the label's text and prints nothing
        item.setNumber(0);
        QCOMPARE(item.findChild<QLabel*>("lbl_num")->text(), QStringLiteral("2"));
        QCOMPARE(item.toHtml(0), QString());
    }

    void chooseTypeAndDelete() {
        CStdComboItem item(nullptr, 4, QStringLiteral("Основание для проведения контроля:"),
                           g_lstOrgs);
        item.show();
        auto pCombo = item.findChild<CComboBoxEditableHeir*>("cmb_values");
        auto pButton = item.findChild<QToolButton*>("btn_deleteItem");
        SignalLog log(&item);

        // choosing an entry
        pCombo->setCurrentIndex(2);
        QCOMPARE(log.lst, QStringList{"index:2"});
        QCOMPARE(item.value(), QStringLiteral("АО Завод"));
        QVERIFY(!pButton->isHidden());

        // typing a new entry: announced once, before the index change reaches the owner
        pCombo->setCurrentIndex(0);
        QVERIFY(pButton->isHidden());
        log.lst.clear();
        typeText(pCombo->lineEdit(), QStringLiteral("Договор №5 <срочно>"));
        QTest::keyClick(pCombo->lineEdit(), Qt::Key_Return);
        QCOMPARE(log.lst.count(QStringLiteral("added:Договор №5 <срочно>")), 1);
        QVERIFY(log.lst.indexOf(QStringLiteral("added:Договор №5 <срочно>")) <
                log.lst.lastIndexOf(QStringLiteral("index:4")));
        QCOMPARE(log.lst.last(), QStringLiteral("index:4"));
        QCOMPARE(item.choices(), g_lstOrgs + QStringList{"Договор №5 <срочно>"});
        QCOMPARE(item.value(), QStringLiteral("Договор №5 <срочно>"));
        QCOMPARE(pCombo->currentIndex(), 4);
        QVERIFY(!pButton->isHidden());
        QCOMPARE(item.toHtml(1), QStringLiteral("<p>3. Основание для проведения контроля: "
                                                "Договор №5 &lt;срочно&gt;.</p>\n"));

        // typing an existing entry selects it and adds nothing
        pCombo->setCurrentIndex(0);
        log.lst.clear();
        typeText(pCombo->lineEdit(), QStringLiteral("ООО Ромашка"));
        QTest::keyClick(pCombo->lineEdit(), Qt::Key_Return);
        QCOMPARE(log.lst.filter("added").size(), 0);
        QCOMPARE(pCombo->currentIndex(), 1);
        QCOMPARE(item.choices().size(), 4);

        // deleting the chosen entry: the owner has seen the new index before the deletion
        pCombo->setCurrentIndex(2);
        log.lst.clear();
        QTest::mouseClick(pButton, Qt::LeftButton);
        QCOMPARE(log.lst.last(), QStringLiteral("deleted:АО Завод:1"));
        QCOMPARE(log.lst.at(log.lst.size() - 2), QStringLiteral("index:2"));
        QCOMPARE(item.choices(), QStringList({"ООО Ромашка", "ИП Петров", "Договор №5 <срочно>"}));
        QCOMPARE(pCombo->count(), 4);
        QCOMPARE(item.value(), QStringLiteral("ИП Петров"));

        // deleting the last entry: the one before it becomes current
        pCombo->setCurrentIndex(3);
        log.lst.clear();
        item.slot_btn_deleteItem_clicked();
        QCOMPARE(log.lst.last(), QStringLiteral("deleted:Договор №5 <срочно>:1"));
        QCOMPARE(item.value(), QStringLiteral("ИП Петров"));

        // deleting while the blank entry is current does nothing
        item.setChoices({QStringLiteral("один")});
        pCombo->setCurrentIndex(1);
        item.slot_btn_deleteItem_clicked();
        QCOMPARE(item.choices(), QStringList());
        QCOMPARE(pCombo->currentIndex(), 0);
        QVERIFY(pButton->isHidden());
        log.lst.clear();
        item.slot_btn_deleteItem_clicked();
        QCOMPARE(log.lst, QStringList());
    }

    void ownerRefusesANewEntry() {
        // the owner deletes a typed ground again while no customer is chosen
        CStdComboItem item(nullptr, 4, QStringLiteral("Основание для проведения контроля:"),
                           {QStringLiteral("план")});
        item.show();
        connect(&item, &CStdComboItem::stringListItemAdded, &item,
                [&item] { item.slot_btn_deleteItem_clicked(); });
        SignalLog log(&item);
        auto pCombo = item.findChild<CComboBoxEditableHeir*>("cmb_values");
        typeText(pCombo->lineEdit(), QStringLiteral("приказ"));
        QTest::keyClick(pCombo->lineEdit(), Qt::Key_Return);
        QCOMPARE(item.choices(), QStringList{"план"});
        QCOMPARE(pCombo->count(), 2);
        QVERIFY(log.lst.contains(QStringLiteral("deleted:приказ:0")));
        QCOMPARE(log.lst.last(), QStringLiteral("index:1"));
        QCOMPARE(item.value(), QStringLiteral("план"));
    }

    void setValueAndCommit() {
        CStdComboItem item(nullptr, 2, QStringLiteral("Заказчик:"), g_lstOrgs);
        item.show();
        auto pCombo = item.findChild<CComboBoxEditableHeir*>("cmb_values");
        auto pButton = item.findChild<QToolButton*>("btn_deleteItem");
        QSignalSpy spyAdded(&item, &CStdComboItem::stringListItemAdded);

        item.setValue(QStringLiteral("АО Завод"));
        QCOMPARE(pCombo->currentIndex(), 2);
        QCOMPARE(item.value(), QStringLiteral("АО Завод"));
        QVERIFY(!pButton->isHidden());

        // an unknown text joins the choices and is chosen
        item.setValue(QStringLiteral("ЗАО Новое"));
        QCOMPARE(item.choices().last(), QStringLiteral("ЗАО Новое"));
        QCOMPARE(pCombo->currentText(), QStringLiteral("ЗАО Новое"));
        QCOMPARE(item.value(), QStringLiteral("ЗАО Новое"));

        // an empty value selects the blank entry and clears typed text
        item.setValue(QString());
        QCOMPARE(pCombo->currentIndex(), 0);
        typeText(pCombo->lineEdit(), QStringLiteral("набрано"));
        item.setValue(QString());
        QCOMPARE(pCombo->currentText(), QString());
        QCOMPARE(item.value(), QString());
        QVERIFY(pButton->isHidden());

        // typed text is printed at once, but is the value only once committed
        typeText(pCombo->lineEdit(), QStringLiteral("ПАО Газ & Нефть"));
        QCOMPARE(item.value(), QString());
        QCOMPARE(item.toHtml(0),
                 QStringLiteral("<p>2. Заказчик: ПАО Газ &amp; Нефть.</p>\n"));
        item.commitValue();
        QCOMPARE(item.value(), QStringLiteral("ПАО Газ & Нефть"));
        QCOMPARE(item.choices().last(), QStringLiteral("ПАО Газ & Нефть"));
        QCOMPARE(item.choices().count(QStringLiteral("ПАО Газ & Нефть")), 1);
        QCOMPARE(spyAdded.count(), 0);

        // addChoices skips empty and known entries
        item.addChoices({QString(), QStringLiteral("АО Завод"), QStringLiteral("Новый")});
        QCOMPARE(item.choices().size(), 6);
        QCOMPARE(item.choices().last(), QStringLiteral("Новый"));
        QCOMPARE(item.value(), QStringLiteral("ПАО Газ & Нефть"));
    }

    void wheelIsSwallowed() {
        CStdComboItem item(nullptr, 2, QStringLiteral("Заказчик:"), g_lstOrgs);
        item.show();
        auto pCombo = item.findChild<CComboBoxEditableHeir*>("cmb_values");
        pCombo->setCurrentIndex(1);
        QWheelEvent wheel(QPointF(5, 5), pCombo->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        // a plain combo box would step to the next entry
        CComboBoxEditableHeir plain(nullptr, g_lstOrgs);
        plain.setCurrentIndex(1);
        QApplication::sendEvent(&plain, &wheel);
        QCOMPARE(plain.currentIndex(), 2);
        // the item's box does not, and leaves the event ignored so that it travels on
        // to the scrolling form
        wheel.setAccepted(true);
        QApplication::sendEvent(pCombo, &wheel);
        QCOMPARE(pCombo->currentIndex(), 1);
        QVERIFY(!wheel.isAccepted());
    }

    void streamRecordBytes() {
        CStdComboItem item(nullptr, 2, QStringLiteral("Аб"), {QStringLiteral("x"), "yz"});
        item.setValue(QStringLiteral("x"));
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << item;
        }
        const QByteArray expected = QByteArray::fromHex("00000002"             // number
                                                        "00000004" "04100431"  // "Аб"
                                                        "00000002" "0078"      // value "x"
                                                        "00000002"             // 2 choices
                                                        "00000002" "0078"
                                                        "00000004" "0079007a");
        QCOMPARE(bytes.toHex(), expected.toHex());

        // a stored value that is not among its stored choices joins them
        CStdComboItem scratch(nullptr, 0, QString(), {});
        {
            QDataStream in(QByteArray::fromHex("00000007" "00000002" "0041"
                                               "00000002" "0062"
                                               "00000001" "00000002" "0063"));
            in.setVersion(QDataStream::Qt_4_6);
            in >> scratch;
            QCOMPARE(in.status(), QDataStream::Ok);
        }
        QCOMPARE(scratch.number(), 7);
        QCOMPARE(scratch.name(), QStringLiteral("A"));
        QCOMPARE(scratch.choices(), QStringList({"c", "b"}));
        QCOMPARE(scratch.value(), QStringLiteral("b"));

        // an empty stored value selects the blank entry
        {
            QDataStream in(QByteArray::fromHex("00000007" "00000002" "0041"
                                               "ffffffff" "00000000"));
            in.setVersion(QDataStream::Qt_4_6);
            in >> scratch;
        }
        QCOMPARE(scratch.value(), QString());
        QCOMPARE(scratch.findChild<QComboBox*>("cmb_values")->currentIndex(), 0);

        // a record cut short, or one whose count the bytes cannot hold, is not applied
        const QByteArray lstDamaged[] = {
            QByteArray::fromHex("00000009" "00000002" "0041"),
            QByteArray::fromHex("00000009" "00000002" "0041" "00000000" "7fffffff" "00000000")};
        for (const QByteArray& damaged : lstDamaged) {
            QDataStream in(damaged);
            in.setVersion(QDataStream::Qt_4_6);
            in >> scratch;
            QVERIFY(in.status() != QDataStream::Ok);
            QCOMPARE(scratch.number(), 7);
            QCOMPARE(scratch.choices(), QStringList({"c", "b"}));
        }
    }
};

QTEST_MAIN(TestStdComboItem)
#include "tst_stdcomboitem.moc"
