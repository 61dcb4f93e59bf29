#include "composer/methodvocabulary.h"
#include "items/comboboxheir.h"
#include "items/methodsset.h"

#include <QDataStream>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {
QComboBox* row(CMethodsSet& set, int i) { return static_cast<QComboBox*>(set.subItems().at(i)); }

// Records the selector's announcements in the order they arrive.
struct SignalLog {
    QStringList lst;
    explicit SignalLog(CMethodsSet* pSet) {
        QObject::connect(pSet, &CExtItem::widgetHeightChanged, pSet,
                         [this] { lst << QStringLiteral("height"); });
        QObject::connect(pSet, &CExtItem::listItemsWidgetChanged, pSet,
                         [this](int n) { lst << QStringLiteral("count:%1").arg(n); });
        QObject::connect(pSet, &CMethodsSet::setOfSelectedItemsChanged, pSet,
                         [this] { lst << QStringLiteral("selected"); });
    }
};
} // namespace

class TestMethodsSet : public QObject {
    Q_OBJECT
private slots:
    void newRowsStartOnTheFirstFreeMethod() {
        CMethodsSet set(nullptr, 0, QStringLiteral("Методы контроля"), methodsNominative());
        set.show();
        auto pAdd = set.findChild<QToolButton*>("btn_add");
        QCOMPARE(set.subItemCount(), 1);
        QCOMPARE(row(set, 0)->currentText(), QStringLiteral("ультразвуковой"));
        QVERIFY(!row(set, 0)->isEditable());

        row(set, 0)->setCurrentIndex(2);
        QTest::mouseClick(pAdd, Qt::LeftButton);
        QCOMPARE(row(set, 1)->currentIndex(), 0); // the first method no row shows
        QTest::mouseClick(pAdd, Qt::LeftButton);
        QCOMPARE(row(set, 2)->currentIndex(), 1);
        for (int i = 3; i < 9; ++i)
            QTest::mouseClick(pAdd, Qt::LeftButton);
        QCOMPARE(set.firstFreeChoice(), QString());
        // with all nine shown, a tenth row starts on the first method
        QTest::mouseClick(pAdd, Qt::LeftButton);
        QCOMPARE(set.subItemCount(), 10);
        QCOMPARE(row(set, 9)->currentIndex(), 0);

        QList<int> lstIndexes;
        QCOMPARE(set.selectedIndexes(lstIndexes), 10);
        QCOMPARE(lstIndexes, QList<int>({2, 0, 1, 3, 4, 5, 6, 7, 8, 0}));
        // the heading skips a row without a current method
        row(set, 3)->setCurrentIndex(-1);
        QCOMPARE(set.selectedIndexes(lstIndexes), 9);
        QCOMPARE(lstIndexes.at(3), 4);
        // the selector gives no fragment of its own
        QCOMPARE(set.toHtml(0), QString());
    }

    void signalsAndTheirOrder() {
        CMethodsSet set(nullptr, 0, QStringLiteral("Методы контроля"), methodsNominative());
        set.show();
        auto pAdd = set.findChild<QToolButton*>("btn_add");
        auto pDelete = set.findChild<QToolButton*>("btn_delete");
        SignalLog log(&set);

        // "+": the new row is in place (and the height grown) before the count
        while (set.height() == 30)
            QTest::mouseClick(pAdd, Qt::LeftButton);
        const int n = set.subItemCount();
        QStringList lstExpected;
        for (int i = 2; i < n; ++i)
            lstExpected << QStringLiteral("count:%1").arg(i);
        lstExpected << QStringLiteral("height") << QStringLiteral("count:%1").arg(n);
        QCOMPARE(log.lst, lstExpected);

        // a user's choice is announced once
        log.lst.clear();
        row(set, 1)->setCurrentIndex(7);
        QCOMPARE(log.lst, QStringList{"selected"});

        // "-" announces the count only
        log.lst.clear();
        QTest::mouseClick(pDelete, Qt::LeftButton);
        QCOMPARE(log.lst, (QStringList{"height", QStringLiteral("count:%1").arg(n - 1)}));
        QCOMPARE(set.height(), 30);
    }

    void streamRecordBytes() {
        CMethodsSet set(nullptr, 0, QStringLiteral("М"), {QStringLiteral("a"), "b", "c"});
        set.slot_addItemWidget();
        row(set, 0)->setCurrentIndex(2);
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << set;
        }
        const QByteArray expected = QByteArray::fromHex("00000000"           // number
                                                        "00000002" "041c"    // "М"
                                                        "00000002"           // 2 rows
                                                        "00000002" "0063"
                                                        "00000002" "0062");
        QCOMPARE(bytes.toHex(), expected.toHex());

        // reading makes the rows, announcing each count, then selects the methods
        CMethodsSet target(nullptr, 0, QStringLiteral("М"), {QStringLiteral("a"), "b", "c"});
        SignalLog log(&target);
        {
            QDataStream in(QByteArray::fromHex("00000000" "00000002" "041c" "00000003"
                                               "00000002" "0063"
                                               "00000006" "0078" "0079" "007a"
                                               "00000002" "0061"));
            in.setVersion(QDataStream::Qt_4_6);
            in >> target;
            QCOMPARE(in.status(), QDataStream::Ok);
        }
        QCOMPARE(log.lst.filter("count"), QStringList({"count:2", "count:3"}));
        QVERIFY(log.lst.contains(QStringLiteral("selected")));
        QVERIFY(log.lst.indexOf(QStringLiteral("count:3")) <
                log.lst.indexOf(QStringLiteral("selected")));
        // a stored text that is not a method leaves the row on the one it was made with
        QCOMPARE(target.currentTexts(), QStringList({"c", "b", "a"}));

        // a record cut short, or a count the bytes cannot hold, is not applied
        const QByteArray lstDamaged[] = {
            QByteArray::fromHex("00000000" "00000002" "041c" "00000002" "00000002" "0061"),
            QByteArray::fromHex("00000000" "00000002" "041c" "ffffffff")};
        for (const QByteArray& damaged : lstDamaged) {
            QDataStream in(damaged);
            in.setVersion(QDataStream::Qt_4_6);
            in >> target;
            QVERIFY(in.status() != QDataStream::Ok);
            QCOMPARE(target.subItemCount(), 3);
        }
    }
};

QTEST_MAIN(TestMethodsSet)
#include "tst_methodsset.moc"
