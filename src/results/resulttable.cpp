#include "results/resulttable.h"

#include "items/fontfit.h"
#include "items/reportitemwidget.h"
#include "results/askformtable.h"
#include "results/reporttable.h"

#include <QDataStream>
#include <QLabel>
#include <QResizeEvent>

CResultTable::CResultTable(QWidget* pParent, const QString& sMethodText, int iNum)
    : QWidget(pParent), iNumber(iNum) {
    setObjectName(QStringLiteral("CResultTable"));
    resize(1000, 220);
    setMinimumSize(1000, 220);
    setMaximumSize(16777215, 540);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);

    lbl_num = new QLabel(this);
    lbl_num->setObjectName(QStringLiteral("lbl_num"));
    lbl_num->setGeometry(0, 0, 40, 30);
    lbl_num->setFixedSize(40, 30);
    lbl_num->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    lbl_title = new QLabel(this);
    lbl_title->setObjectName(QStringLiteral("lbl_title"));
    lbl_title->setGeometry(50, 0, 400, 30);
    lbl_title->setFixedSize(400, 30);

    for (QLabel* pLabel : {lbl_num, lbl_title}) {
        QFont font = pLabel->font();
        font.setPointSize(12);
        pLabel->setFont(font);
    }

    wgt_table = new CReportTable(this);
    wgt_table->setObjectName(QStringLiteral("wgt_table"));
    wgt_table->setGeometry(0, 40, 1000, 190);
    wgt_table->setMinimumSize(1000, 180);
    wgt_table->setMaximumSize(16777215, 490);
    wgt_table->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);

    wgt_ask_formTable = new CAskFormTable(this);
    wgt_ask_formTable->setGeometry(480, 0, 520, 30);
    wgt_ask_formTable->setMinimumSize(520, 30);
    wgt_ask_formTable->setMaximumSize(16777215, 30);
    wgt_ask_formTable->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    if (iNumber != 0)
        lbl_num->setText(QString::number(iNumber));
    setMethod(sMethodText);

    connect(wgt_table, &CReportTable::preferredHeightChanged, this,
            &CResultTable::slot_preferredHeightChanged);
    connect(wgt_ask_formTable, &CAskFormTable::loadResTable, this, &CResultTable::loadResultsTable);

    // No other method is offered yet.
    wgt_ask_formTable->hide();
}

void CResultTable::setNumber(int n) {
    iNumber = n;
    if (n != 0)
        lbl_num->setText(QString::number(n));
}

void CResultTable::setMethod(const QString& s) {
    sMethod = s.isEmpty() ? QStringLiteral("____________") : s;
    lbl_title->setText(QStringLiteral("Результаты %1 контроля").arg(sMethod));
    // a long method name gets a smaller font, not a cut title
    fitFontToText(lbl_title, 12);
}

void CResultTable::setMethodsList(const QStringList& list) {
    lstMethods = list;
    wgt_ask_formTable->setMethods(lstMethods);
    wgt_ask_formTable->setVisible(!lstMethods.isEmpty());
}

void CResultTable::getData(int& iRows, int& iColumns, QStringList& lstTitles,
                           QStringList& lstCells) const {
    iRows = wgt_table->rowCount();
    iColumns = wgt_table->columnCount();
    wgt_table->columnTitles(lstTitles);
    wgt_table->cellTexts(lstCells);
}

void CResultTable::setData(int iRows, int iColumns, const QStringList& lstTitles,
                           const QStringList& lstCells) {
    wgt_table->setRowCount(iRows);
    wgt_table->setColumnCount(iColumns);
    wgt_table->setColumnTitles(lstTitles);
    wgt_table->setCellTexts(lstCells);
}

bool CResultTable::hasText() const {
    return wgt_table->hasText();
}

void CResultTable::slot_preferredHeightChanged(int iHeight) {
    const int h0 = height();
    resize(width(), iHeight + 40);
    wgt_table->setGeometry(0, 40, width(), iHeight);
    emit tableHeightChanged(iHeight + 40, iHeight + 40 - h0);
}

void CResultTable::resizeEvent(QResizeEvent* pEvent) {
    const int iWidth = pEvent->size().width();
    // The panel is kept in step also while hidden, so that it has the right
    // width when other methods come to be offered.
    wgt_ask_formTable->resize(iWidth - wgt_ask_formTable->x(), wgt_ask_formTable->height());
    wgt_table->resize(iWidth, wgt_table->height());
    QWidget::resizeEvent(pEvent);
}

ResultsRecord CResultTable::record() const {
    return {iNumber, sMethod, lstMethods, wgt_table->record()};
}

void CResultTable::setRecord(const ResultsRecord& record) {
    iNumber = record.iNum;
    if (iNumber != 0)
        lbl_num->setText(QString::number(iNumber));
    setMethod(record.sMethod);
    setMethodsList(record.lstOffered);
    wgt_table->setRecord(record.table);
}
