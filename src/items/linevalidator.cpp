#include "items/linevalidator.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
bool isControl(QChar ch) {
    return ch.unicode() < 0x20;
}
} // namespace

QValidator::State CLineValidator::validate(QString& sInput, int& iPos) const {
    for (qsizetype i = sInput.size() - 1; i >= 0; --i) {
        if (!isControl(sInput.at(i)))
            continue;
        sInput.remove(i, 1);
        if (i < iPos)
            --iPos;
    }
    return Acceptable;
}

void CLineValidator::fixup(QString& sInput) const {
    sInput = oneLine(sInput);
}

QString CLineValidator::oneLine(const QString& sText) {
    QString s = sText;
    s.removeIf(isControl);
    return s;
}

void keepOneLine(QLineEdit* pEdit) {
    if (pEdit && !qobject_cast<const CLineValidator*>(pEdit->validator()))
        pEdit->setValidator(new CLineValidator(pEdit));
}

void keepOneLine(QComboBox* pBox) {
    if (pBox)
        keepOneLine(pBox->lineEdit());
}
