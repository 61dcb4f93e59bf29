#include "refdata/widgettool.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "items/dateeditheir.h"
#include "items/fontfit.h"
#include "items/linevalidator.h"
#include "items/reportitemwidget.h"
#include "refdata/panelinput.h"
#include "storage/referencelists.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

CWidgetTool::CWidgetTool(QWidget* pParent, const QString& sIndex, CReferenceLists* pLists)
    : QWidget(pParent), pLists(pLists) {
    buildForm();
    setIndexText(sIndex);
    refillTools();
    if (pLists)
        connect(pLists, &CReferenceLists::listsChanged, this, &CWidgetTool::listsChanged);
    for (QWidget* pWidget : {static_cast<QWidget*>(cmb_tools), static_cast<QWidget*>(cmb_numbers),
                             static_cast<QWidget*>(dedt_validity)})
        pWidget->installEventFilter(this);
}

void CWidgetTool::buildForm() {
    setObjectName(QStringLiteral("CWidgetTool"));
    setWindowTitle(QStringLiteral("Form"));
    setFixedSize(1000, 90);

    grpb_tool = new QGroupBox(this);
    grpb_tool->setObjectName(QStringLiteral("grpb_tool"));
    grpb_tool->setGeometry(0, 0, 1000, 90);
    setPointSize(grpb_tool, 12);

    auto place = [](QWidget* pWidget, const char* pName, int x, int y, int w, int h) {
        pWidget->setObjectName(QString::fromLatin1(pName));
        pWidget->setGeometry(x, y, w, h);
        pWidget->setFixedSize(w, h);
    };
    auto label = [&](const char* pName, const QString& sText, int x, int y, int w) {
        auto pLabel = new QLabel(sText, grpb_tool);
        place(pLabel, pName, x, y, w, 30);
        pLabel->setAlignment(Qt::AlignCenter);
        return pLabel;
    };
    auto box = [&](const char* pName, int x, int w) {
        auto pBox = new QComboBox(grpb_tool);
        place(pBox, pName, x, 10, w, 30);
        setBoxEditable(pBox, true);
        pBox->setInsertPolicy(QComboBox::InsertAtBottom);
        pBox->setFocusPolicy(Qt::StrongFocus);
        return pBox;
    };

    cmb_tools = box("cmb_tools", 220, 500);
    lbl_device = label("lbl_device", QStringLiteral("Название:"), 60, 10, 150);
    lbl_title = label("lbl_title", QStringLiteral("Номер свидетельства о "), 10, 50, 250);
    rbtn_checking = new QRadioButton(QStringLiteral("поверке"), grpb_tool);
    place(rbtn_checking, "rbtn_checking", 270, 50, 120, 30);
    rbtn_checking->setChecked(true);
    rbtn_calibration = new QRadioButton(QStringLiteral("калибровке"), grpb_tool);
    place(rbtn_calibration, "rbtn_calibration", 400, 50, 120, 30);
    dedt_validity = new CDateEditHeir(grpb_tool);
    place(dedt_validity, "dedt_validity", 870, 50, 120, 30);
    dedt_validity->setFocusPolicy(Qt::StrongFocus);
    lbl_validity = label("lbl_validity", QStringLiteral("действительно до"), 710, 50, 150);
    edt_certNumber = new QLineEdit(grpb_tool);
    place(edt_certNumber, "edt_certNumber", 530, 50, 150, 30);
    edt_certNumber->setFocusPolicy(Qt::StrongFocus);
    keepOneLine(edt_certNumber);
    cmb_numbers = box("cmb_numbers", 840, 150);
    lbl_deviceNumber = label("lbl_deviceNumber", QStringLiteral("№"), 770, 10, 60);
    lbl_index = label("lbl_index", QString(), 10, 10, 40);
    btn_deleteItem = new QToolButton(grpb_tool);
    place(btn_deleteItem, "btn_deleteItem", 730, 15, 20, 20);
    btn_deleteItem->setText(QStringLiteral("-"));
    btn_deleteItem->setFocusPolicy(Qt::ClickFocus);
    // fixed-width texts stay readable with wider fonts
    for (QWidget* pWidget :
         {static_cast<QWidget*>(lbl_title), static_cast<QWidget*>(lbl_validity),
          static_cast<QWidget*>(rbtn_checking), static_cast<QWidget*>(rbtn_calibration)})
        shrinkFontToFit(pWidget);

    connect(cmb_tools, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CWidgetTool::slot_cmb_tools_indexChanged);
    connect(cmb_numbers, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CWidgetTool::slot_cmb_numbers_indexChanged);
    connect(btn_deleteItem, &QToolButton::clicked, this, &CWidgetTool::slot_btn_deleteItem_clicked);
    // the validity mark follows the date and the instrument named
    connect(dedt_validity, &QDateEdit::dateChanged, this, &CWidgetTool::updateValidityMark);
    connect(cmb_tools, &QComboBox::editTextChanged, this, &CWidgetTool::updateValidityMark);
    connect(cmb_tools, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CWidgetTool::updateValidityMark);
}

