#include "refdata/measuringtool.h"

#include "base/constants.h"
#include "refdata/widgettool.h"
#include "storage/referencelists.h"

#include <QDataStream>
#include <QLabel>
#include <QPushButton>
#include <new>

namespace {
constexpr int g_iGap = 10;
} // namespace

CMeasuringTool::CMeasuringTool(int iNum, const QString& sName, CReferenceLists* pLists,
                               QWidget* pParent)
    : CReportItemWidget(pParent), pLists(pLists) {
    setObjectName(QStringLiteral("CMeasuringTool"));
    setWindowTitle(QStringLiteral("Form"));
    resize(1000, 180);
    setMinimumSize(1000, 180);
    setPointSize(this, 12);

    lbl_title = new QLabel(QStringLiteral("Приборы и оборудование:"), this);
    placeFixed(lbl_title, QStringLiteral("lbl_title"), 50, 0, 600, 30);
    lbl_num = new QLabel(this);
    placeFixed(lbl_num, QStringLiteral("lbl_num"), 0, 0, 40, 30);
    lbl_num->setAlignment(Qt::AlignCenter);
    btn_delDevice = new QPushButton(QStringLiteral("Удалить прибор"), this);
    placeFixed(btn_delDevice, QStringLiteral("btn_delDevice"), 220, 140, 200, 30);
    btn_addDevice = new QPushButton(QStringLiteral("Добавить прибор"), this);
    placeFixed(btn_addDevice, QStringLiteral("btn_addDevice"), 10, 140, 200, 30);
    wgt_tool = new CWidgetTool(this, QString(), pLists);
    wgt_tool->setObjectName(QStringLiteral("wgt_tool"));
    wgt_tool->setGeometry(0, 40, 1000, 90);

    connect(btn_addDevice, &QPushButton::clicked, this, &CMeasuringTool::slot_addDevice);
    connect(btn_delDevice, &QPushButton::clicked, this, &CMeasuringTool::slot_deleteDevice);
    lstPanels.append(wgt_tool);
    setNumber(iNum);
    setName(sName);
    iLetter = 0;
    wgt_tool->setIndexText(nextLetter());
    updateButtons();
}

void CMeasuringTool::setNumber(int iNum) {
    iNumber = iNum;
    lbl_num->setText(QString::number(iNum));
}

void CMeasuringTool::setName(const QString& sName) {
    sItemName = sName;
    lbl_title->setText(sName);
}

QString CMeasuringTool::nextLetter() {
    const QString sLetter = g_sLetters.mid(iLetter, 1);
    iLetter = (iLetter + 1) % g_sLetters.size();
    return sLetter + QLatin1Char('.');
}

void CMeasuringTool::updateButtons() {
    btn_delDevice->setVisible(lstPanels.size() >= 2);
    btn_addDevice->setEnabled(lstPanels.size() < iMaxPanels);
}

void CMeasuringTool::moveButtonsTo(int y) {
    btn_addDevice->move(btn_addDevice->x(), y);
    btn_delDevice->move(btn_delDevice->x(), y);
}

void CMeasuringTool::slot_addDevice() {
    if (lstPanels.size() >= iMaxPanels)
        return;
    const QRect last = lstPanels.last()->geometry();
    auto pPanel = new (std::nothrow) CWidgetTool(this, nextLetter(), pLists);
    if (!pPanel)
        return;
    pPanel->setProtocolDate(dtProtocol);
    resize(width(), height() + last.height() + g_iGap);
    emit widgetHeightChanged();
    pPanel->setGeometry(last.x(), last.y() + last.height() + g_iGap, last.width(), last.height());
    pPanel->show();
    moveButtonsTo(btn_addDevice->y() + last.height() + g_iGap);
    lstPanels.append(pPanel);
    updateButtons();
}

void CMeasuringTool::slot_deleteDevice() {
    if (lstPanels.size() < 2)
        return; // the first panel always stays
    CWidgetTool* pLast = lstPanels.last();
    const QRect last = pLast->geometry();
    resize(width(), height() - last.height() - g_iGap);
    emit widgetHeightChanged();
    lstPanels.removeLast();
    delete pLast;
    moveButtonsTo(last.y());
    // the letter goes back one, across the wrap from "a." to "z." too
    iLetter = (iLetter + g_sLetters.size() - 1) % g_sLetters.size();
    updateButtons();
}

void CMeasuringTool::setProtocolDate(const QDate& dt) {
    dtProtocol = dt;
    for (CWidgetTool* pPanel : std::as_const(lstPanels))
        pPanel->setProtocolDate(dt);
}

QList<ToolEntry> CMeasuringTool::collectEntries() const {
    QList<ToolEntry> lst;
    for (const CWidgetTool* pPanel : lstPanels)
        lst.append(pPanel->currentEntry());
    return lst;
}

ToolsRecord CMeasuringTool::record() const {
    const QList<ToolEntry> lstEntries = collectEntries();
    return {iNumber, sItemName,
            withCompleteEntries(pLists ? pLists->tools() : QList<Tool>(), lstEntries), lstEntries};
}

void CMeasuringTool::setRecord(const ToolsRecord& record) {
    setNumber(record.iNum);
    setName(record.sName);
    if (record.lstEntries.isEmpty())
        return;
    while (lstPanels.size() < record.lstEntries.size())
        slot_addDevice();
    while (lstPanels.size() > record.lstEntries.size())
        slot_deleteDevice();
    for (int i = 0; i < lstPanels.size(); ++i)
        lstPanels[i]->setEntry(record.lstEntries[i]);
}
