#include "items/report.h"

#include "items/fontfit.h"
#include "items/reportitemwidget.h"
#include "items/spellchecker.h"
#include "items/spellhighlighter.h"

#include <QCheckBox>
#include <QDataStream>
#include <QLabel>
#include <QResizeEvent>
#include <QTextEdit>

namespace {
// The method shown while the conclusion gives none.
const QString g_sNoMethod = QStringLiteral("____________");
} // namespace

CReport::CReport(QWidget* pParent, const QString& sMethod, int iNum) : QWidget(pParent) {
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("CReport"));
    resize(1000, 160);
    setMinimumSize(1000, 160);
    setMaximumSize(16777215, 160);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    setWindowTitle(QStringLiteral("Form"));

    lbl_title = new QLabel(this);
    lbl_title->setObjectName(QStringLiteral("lbl_title"));
    lbl_title->setGeometry(50, 0, 600, 30);
    lbl_title->setFixedSize(600, 30);
    setPointSize(lbl_title, 12);

    tedt_description = new QTextEdit(this);
    tedt_description->setObjectName(QStringLiteral("tedt_description"));
    tedt_description->setGeometry(0, 40, 1000, 120);
    tedt_description->setMinimumSize(1000, 120);
    tedt_description->setMaximumSize(16777215, 120);
    tedt_description->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    tedt_description->setAcceptRichText(false);
    // Tab goes on to the next field, as everywhere else in the form
    tedt_description->setTabChangesFocus(true);
    new CSpellHighlighter(tedt_description, CSpellChecker::shared());
    setPointSize(tedt_description, 12);

    lbl_num = createNumberLabel(this);
    setPointSize(lbl_num, 12);

    cb_reportOn = new QCheckBox(this);
    cb_reportOn->setObjectName(QStringLiteral("cb_reportOn"));
    cb_reportOn->setGeometry(660, 0, 100, 30);
    cb_reportOn->setText(QStringLiteral("включено"));
    cb_reportOn->setChecked(true);
    setPointSize(cb_reportOn, 12);
    shrinkFontToFit(cb_reportOn);

    connect(cb_reportOn, &QCheckBox::clicked, this, &CReport::slot_switchClicked);

    setNumber(iNum);
    setMethod(sMethod);
}

void CReport::setNumber(int iNum) {
    iNumber = iNum;
    if (iNum != 0)
        lbl_num->setText(QString::number(iNum));
}

void CReport::setMethod(const QString& sMethod) {
    sMethodText = sMethod.isEmpty() ? g_sNoMethod : sMethod;
    lbl_title->setText(QStringLiteral("Заключение по результатам %1 контроля").arg(sMethodText));
    // a long method name gets a smaller font, not a cut title
    fitFontToText(lbl_title, 12);
}

QString CReport::description() const {
    return tedt_description->toPlainText();
}

void CReport::showState(bool bNewOn) {
    lbl_num->setEnabled(bNewOn);
    lbl_title->setEnabled(bNewOn);
    tedt_description->setEnabled(bNewOn);
    cb_reportOn->setChecked(bNewOn);
}

void CReport::slot_switchClicked(bool bNewOn) {
    if (bNewOn == bOn)
        return;
    showState(bNewOn);
    // the new state is held before it is announced: the conclusion reads it
    bOn = bNewOn;
    emit itemNumbersChanged(iNumber);
}

void CReport::resizeEvent(QResizeEvent* pEvent) {
    tedt_description->resize(pEvent->size().width(), tedt_description->height());
    QWidget::resizeEvent(pEvent);
}

void CReport::setRecord(const ReportRecord& record) {
    if (record.bOn != bOn) {
        showState(record.bOn);
        bOn = record.bOn;
        emit itemNumbersChanged(iNumber); // the number held before the read
    }
    setNumber(record.iNum);
    setMethod(record.sMethod);
    tedt_description->setPlainText(record.sDescription);
}