void CWidgetTool::setProtocolDate(const QDate& dt) {
    dtProtocol = dt;
    updateValidityMark();
}

EValidity CWidgetTool::validity() const {
    return validityAt(normalisedValidity(dedt_validity->date()), dtProtocol,
                      !cmb_tools->currentText().isEmpty());
}

void CWidgetTool::updateValidityMark() {
    showValidity(dedt_validity, validity(), dedt_validity->date());
}

void CWidgetTool::setIndexText(const QString& sIndex) {
    sIndexText = sIndex;
    lbl_index->setText(sIndex);
}

void CWidgetTool::listsChanged(int iFiles) {
    if (!(iFiles & eToolsFile))
        return;
    const ToolEntry entry = currentEntry();
    refillTools();
    setEntry(entry);
}

Tool CWidgetTool::chosenTool() const {
    const Tool* p =
        pLists && cmb_tools->currentIndex() > 0 ? pLists->tool(cmb_tools->currentText()) : nullptr;
    return p ? *p : Tool();
}

void CWidgetTool::refillTools() {
    QStringList lstNames;
    if (pLists) {
        for (const Tool& tool : pLists->tools())
            lstNames.append(tool.sName);
    }
    refillWithBlank(cmb_tools, lstNames);
}

void CWidgetTool::refillNumbers() {
    QStringList lstNumbers;
    for (const Device& device : chosenTool().lstDevices)
        lstNumbers.append(device.sNumber);
    refillWithBlank(cmb_numbers, lstNumbers);
}

ToolEntry CWidgetTool::currentEntry() const {
    ToolEntry entry;
    entry.sToolName = cmb_tools->currentText();
    entry.sNumber = cmb_numbers->currentText();
    entry.sCertNumber = edt_certNumber->text();
    entry.dtValidity = normalisedValidity(dedt_validity->date());
    entry.bVerification = rbtn_checking->isChecked();
    return entry;
}

void CWidgetTool::setEntry(const ToolEntry& entry) {
    const int iTool =
        entry.sToolName.isEmpty() || !pLists ? -1 : toolIndex(pLists->tools(), entry.sToolName);
    if (iTool < 0) {
        cmb_tools->setCurrentIndex(0);
        cmb_tools->setEditText(entry.sToolName);
        showTypedDevice(entry);
        return;
    }
    if (cmb_tools->currentIndex() != iTool + 1)
        cmb_tools->setCurrentIndex(iTool + 1); // refills the serial numbers
    const Tool tool = chosenTool();
    refillNumbers();
    const int iDevice = deviceIndex(tool, entry.sNumber);
    if (iDevice >= 0 && tool.lstDevices[iDevice] == Device::fromEntry(entry))
        cmb_numbers->setCurrentIndex(iDevice + 1);
    else
        showTypedDevice(entry);
}

void CWidgetTool::showTypedDevice(const ToolEntry& entry) {
    cmb_numbers->setCurrentIndex(0);
    cmb_numbers->setEditText(entry.sNumber);
    edt_certNumber->setText(entry.sCertNumber);
    dedt_validity->setDate(entry.dtValidity.isValid() ? entry.dtValidity : g_dtDefault);
    (entry.bVerification ? rbtn_checking : rbtn_calibration)->setChecked(true);
}

void CWidgetTool::selectStored() {
    setEntry(currentEntry());
}

void CWidgetTool::resetCertificate() {
    rbtn_checking->setChecked(true);
    edt_certNumber->clear();
    dedt_validity->setDate(g_dtDefault);
}

