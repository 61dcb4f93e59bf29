#include "refdata/panelinput.h"

#include "base/constants.h"
#include "items/linevalidator.h"

#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

namespace {
// The completer of every panel's editor: it offers the entries of the box
// being typed in. A line edit listens to its completer only while it has
// the focus, so one serves them all; a form makes many panels, and a
// completer of each costs more than the rest of one.
QCompleter* panelCompleter() {
    static QPointer<QCompleter> s_pCompleter;
    if (!s_pCompleter) {
        s_pCompleter = new QCompleter(QCoreApplication::instance());
        s_pCompleter->setCaseSensitivity(Qt::CaseSensitive);
        s_pCompleter->setCompletionMode(QCompleter::InlineCompletion);
    }
    return s_pCompleter;
}

// The editor of a panel's box.
class CPanelLineEdit : public QLineEdit {
public:
    explicit CPanelLineEdit(QComboBox* pBox) : QLineEdit(pBox), pBox(pBox) {
        setCompleter(panelCompleter());
        keepOneLine(this);
    }

protected:
    void focusInEvent(QFocusEvent* pEvent) override {
        if (completer() && completer()->model() != pBox->model())
            completer()->setModel(pBox->model());
        QLineEdit::focusInEvent(pEvent);
    }
    // A box showing a stored entry takes no text: a click opens its list,
    // as on a box without editor. The list opens on the release: opened on
    // the press, it would take the release for a choice and close at once.
    void mousePressEvent(QMouseEvent* pEvent) override {
        if (isReadOnly() && pEvent->button() == Qt::LeftButton) {
            pEvent->accept();
            return;
        }
        QLineEdit::mousePressEvent(pEvent);
    }
    void mouseReleaseEvent(QMouseEvent* pEvent) override {
        if (isReadOnly() && pEvent->button() == Qt::LeftButton) {
            if (rect().contains(pEvent->position().toPoint()))
                pBox->showPopup();
            pEvent->accept();
            return;
        }
        QLineEdit::mouseReleaseEvent(pEvent);
    }

private:
    QComboBox* pBox;
};
} // namespace

void setBoxEditable(QComboBox* pBox, bool bEditable) {
    // the box keeps its editor: making and dropping one at every choice
    // costs more than the rest of a panel
    if (!pBox->isEditable())
        pBox->setLineEdit(new CPanelLineEdit(pBox));
    pBox->lineEdit()->setReadOnly(!bEditable);
}

bool isBoxEditable(const QComboBox* pBox) {
    return pBox->lineEdit() && !pBox->lineEdit()->isReadOnly();
}

void refillWithBlank(QComboBox* pBox, const QStringList& lstTexts) {
    pBox->clear();
    pBox->addItem(QString());
    pBox->addItems(lstTexts);
}
