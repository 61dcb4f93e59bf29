#include "refdata/panelinput.h"

#include "base/constants.h"
#include "base/linevalidator.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>

QDate normalisedValidity(const QDate& dt) {
    return (!dt.isValid() || dt.year() < 2002) ? g_dtDefault : dt;
}

namespace {
// The editor of a panel's box. Its completer offers the box's entries as the
// user types, but learns them only when the editor is first entered: a form
// makes many panels, and Qt's own completer costs more than the rest of one.
class CPanelLineEdit : public QLineEdit {
public:
    explicit CPanelLineEdit(QComboBox* pBox) : QLineEdit(pBox), pBox(pBox) {
        auto pCompleter = new QCompleter(this);
        pCompleter->setCaseSensitivity(Qt::CaseSensitive);
        pCompleter->setCompletionMode(QCompleter::InlineCompletion);
        setCompleter(pCompleter);
        keepOneLine(this);
    }

protected:
    void focusInEvent(QFocusEvent* pEvent) override {
        if (!completer()->model())
            completer()->setModel(pBox->model());
        QLineEdit::focusInEvent(pEvent);
    }

private:
    QComboBox* pBox;
};
} // namespace

void setBoxEditable(QComboBox* pBox, bool bEditable) {
    if (!bEditable)
        pBox->setEditable(false);
    else if (!pBox->isEditable())
        pBox->setLineEdit(new CPanelLineEdit(pBox));
}

void refillWithBlank(QComboBox* pBox, const QStringList& lstTexts) {
    pBox->clear();
    pBox->addItem(QString());
    pBox->addItems(lstTexts);
}
