#include "results/conclusion.h"

#include "document/methodvocabulary.h"

#include "items/fontfit.h"
#include "items/report.h"
#include "items/reportitemwidget.h"
#include "results/resulttable.h"
#include "storage/referencelists.h"

#include <QDataStream>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>
#include <new>

namespace {
constexpr int g_iGap = 10;
} // namespace

CConclusion::CConclusion(QWidget* pParent, CReferenceLists* pLists)
    : QWidget(pParent), pLists(pLists) {
    setObjectName(QStringLiteral("CConclusion"));
    resize(1000, 590);
    setMinimumSize(1000, 590);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);

    wgt_table = new CResultTable(this, QString(), 0);
    wgt_table->setObjectName(QStringLiteral("wgt_table"));
    wgt_table->setGeometry(0, 0, 1000, 220);
    wgt_report = new CReport(this, QString(), 0);
    wgt_report->setObjectName(QStringLiteral("wgt_report"));
    wgt_report->setGeometry(0, 230, 1000, 160);
    wgt_specialist = new CWidgetSpecial(this, pLists, QString(), eControlerAndAuthor, true, 0);
    wgt_specialist->setObjectName(QStringLiteral("wgt_specialist"));
    wgt_specialist->setGeometry(0, 400, 1000, 140);

    btn_addTechnician = new QPushButton(QStringLiteral("Добавить специалиста"), this);
    placeFixed(btn_addTechnician, QStringLiteral("btn_addTechnician"), 10, 550, 200, 30);
    btn_delTechnician = new QPushButton(QStringLiteral("Удалить специалиста"), this);
    placeFixed(btn_delTechnician, QStringLiteral("btn_delTechnician"), 220, 550, 200, 30);
    btn_delTechnician->setEnabled(false);
    shrinkFontToFit(btn_addTechnician);
    shrinkFontToFit(btn_delTechnician);

    lstPanels.append(wgt_specialist);
    connectPanel(wgt_specialist);
    connect(wgt_table, &CResultTable::tableHeightChanged, this,
            &CConclusion::slot_tableHeightChanged);
    connect(wgt_table, &CResultTable::loadResultsTable, this, &CConclusion::slot_loadResultsTable);
    connect(wgt_report, &CReport::itemNumbersChanged, this, &CConclusion::slot_itemNumbersChanged);
    connect(btn_addTechnician, &QPushButton::clicked, this, &CConclusion::slot_addTechnician);
    connect(btn_delTechnician, &QPushButton::clicked, this, &CConclusion::slot_deleteTechnician);
}

void CConclusion::connectPanel(CWidgetSpecial* pPanel) {
    connect(pPanel, &CWidgetSpecial::specPositionChanged, this,
            &CConclusion::slot_specPositionChanged);
}

void CConclusion::setNumber(int n) {
    wgt_table->setNumber(n);
    wgt_report->setNumber(n + 1);
    wgt_specialist->setNumber(wgt_report->isOn() ? n + 2 : n + 1);
    for (CWidgetSpecial* pPanel : std::as_const(lstPanels)) {
        if (pPanel != wgt_specialist)
            pPanel->setNumber(0);
    }
}

int CConclusion::number() const {
    return wgt_table->number();
}

int CConclusion::specialistNumber() const {
    return wgt_specialist->number();
}

void CConclusion::setMethod(const QString& sGenitive, const QString& sDative) {
    sDativeMethod = sDative;
    wgt_table->setMethod(sGenitive);
    wgt_report->setMethod(sGenitive);
    for (CWidgetSpecial* pPanel : std::as_const(lstPanels))
        pPanel->setMethod(sDativeMethod);
}

void CConclusion::setMethodsList(const QStringList& list) {
    wgt_table->setMethodsList(list);
}

void CConclusion::getData(int& iRows, int& iColumns, QStringList& lstTitles,
                          QStringList& lstCells) const {
    wgt_table->getData(iRows, iColumns, lstTitles, lstCells);
}

void CConclusion::setData(int iRows, int iColumns, const QStringList& lstTitles,
                          const QStringList& lstCells) {
    wgt_table->setData(iRows, iColumns, lstTitles, lstCells);
}

void CConclusion::setProtocolDate(const QDate& dt) {
    dtProtocol = dt;
    for (CWidgetSpecial* pPanel : std::as_const(lstPanels))
        pPanel->setProtocolDate(dt);
}

QString CConclusion::nominativeMethod() const {
    const qsizetype i = methodsDative().indexOf(sDativeMethod);
    return i < 0 ? sDativeMethod : methodsNominative().at(i);
}

void CConclusion::resizeBy(int iDelta) {
    resize(width(), height() + iDelta);
    emit widgetHeightChanged();
}

