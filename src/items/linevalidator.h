#pragma once

#include <QValidator>

class QComboBox;
class QLineEdit;

// A one-line field takes no control characters: a protocol number, a name
// or a caption typed or pasted loses every character below U+0020 (a tab, a
// line feed), so that none reaches the file name, the journal or the print.
class CLineValidator : public QValidator {
    Q_OBJECT
public:
    explicit CLineValidator(QObject* pParent = nullptr) : QValidator(pParent) {}

    State validate(QString& sInput, int& iPos) const override;
    void fixup(QString& sInput) const override;

    // The text without its control characters.
    static QString oneLine(const QString& sText);
};

// Gives the field a validator of its own that keeps it to one line.
void keepOneLine(QLineEdit* pEdit);
// The same for the editor of an editable combo box, when it has one now.
void keepOneLine(QComboBox* pBox);
