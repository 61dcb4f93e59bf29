#include "items/comboboxheir.h"
#include "items/editableset.h"
#include "support/typing.h"

#include <QDataStream>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {
const QStringList g_lstStandards = {QStringLiteral("ГОСТ 14782-86"),
                                    QStringLiteral("РД 03-606-03"),
                                    QStringLiteral("СНиП 3.03.01-87")};

CComboBoxEditableHeir* combo(CEditableSet& set, int i) {
    return static_cast<CComboBoxEditableHeir*>(set.subItems().at(i));
}
} // namespace

class TestEditableSet : public QObject {
    Q_OBJECT
private slots:
    void typedEntryJoinsEverySubItem() {
        CEditableSet set(nullptr, 8, QStringLiteral("Контроль выполнен согласно:"),
                         g_lstStandards);
        set.show();
        set.slot_addItemWidget();
        QCOMPARE(combo(set, 0)->count(), 4);
        QCOMPARE(combo(set, 0)->width(), 300);
        QSignalSpy spyCount(&set, &CExtItem::listItemsWidgetChanged);

        typeText(combo(set, 0)->lineEdit(), QStringLiteral("ПБ 03-440-02 (с изм.)"));
        QTest::keyClick(combo(set, 0)->lineEdit(), Qt::Key_Return);
        QCOMPARE(set.choices(), g_lstStandards + QStringList{"ПБ 03-440-02 (с изм.)"});
        QCOMPARE(combo(set, 1)->itemText(4), QStringLiteral("ПБ 03-440-02 (с изм.)"));
        QCOMPARE(combo(set, 0)->currentText(), QStringLiteral("ПБ 03-440-02 (с изм.)"));
        QCOMPARE(spyCount.count(), 0);

        // a long choice widens every sub-item, up to 750
        set.setChoices({QString(200, QChar('W'))});
        QCOMPARE(combo(set, 0)->width(), 750);
        QCOMPARE(combo(set, 1)->width(), 750);
    }

    void deleteEntryButton() {
        CEditableSet set(nullptr, 8, QStringLiteral("Контроль выполнен согласно:"),
                         g_lstStandards);
        set.show();
        auto pDeleteEntry = set.findChild<QToolButton*>("btn_deleteItem");
        auto pAdd = set.findChild<QToolButton*>("btn_add");
        QVERIFY(pDeleteEntry->isHidden());

        // shown while the last sub-item shows a non-blank entry
        combo(set, 0)->setCurrentIndex(2);
        QVERIFY(!pDeleteEntry->isHidden());
        QCOMPARE(pDeleteEntry->pos(), pAdd->pos() + QPoint(20, 0));
        set.slot_addItemWidget(); // the new last one is blank
        QVERIFY(pDeleteEntry->isHidden());
        combo(set, 0)->setCurrentIndex(1); // only the last one counts
        QVERIFY(pDeleteEntry->isHidden());
        combo(set, 1)->setCurrentIndex(2);
        QVERIFY(!pDeleteEntry->isHidden());
        combo(set, 0)->setCurrentIndex(2);

        // deleting removes the entry from every sub-item, whichever shows it
        QSignalSpy spyHeight(&set, &CExtItem::widgetHeightChanged);
        QSignalSpy spyCount(&set, &CExtItem::listItemsWidgetChanged);
        QTest::mouseClick(pDeleteEntry, Qt::LeftButton);
        QCOMPARE(set.choices(), QStringList({"ГОСТ 14782-86", "СНиП 3.03.01-87"}));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(combo(set, i)->count(), 3);
            QCOMPARE(combo(set, i)->findText(QStringLiteral("РД 03-606-03")), -1);
        }
        QCOMPARE(spyCount.count(), 0);