void CConclusion::moveButtonsTo(int y) {
    btn_addTechnician->move(btn_addTechnician->x(), y);
    btn_delTechnician->move(btn_delTechnician->x(), y);
}

void CConclusion::updateButtons() {
    btn_delTechnician->setEnabled(lstPanels.size() > 1);
    btn_addTechnician->setEnabled(lstPanels.size() < iMaxPanels);
}

void CConclusion::slot_addTechnician() {
    if (lstPanels.size() >= iMaxPanels)
        return;
    const CWidgetSpecial* pLast = lstPanels.last();
    const QRect last = pLast->geometry();
    auto pPanel =
        new (std::nothrow) CWidgetSpecial(this, pLists, sDativeMethod, eControler, false, 0);
    if (!pPanel)
        return;
    if (wgt_specialist->isRoleLocked())
        wgt_specialist->setRoleLock(false);
    pPanel->setProtocolDate(dtProtocol);
    connectPanel(pPanel);
    resizeBy(last.height() + g_iGap);
    pPanel->setGeometry(last.x(), last.y() + last.height() + g_iGap, last.width(), last.height());
    pPanel->show();
    moveButtonsTo(btn_addTechnician->y() + last.height() + g_iGap);
    lstPanels.append(pPanel);
    updateButtons();
}

void CConclusion::slot_deleteTechnician() {
    if (lstPanels.size() < 2)
        return; // the first panel always stays
    CWidgetSpecial* pLast = lstPanels.last();
    const int y0 = pLast->y();
    resizeBy(-(pLast->height() + g_iGap));
    lstPanels.removeLast();
    delete pLast;
    if (lstPanels.size() == 1) {
        wgt_specialist->setRole(eControlerAndAuthor);
        wgt_specialist->setRoleLock(true);
    }
    moveButtonsTo(y0);
    updateButtons();
}

void CConclusion::slot_specPositionChanged(CWidgetSpecial* pSender, ERankState ePos) {
    // one head of the laboratory per conclusion
    if (ePos != eBoss)
        return;
    for (CWidgetSpecial* pPanel : std::as_const(lstPanels)) {
        if (pPanel != pSender && pPanel->role() == eBoss)
            pPanel->setRole(eControler);
    }
}

void CConclusion::slot_tableHeightChanged(int iTabHeight, int iDelta) {
    resizeBy(iDelta);
    wgt_table->setGeometry(0, 0, width(), iTabHeight);
    wgt_report->move(0, iTabHeight + g_iGap);
    int y = iTabHeight + g_iGap + wgt_report->height() + g_iGap;
    for (CWidgetSpecial* pPanel : std::as_const(lstPanels)) {
        pPanel->move(0, y);
        y += pPanel->height() + g_iGap;
    }
    moveButtonsTo(y);
}

void CConclusion::slot_loadResultsTable(const QString& sMethod) {
    emit loadResultsTable(this, sMethod);
}

void CConclusion::slot_itemNumbersChanged(int iNum) {
    wgt_specialist->setNumber(wgt_report->isOn() ? iNum + 1 : iNum);
    emit lastNumberChanged(this);
}

void CConclusion::resizeEvent(QResizeEvent* pEvent) {
    const int iWidth = pEvent->size().width();
    wgt_table->resize(iWidth, wgt_table->height());
    wgt_report->resize(iWidth, wgt_report->height());
    QWidget::resizeEvent(pEvent);
}

bool CConclusion::hasResults() const {
    return wgt_table->hasText();
}

bool CConclusion::hasNamedSpecialist() const {
    return std::any_of(lstPanels.cbegin(), lstPanels.cend(), [](const CWidgetSpecial* pPanel) {
        return !pPanel->currentEntry().sName.isEmpty();
    });
}

bool CConclusion::hasContent() const {
    return hasResults() || !wgt_report->description().isEmpty() || hasNamedSpecialist();
}

ConclusionRecord CConclusion::record() const {
    ConclusionRecord record{pLists ? pLists->technicians() : QList<Specialist>(),
                            wgt_table->record(),
                            wgt_report->record(),
                            {}};
    for (const CWidgetSpecial* pPanel : lstPanels)
        record.lstPanels.append(pPanel->record());
    return record;
}

void CConclusion::setRecord(const ConclusionRecord& record) {
    wgt_table->setRecord(record.results);
    wgt_report->setRecord(record.report);
    const int n = qBound(1, int(record.lstPanels.size()), int(iMaxPanels));
    while (lstPanels.size() < n)
        slot_addTechnician();
    while (lstPanels.size() > n)
        slot_deleteTechnician();
    for (int i = 0; i < lstPanels.size() && i < record.lstPanels.size(); ++i)
        lstPanels[i]->setRecord(record.lstPanels[i]);
}
