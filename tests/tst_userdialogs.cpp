#include "support/scripteddialogs.h"

#include <QtTest>

class TestUserDialogs : public QObject {
    Q_OBJECT
private slots:
    void scriptedAnswersAndRecords() {
        CScriptedDialogs dialogs;
        dialogs.lstAnswers << QMessageBox::No;
        QCOMPARE(CUserDialogs::question(nullptr, "t", "q"), QMessageBox::No);
        QCOMPARE(CUserDialogs::question(nullptr, "t", "q2"), QMessageBox::Yes); // default
        CUserDialogs::warning(nullptr, "w", "text");
        QCOMPARE(dialogs.texts(), QStringList({"q", "q2", "text"}));
        QCOMPARE(dialogs.lstMessages.last().eIcon, QMessageBox::Warning);
        QVERIFY(CUserDialogs::get().openFileName(nullptr, "c", "d", "f").isEmpty());
    }
};

QTEST_MAIN(TestUserDialogs)
#include "tst_userdialogs.moc"