        QCOMPARE(spyHeight.count(), 0);
    }

    void deleteEntryButtonKeepsItsRoom() {
        // with the button shown, the last sub-item needs 145 pixels after it
        // instead of 20; choose choices whose width lies in between
        CEditableSet set(nullptr, 8, QStringLiteral("Контроль:"), {});
        set.show();
        const int x0 = set.subItems().first()->x();
        QString sChoice;
        while (!(x0 + combo(set, 0)->width() + 20 < 1000 &&
                 x0 + combo(set, 0)->width() + 145 >= 1000)) {
            sChoice += QLatin1Char('W');
            set.setChoices({sChoice});
            QVERIFY(sChoice.size() < 200);
        }
        QCOMPARE(set.height(), 30);
        QSignalSpy spyHeight(&set, &CExtItem::widgetHeightChanged);
        combo(set, 0)->setCurrentIndex(1);
        QCOMPARE(set.subItems().first()->pos(), QPoint(0, 40));
        QCOMPARE(set.height(), 70);
        QCOMPARE(spyHeight.count(), 1);
        auto pDeleteEntry = set.findChild<QToolButton*>("btn_deleteItem");
        QCOMPARE(pDeleteEntry->geometry().topLeft(),
                 QPoint(set.subItems().first()->geometry().right() + 26, 40));
        combo(set, 0)->setCurrentIndex(0);
        QCOMPARE(set.subItems().first()->pos(), QPoint(x0, 0));
        QCOMPARE(set.height(), 30);
        QCOMPARE(spyHeight.count(), 2);
    }

    void mergeTypedTexts() {
        CEditableSet set(nullptr, 9, QStringLiteral("Оценка качества работ:"),
                         {QStringLiteral("годен")});
        set.setSelectedTexts({QString(), QString(), QString(), QStringLiteral("годен")});
        typeText(combo(set, 0)->lineEdit(), QStringLiteral("не годен"));
        typeText(combo(set, 1)->lineEdit(), QStringLiteral("ремонт"));
        typeText(combo(set, 2)->lineEdit(), QStringLiteral("не годен"));
        set.mergeTypedTexts();
        QCOMPARE(set.choices(), QStringList({"годен", "не годен", "ремонт"}));
        QCOMPARE(set.currentTexts(), QStringList({"не годен", "ремонт", "не годен", "годен"}));
        QCOMPARE(combo(set, 1)->currentIndex(), 3);
    }

    void selectedTextsMatchTheCount() {
        CEditableSet set(nullptr, 8, QStringLiteral("Контроль выполнен согласно:"),
                         g_lstStandards);
        QSignalSpy spyCount(&set, &CExtItem::listItemsWidgetChanged);
        set.setSelectedTexts({QStringLiteral("СНиП 3.03.01-87"), QStringLiteral("нет такого"),
                              QStringLiteral("ГОСТ 14782-86")});
        QCOMPARE(set.subItemCount(), 3);
        QCOMPARE(spyCount.count(), 2);
        QCOMPARE(spyCount.at(0).first().toInt(), 2);
        QCOMPARE(spyCount.at(1).first().toInt(), 3);
        // a text that is no entry leaves the sub-item's choice
        QCOMPARE(set.currentTexts(), QStringList({"СНиП 3.03.01-87", "", "ГОСТ 14782-86"}));

        combo(set, 0)->setCurrentIndex(0);
        typeText(combo(set, 0)->lineEdit(), QStringLiteral("набрано"));
        spyCount.clear();
        set.setSelectedTexts({QString()});
        QCOMPARE(set.subItemCount(), 1);
        QCOMPARE(spyCount.count(), 2);
        QCOMPARE(spyCount.last().first().toInt(), 1);
        QCOMPARE(set.currentTexts(), QStringList({""})); // a stored empty text clears typing
        set.setSelectedTexts({});
        QCOMPARE(set.subItemCount(), 1);
    }

    void streamRecordBytes() {
        CEditableSet set(nullptr, 8, QStringLiteral("К"), {QStringLiteral("a"), "b"});
        set.setSelectedTexts({QStringLiteral("b"), QString()});
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << set;
        }
        const QByteArray expected = QByteArray::fromHex("00000008"               // number
                                                        "00000002" "041a"        // "К"
                                                        "00000002"               // 2 texts
                                                        "00000002" "0062" "00000000"
                                                        "00000002"               // 2 choices
                                                        "00000002" "0061" "00000002" "0062");
        QCOMPARE(bytes.toHex(), expected.toHex());

        // reading: stored choices join, texts are selected, the count follows
        CEditableSet scratch(nullptr, 0, QString(), {QStringLiteral("z")});
        {
            QDataStream in(QByteArray::fromHex("0000000d" "00000002" "0041"
                                               "00000003" "00000002" "0079" "00000002" "007a"
                                               "00000002" "0078"
                                               "00000002" "00000002" "0078" "00000002" "0079"));
            in.setVersion(QDataStream::Qt_4_6);
            in >> scratch;
            QCOMPARE(in.status(), QDataStream::Ok);
        }
        QCOMPARE(scratch.number(), 13);
        QCOMPARE(scratch.name(), QStringLiteral("A"));
        QCOMPARE(scratch.choices(), QStringList({"z", "x", "y"}));
        QCOMPARE(scratch.currentTexts(), QStringList({"y", "z", "x"}));

        // a record cut short, or a count the bytes cannot hold, is not applied
        const QByteArray lstDamaged[] = {
            QByteArray::fromHex("00000009" "00000002" "0042" "00000001" "00000002" "0079"),
            QByteArray::fromHex("00000009" "00000002" "0042" "00000000" "7fffffff")};
        for (const QByteArray& damaged : lstDamaged) {
            QDataStream in(damaged);
            in.setVersion(QDataStream::Qt_4_6);
            in >> scratch;
            QVERIFY(in.status() != QDataStream::Ok);
            QCOMPARE(scratch.number(), 13);
            QCOMPARE(scratch.subItemCount(), 3);
        }
    }
};

QTEST_MAIN(TestEditableSet)
#include "tst_editableset.moc"
