#include "items/spellhighlighter.h"

#include "base/userdialogs.h"
#include "items/spellchecker.h"

#include <QMenu>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextEdit>

namespace {
const QString g_sAddWord = QStringLiteral("Добавить в словарь");

// A word: letters and digits, with hyphens inside ("кто-то", "СС-3"); marks
// such as a stress accent belong to it.
const QRegularExpression& wordPattern() {
    static const QRegularExpression re(
        QStringLiteral("[\\p{L}\\p{M}\\p{N}]+(?:-[\\p{L}\\p{M}\\p{N}]+)*"));
    return re;
}

// A word as the dictionary spells it: without stress marks.
QString bareWord(QString sWord) {
    static const QRegularExpression reMarks(QStringLiteral("\\p{M}"));
    return sWord.remove(reMarks);
}

QTextCharFormat misspeltFormat() {
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}
} // namespace

CSpellHighlighter::CSpellHighlighter(QTextEdit* pEdit, CSpellChecker& checker)
    : QSyntaxHighlighter(pEdit->document()), pEdit(pEdit), checker(checker) {
    connect(&checker, &CSpellChecker::dictionaryChanged, this, &QSyntaxHighlighter::rehighlight);
    pEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pEdit, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* pMenu = createContextMenu(pos);
        pMenu->setAttribute(Qt::WA_DeleteOnClose);
        pMenu->popup(this->pEdit->viewport()->mapToGlobal(pos));
    });
}

void CSpellHighlighter::highlightBlock(const QString& sText) {
    if (!checker.isReady()) {
        // a text to check: the dictionary is read now, and the text looked
        // at again once it is there
        if (!sText.isEmpty())
            checker.ensureLoading();
        return;
    }
    static const QTextCharFormat format = misspeltFormat();
    for (auto it = wordPattern().globalMatch(sText); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (!checker.isCorrect(bareWord(match.captured())))
            setFormat(int(match.capturedStart()), int(match.capturedLength()), format);
    }
}

QMenu* CSpellHighlighter::createContextMenu(const QPoint& pos) {
    QMenu* pMenu = pEdit->createStandardContextMenu(pEdit->viewport()->mapToGlobal(pos));
    const QTextCursor at = pEdit->cursorForPosition(pos);
    const QTextBlock block = at.block();
    const int iColumn = at.positionInBlock();
    QRegularExpressionMatch word;
    for (auto it = wordPattern().globalMatch(block.text()); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedStart() <= iColumn && iColumn <= match.capturedEnd())
            word = match;
    }
    const QString sWord = bareWord(word.captured());
    if (sWord.isEmpty() || checker.isCorrect(sWord) || pEdit->isReadOnly())
        return pMenu;

    QAction* pFirst = pMenu->actions().value(0);
    const int iStart = block.position() + int(word.capturedStart());
    const int iEnd = block.position() + int(word.capturedEnd());
    for (const QString& sSuggestion : checker.suggestions(sWord)) {
        auto pAction = new QAction(sSuggestion, pMenu);
        connect(pAction, &QAction::triggered, this, [this, iStart, iEnd, sSuggestion] {
            // one step for Ctrl+Z
            QTextCursor cursor(document());
            cursor.setPosition(iStart);
            cursor.setPosition(iEnd, QTextCursor::KeepAnchor);
            cursor.insertText(sSuggestion);
        });
        pMenu->insertAction(pFirst, pAction);
    }
    auto pAdd = new QAction(g_sAddWord, pMenu);
    connect(pAdd, &QAction::triggered, this, [this, sWord] {
        if (!checker.addWord(sWord))
            CUserDialogs::warning(pEdit, g_sAddWord,
                                  QStringLiteral("Слово «%1» известно до конца работы программы, "
                                                 "но не записано в словарь: %2")
                                      .arg(sWord, checker.problem()));
    });
    pMenu->insertAction(pFirst, pAdd);
    pMenu->insertSeparator(pFirst);
    return pMenu;
}