void CWidgetTool::showDevice(const Device& device) {
    (device.bVerification ? rbtn_checking : rbtn_calibration)->setChecked(true);
    edt_certNumber->setText(device.sCertNumber);
    dedt_validity->setDate(device.dtValidity.isValid() ? device.dtValidity : g_dtDefault);
}

void CWidgetTool::slot_cmb_tools_indexChanged(int index) {
    if (index < 0)
        return;
    if (index == 0) {
        refillNumbers();
        cmb_numbers->setCurrentIndex(0);
        setBoxEditable(cmb_tools, true);
        btn_deleteItem->hide();
        return;
    }
    const int iStored = pLists ? int(pLists->tools().size()) : 0;
    if (index + 1 == cmb_tools->count() && iStored < cmb_tools->count() - 1) {
        // a new instrument name was just entered: it joins the laboratory's
        // list once the box is done with the Enter, and the panel shows it
        // chosen from there
        ToolEntry entry = currentEntry();
        entry.sToolName = cmb_tools->itemText(index);
        QTimer::singleShot(0, this, [this, entry] {
            if (pLists)
                pLists->addTool(Tool::fromEntry(entry));
            setEntry(entry);
        });
    } else {
        refillNumbers();
    }
    setBoxEditable(cmb_tools, false);
    btn_deleteItem->setToolTip(g_sDeleteReferenceTip.arg(cmb_tools->itemText(index)));
    btn_deleteItem->show();
}

void CWidgetTool::slot_cmb_numbers_indexChanged(int index) {
    if (index < 0)
        return;
    if (index == 0) {
        setBoxEditable(cmb_numbers, true);
        resetCertificate();
        return;
    }
    const Tool tool = chosenTool();
    if (cmb_tools->currentIndex() == 0 ||
        (index + 1 == cmb_numbers->count() && tool.lstDevices.size() < cmb_numbers->count() - 1)) {
        // a serial number not stored, or just entered: it stays typed, with
        // its certificate, until a save takes the complete entry in
        ToolEntry entry = currentEntry();
        entry.sNumber = cmb_numbers->itemText(index);
        refillNumbers();
        showTypedDevice(entry);
        return;
    }
    showDevice(tool.lstDevices.value(index - 1));
    setBoxEditable(cmb_numbers, false);
}

void CWidgetTool::slot_btn_deleteItem_clicked() {
    const int k = cmb_tools->currentIndex();
    if (k <= 0 || k >= cmb_tools->count() || !pLists)
        return;
    // the instrument asked about, named: the lists may change while the
    // question is open, and the answer is about this one
    const QString sName = cmb_tools->itemText(k);
    if (!CUserDialogs::confirm(this, g_sDeleteReferenceTitle,
                               g_sDeleteReferenceQuestion.arg(sName)))
        return;
    // the blank entry first: no other instrument is ever chosen for the user
    cmb_tools->setCurrentIndex(0);
    cmb_tools->setEditText(QString());
    pLists->deleteTool(sName);
}

bool CWidgetTool::isEntryBox(const QObject* pObject) const {
    return pObject == cmb_tools || pObject == cmb_numbers;
}

bool CWidgetTool::leaveEntryBox(QObject* pBox, QEvent* pEvent) {
    const ToolEntry left = currentEntry();
    bLeaving = true;
    QCoreApplication::sendEvent(pBox, pEvent);
    bLeaving = false;
    const bool bTextsKept =
        left.sToolName == entryOnEnter.sToolName && left.sNumber == entryOnEnter.sNumber;
    if (bTextsKept && currentEntry() != left)
        setEntry(left);
    return true;
}

bool CWidgetTool::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::Wheel &&
        (pWatched == cmb_tools || pWatched == cmb_numbers || pWatched == dedt_validity)) {
        // the wheel scrolls the form instead of changing a value
        pEvent->ignore();
        return true;
    }
    if (isEntryBox(pWatched) && pEvent->type() == QEvent::FocusIn)
        entryOnEnter = currentEntry();
    if (isEntryBox(pWatched) && pEvent->type() == QEvent::FocusOut && !bLeaving)
        return leaveEntryBox(pWatched, pEvent);
    return QWidget::eventFilter(pWatched, pEvent);
}
