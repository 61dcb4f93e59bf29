#pragma once

#include <QSyntaxHighlighter>

class CSpellChecker;
class QMenu;
class QTextEdit;

// Underlines with a red wave the words of a text the spell checker does not
// know, paragraph by paragraph as they change, and puts up to five
// suggestions and "Добавить в словарь" at the top of the text's context
// menu for a word so marked.
class CSpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    CSpellHighlighter(QTextEdit* pEdit, CSpellChecker& checker);

    // The text's context menu for a click at pos (viewport coordinates):
    // the suggestions for the marked word there first, then the usual entries.
    QMenu* createContextMenu(const QPoint& pos);

protected:
    void highlightBlock(const QString& sText) override;

private:
    QTextEdit* pEdit;
    CSpellChecker& checker;
};
