// Spelling in the written conclusion. Guards: a misspelt word is marked
// while numbers, words with digits, abbreviations and the laboratory's
// terms are not; a suggestion from the context menu replaces the word as
// one undo step; a word added is no longer marked and is known after a
// restart; without a dictionary nothing is marked and nothing breaks.
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "items/spellchecker.h"
#include "items/spellhighlighter.h"
#include "results/conclusion.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QtTest>
#include <QtWidgets>

#include <limits>

namespace {
QStringList markedWords(QTextEdit* pEdit) {
    QStringList lst;
    for (QTextBlock block = pEdit->document()->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                lst << block.text().mid(range.start, range.length);
        }
    }
    return lst;
}

// Right-clicks the word and returns the menu that opens.
QMenu* contextMenuAt(QTextEdit* pEdit, const QString& sWord) {
    QTextCursor cursor = pEdit->document()->find(sWord);
    cursor.setPosition(cursor.selectionStart() + 1);
    const QPoint pos = pEdit->cursorRect(cursor).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, pEdit->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(pEdit->viewport(), &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// Waits for the dictionary, however long a busy machine takes to read it.
void waitForDictionary(CSpellChecker& checker) {
    checker.ensureLoading();
    QSignalSpy spy(&checker, &CSpellChecker::dictionaryChanged);
    while (!checker.isReady())
        spy.wait(std::numeric_limits<int>::max());
}

QStringList texts(const QMenu* pMenu) {
    QStringList lst;
    for (const QAction* pAction : pMenu->actions())
        lst << pAction->text();
    return lst;
}
} // namespace

class TestSpelling : public QObject {
    Q_OBJECT
private slots:
    void conclusionTextIsChecked() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        form.resize(1200, form.height());
        form.show();
        // a new protocol and a document opened keep the laboratory's words
        // where they were
        QVERIFY(form.controller().writeProtocol(dir.filePath("a.rpt")));
        QVERIFY(form.controller().newProtocol());
        QVERIFY(form.controller().openDocument(dir.filePath("a.rpt")));
        auto pEdit = form.conclusions().first()->findChild<QTextEdit*>("tedt_description");
        waitForDictionary(CSpellChecker::shared());
        typeText(pEdit, "Обнаружен непровар и несплавления 12 мм, ошибкка в шве СС-3 стали 17Г1С "
                        "по ВИК и UT; дефектограммы приложены. Ещё квазищуп.");
        QCOMPARE(markedWords(pEdit), QStringList({"ошибкка", "квазищуп"}));

        QMenu* pMenu = contextMenuAt(pEdit, "ошибкка");
        QVERIFY(pMenu);
        const QStringList lstItems = texts(pMenu);
        QCOMPARE(lstItems.first(), QStringLiteral("ошибка"));
        const int iAdd = int(lstItems.indexOf("Добавить в словарь"));
        QVERIFY(iAdd >= 1 && iAdd <= CSpellChecker::iMaxSuggestions && lstItems.size() > iAdd + 2);
        pMenu->actions().first()->trigger();
        pMenu->close();
        QVERIFY(pEdit->toPlainText().contains(", ошибка в шве"));
        QTest::keyClick(pEdit, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(pEdit->toPlainText().contains(", ошибкка в шве"));

        pMenu = contextMenuAt(pEdit, "квазищуп");
        pMenu->actions().value(texts(pMenu).indexOf("Добавить в словарь"))->trigger();
        pMenu->close();
        QCOMPARE(markedWords(pEdit), QStringList({"ошибкка"}));
        QFile words(dir.filePath("dictionary.txt"));
        QVERIFY(words.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(words.readAll()), QStringLiteral("квазищуп\n"));
        // a program started afterwards knows it
        CSpellChecker restarted(CSpellChecker::sSystemDictionaryDir);
        restarted.setUserDictionary(dir.filePath("dictionary.txt"));
        waitForDictionary(restarted);
        QVERIFY(restarted.isCorrect("квазищуп") && !restarted.isCorrect("ошибкка"));
        // a word that cannot be written is known for now, and the user is told
        QVERIFY(words.remove() && QDir(dir.path()).mkdir("dictionary.txt"));
        pMenu = contextMenuAt(pEdit, "ошибкка");
        pMenu->actions().value(texts(pMenu).indexOf("Добавить в словарь"))->trigger();
        pMenu->close();
        QVERIFY(markedWords(pEdit).isEmpty());
        QVERIFY(dialogs.texts().last().startsWith("Слово «ошибкка» известно до конца работы "
                                                  "программы, но не записано в словарь: ") &&
                dialogs.texts().last().contains(dir.filePath("dictionary.txt")));
    }

    // Which words are looked at, and how a compound is judged.
    void wordRules_data() {
        QTest::addColumn<QString>("sWord");
        QTest::addColumn<bool>("bCorrect");
        QTest::newRow("misspelt") << "ошибкка" << false;
        QTest::newRow("capitalised, misspelt") << "Ошибкка" << false;
        QTest::newRow("compound") << "сварочно-монтажный" << true;
        QTest::newRow("compound of a term") << "непровар-трещина" << true;
        QTest::newRow("compound, one part misspelt") << "сварочно-монтажныйй" << false;
        QTest::newRow("abbreviation") << "ВИКК" << true;
        QTest::newRow("one capital letter is a word") << "Ъ" << false;
        QTest::newRow("digits") << "17Г1СС" << true;
        QTest::newRow("number in a compound") << "СС-33" << true;
        QTest::newRow("Latin") << "UTT" << true;
        QTest::newRow("Latin and Cyrillic") << "Uошибкка" << true;
    }
    void wordRules() {
        QFETCH(QString, sWord);
        QFETCH(bool, bCorrect);
        static CSpellChecker checker(CSpellChecker::sSystemDictionaryDir);
        waitForDictionary(checker);
        QCOMPARE(checker.isCorrect(sWord), bCorrect);
    }

    void withoutDictionaryNothingIsMarked() {
        QTemporaryDir dir;
        CSpellChecker checker(dir.path());
        QTextEdit edit;
        new CSpellHighlighter(&edit, checker);
        edit.show();
        typeText(&edit, "ошибкка");
        QVERIFY(!checker.hasDictionary() && markedWords(&edit).isEmpty());
        QMenu* pMenu = contextMenuAt(&edit, "ошибкка");
        QVERIFY(pMenu && !texts(pMenu).contains("Добавить в словарь"));
        pMenu->close();
    }
};

QTEST_MAIN(TestSpelling)
#include "tst_spelling.moc"
