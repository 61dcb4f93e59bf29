#include "refdata/widgetspecial.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "items/dateeditheir.h"
#include "items/fontfit.h"
#include "items/linevalidator.h"
#include "items/reportitemwidget.h"
#include "refdata/panelinput.h"
#include "storage/referencelists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {
// Qualification levels, shown by their index 0, 1, 2.
const QStringList g_lstLevels = {QStringLiteral("I"), QStringLiteral("II"), QStringLiteral("III")};
constexpr int g_iDefaultLevel = 1;

int findExact(const QComboBox* pBox, const QString& sText) {
    return pBox->findText(sText, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

QString methodLine(const QString& sMethod) {
    return QStringLiteral("по %1 методу контроля, действительно до ")
        .arg(sMethod.isEmpty() ? QStringLiteral("____________") : sMethod);
}
} // namespace

CAskDeleteSD::CAskDeleteSD() : QDialog(nullptr) {
    setObjectName(QStringLiteral("CAskDeleteSD"));
    setWindowTitle(QStringLiteral("Удаление информации о специалисте"));
    setFixedSize(300, 180);
    setPointSize(this, 12);

    lbl_title = new QLabel(QStringLiteral("Удалить:"), this);
    placeFixed(lbl_title, QStringLiteral("lbl_title"), 10, 10, 280, 30);
    lbl_title->setAlignment(Qt::AlignCenter);
    btn_delete = new QPushButton(QStringLiteral("Удалить"), this);
    placeFixed(btn_delete, QStringLiteral("btn_delete"), 30, 140, 100, 30);
    btn_escape = new QPushButton(QStringLiteral("Отмена"), this);
    placeFixed(btn_escape, QStringLiteral("btn_escape"), 170, 140, 100, 30);
    rb_delData = new QRadioButton(QStringLiteral("Данные о текущем удостоверении"), this);
    placeFixed(rb_delData, QStringLiteral("rb_delData"), 10, 50, 280, 30);
    rb_delData->setChecked(true);
    rb_delSpec = new QRadioButton(QStringLiteral("Всю информацию о специалисте"), this);
    placeFixed(rb_delSpec, QStringLiteral("rb_delSpec"), 10, 90, 280, 30);
    // the texts stay whole with wider fonts
    shrinkFontToFit(rb_delData);
    shrinkFontToFit(rb_delSpec);

    connect(btn_escape, &QPushButton::clicked, this, &QDialog::close);
    connect(btn_delete, &QPushButton::clicked, this, &CAskDeleteSD::slot_deleteClicked);
}

void CAskDeleteSD::slot_deleteClicked() {
    emit deleteData(rb_delSpec->isChecked());
}

CWidgetSpecial::CWidgetSpecial(QWidget* pParent, CReferenceLists* pLists, const QString& sMethod,
                               ERankState eRole, bool bRoleLock, int iNum)
    : QWidget(pParent), pLists(pLists), eRole(eRole) {
    buildForm();
    if (pLists)
        connect(pLists, &CReferenceLists::listsChanged, this, &CWidgetSpecial::listsChanged);
    setNumber(iNum);
    setMethod(sMethod);
    setRole(eRole);
    setRoleLock(bRoleLock);
    refillNames();
    updateSaveState();
    for (QWidget* pWidget : {static_cast<QWidget*>(cmb_name), static_cast<QWidget*>(cmb_licenseNum),
                             static_cast<QWidget*>(cmb_qual), static_cast<QWidget*>(dedt_validity)})
        pWidget->installEventFilter(this);
}

CWidgetSpecial::~CWidgetSpecial() {
    // the deletion dialog has no parent: it closes with the panel that opened it
    delete pAskDelete;
}

void CWidgetSpecial::buildForm() {
    setObjectName(QStringLiteral("CWidgetSpecial"));
    setWindowTitle(QStringLiteral("Specialist Data"));
    setFixedSize(1000, 140);
    setPointSize(this, 12);

    grpb_specialist = new QGroupBox(this);
    grpb_specialist->setObjectName(QStringLiteral("grpb_specialist"));
    grpb_specialist->setGeometry(0, 0, 1000, 140);
    grpb_specialist->setMinimumSize(1000, 140);

    auto place = [](QWidget* pWidget, const char* pName, int x, int y, int w, int h) {
        pWidget->setObjectName(QString::fromLatin1(pName));
        pWidget->setGeometry(x, y, w, h);
    };
    auto label = [&](const char* pName, const QString& sText, int x, int y, int w) {
        auto pLabel = new QLabel(sText, grpb_specialist);
        place(pLabel, pName, x, y, w, 30);
        pLabel->setAlignment(Qt::AlignCenter);
        return pLabel;
    };
    auto namedBox = [&](const char* pName, int x, int w, int iMinWidth) {
        auto pBox = new QComboBox(grpb_specialist);
        place(pBox, pName, x, 35, w, 30);
        setBoxEditable(pBox, true);
        pBox->setInsertPolicy(QComboBox::NoInsert);
        pBox->setFocusPolicy(Qt::StrongFocus);
        pBox->setMinimumSize(iMinWidth, 30);
        pBox->addItem(QString());
        return pBox;
    };

    cmb_name = namedBox("cmb_name", 120, 300, 250);
    lbl_name = label("lbl_name", QStringLiteral("Специалист"), 10, 35, 100);
    cmb_licenseNum = namedBox("cmb_licenseNum", 590, 200, 200);
    lbl_licenseNum = label("lbl_licenseNum", QStringLiteral("Удостоверение №"), 430, 35, 150);

    dedt_validity = new CDateEditHeir(grpb_specialist);
    place(dedt_validity, "dedt_validity", 700, 70, 120, 30);
    dedt_validity->setFocusPolicy(Qt::StrongFocus);

    lbl_methods = new QLabel(methodLine(QString()), grpb_specialist);
    place(lbl_methods, "lbl_methods", 120, 70, 570, 30);
    lbl_methods->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    cmb_qual = new QComboBox(grpb_specialist);
    place(cmb_qual, "cmb_qual", 940, 35, 50, 30);
    cmb_qual->setFocusPolicy(Qt::StrongFocus);
    cmb_qual->addItems(g_lstLevels);

    edt_certlab = new QLineEdit(grpb_specialist);
    place(edt_certlab, "edt_certlab", 120, 105, 700, 30);
    edt_certlab->setFixedSize(700, 30);
    edt_certlab->setFocusPolicy(Qt::StrongFocus);
    keepOneLine(edt_certlab);

    lbl_qual = label("lbl_qual", QStringLiteral("ур. квалиф-ии"), 800, 35, 130);
    lbl_certlab = label("lbl_certlab", QStringLiteral("выдано"), 10, 105, 100);

    btn_saveSpec = new QPushButton(QStringLiteral("Сохранить данные"), grpb_specialist);
    place(btn_saveSpec, "btn_saveSpec", 840, 70, 150, 30);
    btn_deleteData = new QPushButton(QStringLiteral("Удалить данные"), grpb_specialist);
    place(btn_deleteData, "btn_deleteData", 840, 105, 150, 30);

    auto roleBox = [&](const char* pName, const QString& sText, int x) {
        auto pBox = new QCheckBox(sText, grpb_specialist);
        place(pBox, pName, x, 5, 180, 25);
        return pBox;
    };
    chb_controler = roleBox("chb_controler", QStringLiteral("Контроль провел"), 60);
    chb_author = roleBox("chb_author", QStringLiteral("Заключение выдал"), 250);
    chb_boss = roleBox("chb_boss", QStringLiteral("Руководитель"), 440);

    lbl_num = label("lbl_num", QString(), 0, 0, 40);
    lbl_num->setFixedSize(40, 30);
    // fixed-width texts stay readable with wider fonts
    for (QWidget* pWidget :
         {static_cast<QWidget*>(lbl_licenseNum), static_cast<QWidget*>(lbl_qual),
          static_cast<QWidget*>(btn_saveSpec), static_cast<QWidget*>(btn_deleteData),
          static_cast<QWidget*>(chb_controler), static_cast<QWidget*>(chb_author),
          static_cast<QWidget*>(chb_boss)})
        shrinkFontToFit(pWidget);

    connect(btn_saveSpec, &QPushButton::clicked, this, &CWidgetSpecial::slot_btn_saveSpec_clicked);
    connect(cmb_name, &QComboBox::editTextChanged, this,
            &CWidgetSpecial::slot_cmb_name_editTextChanged);
    connect(cmb_licenseNum, &QComboBox::editTextChanged, this,
            &CWidgetSpecial::slot_cmb_licenseNum_editTextChanged);
    connect(btn_deleteData, &QPushButton::clicked, this,
            &CWidgetSpecial::slot_btn_deleteSpec_clicked);
    connect(dedt_validity, &QDateEdit::dateChanged, this, &CWidgetSpecial::slot_dateChanged);
    connect(cmb_licenseNum, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CWidgetSpecial::slot_cmb_licenseNum_indexChanged);
    connect(cmb_name, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CWidgetSpecial::slot_cmb_name_indexChanged);
    connect(edt_certlab, &QLineEdit::textEdited, this,
            &CWidgetSpecial::slot_edt_certlab_textEdited);
    connect(chb_controler, &QCheckBox::clicked, this, &CWidgetSpecial::slot_chb_controler_clicked);
    connect(chb_author, &QCheckBox::clicked, this, &CWidgetSpecial::slot_chb_author_clicked);
    connect(chb_boss, &QCheckBox::clicked, this, &CWidgetSpecial::slot_chb_boss_clicked);
    connect(cmb_qual, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CWidgetSpecial::slot_cmb_qual_indexChanged);
    cmb_qual->setCurrentIndex(g_iDefaultLevel);

    // the validity mark follows the date and the specialist named
    connect(dedt_validity, &QDateEdit::dateChanged, this, &CWidgetSpecial::updateValidityMark);
    connect(cmb_name, &QComboBox::editTextChanged, this, &CWidgetSpecial::updateValidityMark);
    connect(cmb_name, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CWidgetSpecial::updateValidityMark);
}

void CWidgetSpecial::setProtocolDate(const QDate& dt) {
    dtProtocol = dt;
    updateValidityMark();
}

EValidity CWidgetSpecial::validity() const {
    return validityAt(normalisedValidity(dedt_validity->date()), dtProtocol, isNamed());
}

bool CWidgetSpecial::isNamed() const {
    return !cmb_name->currentText().trimmed().isEmpty();
}

void CWidgetSpecial::updateValidityMark() {
    showValidity(dedt_validity, validity(), dedt_validity->date());
}

void CWidgetSpecial::setNumber(int iNum) {
    iNumber = iNum;
    lbl_num->setText(iNum == 0 ? QString() : QString::number(iNum));
}

void CWidgetSpecial::setRole(ERankState eNewRole) {
    if (!isRankState(eNewRole))
        return; // only a damaged document could name another role, and it is refused
    chb_controler->setChecked(eNewRole == eControler || eNewRole == eControlerAndAuthor);
    chb_author->setChecked(eNewRole == eAuthor || eNewRole == eControlerAndAuthor);
    chb_boss->setChecked(eNewRole == eBoss);
    if (eNewRole == eRole)
        return;
    eRole = eNewRole;
    emit specPositionChanged(this, eNewRole);
}

void CWidgetSpecial::setRoleLock(bool bLock) {
    bRoleLock = bLock;
    for (QCheckBox* pBox : {chb_controler, chb_author, chb_boss})
        pBox->setEnabled(!bLock);
}

void CWidgetSpecial::setMethod(const QString& sNewMethod) {
    // a panel for another method starts empty
    if (!sNewMethod.isEmpty() && sNewMethod != sMethod) {
        clearName();
        clearCertificateFields();
    }
    sMethod = sNewMethod;
    lbl_methods->setText(methodLine(sMethod));
    // "по визуальному и измерительному методу контроля…" is cut without it
    fitFontToText(lbl_methods);
}

void CWidgetSpecial::listsChanged(int iFiles) {
    if (!(iFiles & eTechniciansFile))
        return;
    const SpecialistEntry entry = currentEntry();
    refillNames();
    setEntry(entry);
}

Specialist CWidgetSpecial::chosenSpecialist() const {
    const Specialist* p = pLists && cmb_name->currentIndex() > 0
                              ? pLists->specialist(cmb_name->currentText())
                              : nullptr;
    return p ? *p : Specialist();
}

SpecialistEntry CWidgetSpecial::currentEntry() const {
    SpecialistEntry entry;
    entry.sName = cmb_name->currentText();
    entry.sLicenseNum = cmb_licenseNum->currentText();
    entry.sMethod = sMethod;
    entry.dtValidity = normalisedValidity(dedt_validity->date());
    entry.iLevel = cmb_qual->currentIndex();
    entry.sIssuedBy = edt_certlab->text();
    return entry;
}

void CWidgetSpecial::setEntry(const SpecialistEntry& entry) {
    setMethod(entry.sMethod);
    // a stored name or number is chosen, any other is typed into the blank entry
    auto show = [](QComboBox* pBox, const QString& sText) {
        const int i = findExact(pBox, sText);
        if (i > 0) {
            pBox->setCurrentIndex(i);
            return;
        }
        pBox->setCurrentIndex(0);
        pBox->setEditText(sText);
    };
    show(cmb_name, entry.sName);
    // the certificates offered are the chosen specialist's as the lists hold
    // him now, even when the same name stayed chosen
    refillLicenses();
    show(cmb_licenseNum, entry.sLicenseNum);
    setDateAndLevel(entry.dtValidity.isValid() ? entry.dtValidity : g_dtDefault, entry.iLevel);
    edt_certlab->setText(entry.sIssuedBy);
    updateSaveState();
}

void CWidgetSpecial::setDateAndLevel(const QDate& dt, int iLevel) {
    dedt_validity->setDate(dt);
    cmb_qual->setCurrentIndex(iLevel);
}

void CWidgetSpecial::refillNames() {
    QStringList lstNames;
    if (pLists) {
        for (const Specialist& specialist : pLists->technicians())
            lstNames.append(specialist.sName);
    }
    refillWithBlank(cmb_name, lstNames);
}

void CWidgetSpecial::refillLicenses() {
    QStringList lstNumbers;
    for (const Certificate& certificate : chosenSpecialist().lstCertificates)
        lstNumbers.append(certificate.sNumber);
    refillWithBlank(cmb_licenseNum, lstNumbers);
}

void CWidgetSpecial::clearCertificateFields() {
    cmb_licenseNum->setItemText(0, QString());
    cmb_licenseNum->setCurrentIndex(0);
    edt_certlab->clear();
    setDateAndLevel(g_dtDefault, g_iDefaultLevel);
}

void CWidgetSpecial::clearName() {
    cmb_name->setItemText(0, QString());
    cmb_name->setCurrentIndex(0);
}

bool CWidgetSpecial::isSavable() const {
    const int iName = cmb_name->currentIndex();
    if (iName == 0)
        return !cmb_name->currentText().isEmpty() && !cmb_licenseNum->currentText().isEmpty();
    if (iName < 0)
        return false;
    const int iLicense = cmb_licenseNum->currentIndex();
    const Specialist chosen = chosenSpecialist();
    if (iLicense <= 0 || iLicense > chosen.lstCertificates.size())
        return !cmb_licenseNum->currentText().isEmpty();
    // a stored certificate: savable when the panel shows other data
    const Certificate& certificate = chosen.lstCertificates[iLicense - 1];
    const SpecialistEntry entry = currentEntry();
    const CertificateMethod shown{entry.sMethod, entry.dtValidity, entry.iLevel};
    return entry.sIssuedBy != certificate.sIssuedBy || !certificate.lstMethods.contains(shown);
}

void CWidgetSpecial::updateSaveState() {
    bSavable = isSavable();
    btn_saveSpec->setEnabled(bSavable);
    btn_deleteData->setEnabled(cmb_name->currentIndex() != 0);
    btn_deleteData->setToolTip(cmb_name->currentIndex() != 0
                                   ? g_sDeleteReferenceTip.arg(cmb_name->currentText())
                                   : QString());
}

void CWidgetSpecial::updateSaveStateIfNamed() {
    if (!cmb_name->currentText().isEmpty() && !cmb_licenseNum->currentText().isEmpty())
        updateSaveState();
}

void CWidgetSpecial::slot_cmb_name_indexChanged(int index) {
    if (index < 0)
        return;
    if (index == 0) {
        setBoxEditable(cmb_name, true);
        cmb_name->setInsertPolicy(QComboBox::NoInsert);
        refillLicenses();
        cmb_licenseNum->setCurrentIndex(0);
    } else {
        setBoxEditable(cmb_name, false);
        refillLicenses();
        // the first certificate that covers this panel's method
        const Specialist chosen = chosenSpecialist();
        int iFound = 0;
        for (int i = 0; i < chosen.lstCertificates.size() && iFound == 0; ++i) {
            for (const CertificateMethod& method :
                 std::as_const(chosen.lstCertificates[i].lstMethods)) {
                if (method.sMethod == sMethod) {
                    iFound = i + 1;
                    break;
                }
            }
        }
        cmb_licenseNum->setCurrentIndex(iFound);
    }
    updateSaveState();
}

void CWidgetSpecial::slot_cmb_name_editTextChanged(const QString& text) {
    if (cmb_name->currentIndex() != 0 || !text.isEmpty())
        return;
    clearCertificateFields();
    updateSaveState();
}

void CWidgetSpecial::showCertificate(int iCertificate) {
    const Certificate certificate = chosenSpecialist().lstCertificates.value(iCertificate);
    for (const CertificateMethod& method : certificate.lstMethods) {
        if (method.sMethod == sMethod) {
            edt_certlab->setText(certificate.sIssuedBy);
            setDateAndLevel(method.dtValidity, method.iLevel);
            return;
        }
    }
    edt_certlab->clear();
    setDateAndLevel(g_dtDefault, g_iDefaultLevel);
}

void CWidgetSpecial::slot_cmb_licenseNum_indexChanged(int index) {
    if (index < 0)
        return;
    if (index == 0) {
        setBoxEditable(cmb_licenseNum, true);
        cmb_licenseNum->setInsertPolicy(QComboBox::NoInsert);
        edt_certlab->clear();
        setDateAndLevel(g_dtDefault, g_iDefaultLevel);
    } else {
        setBoxEditable(cmb_licenseNum, false);
        showCertificate(index - 1);
    }
    updateSaveState();
}

void CWidgetSpecial::slot_cmb_licenseNum_editTextChanged(const QString& text) {
    if (cmb_licenseNum->currentIndex() != 0)
        return;
    if (text.isEmpty())
        clearCertificateFields();
    updateSaveState();
}

void CWidgetSpecial::slot_dateChanged(const QDate& date) {
    if (date.isValid())
        updateSaveStateIfNamed();
}

void CWidgetSpecial::slot_edt_certlab_textEdited(const QString&) {
    updateSaveStateIfNamed();
}

void CWidgetSpecial::slot_cmb_qual_indexChanged(int) {
    updateSaveStateIfNamed();
}

void CWidgetSpecial::slot_btn_saveSpec_clicked() {
    const SpecialistEntry e = currentEntry();
    if (!pLists)
        return;
    // the specialist as the lists hold him now, before the question: a
    // colleague may delete him while it is open
    const Specialist* pKnown = pLists->specialist(e.sName);
    const Specialist known = pKnown ? *pKnown : Specialist();
    if (pLists->holdsMethod(e) &&
        CUserDialogs::get().message(
            CUserDialogs::Warning, this, QStringLiteral("Редактирование данных специалиста"),
            QStringLiteral("В существующей базе данных присутствует специалист %1 с "
                           "удостоверением № %2,\nпо методу контроля \"%3\"!\nЖелаете "
                           "переписать его данные?")
                .arg(e.sName, e.sLicenseNum, e.sMethod),
            CUserDialogs::Yes | CUserDialogs::No, CUserDialogs::Yes) != CUserDialogs::Yes)
        return;
    // the entry as it was when the button was clicked, whatever the lists
    // became while the question was open
    pLists->saveSpecialist(e, known);
    setEntry(e); // the stored specialist and certificate chosen
}

void CWidgetSpecial::slot_btn_deleteSpec_clicked() {
    entryToDelete = currentEntry();
    delete pAskDelete;
    pAskDelete = new CAskDeleteSD;
    // it stays in front of the form it asks about until it is answered
    pAskDelete->setWindowModality(Qt::ApplicationModal);
    connect(pAskDelete, &CAskDeleteSD::deleteData, this, &CWidgetSpecial::slot_deleteData);
    pAskDelete->show();
}

void CWidgetSpecial::slot_deleteData(bool bAll) {
    if (pAskDelete) {
        // the call comes from the dialog's own signal
        pAskDelete->close();
        pAskDelete->deleteLater();
        pAskDelete = nullptr;
    }
    const SpecialistEntry e = entryToDelete;
    const Specialist* pStored = pLists ? pLists->specialist(e.sName) : nullptr;
    if (bAll && pStored) {
        pLists->deleteSpecialist(e.sName);
    } else if (pStored) {
        const auto it =
            std::find_if(pStored->lstCertificates.cbegin(), pStored->lstCertificates.cend(),
                         [&](const Certificate& c) { return c.sNumber == e.sLicenseNum; });
        if (it != pStored->lstCertificates.cend()) {
            const bool bCovers =
                std::any_of(it->lstMethods.cbegin(), it->lstMethods.cend(),
                            [&](const CertificateMethod& m) { return m.sMethod == e.sMethod; });
            if (!bCovers &&
                CUserDialogs::get().message(
                    CUserDialogs::Warning, this, QStringLiteral("Удаление данных специалиста"),
                    QStringLiteral("В существующей базе данных присутствует специалист "
                                   "%1 с удостоверением № %2,\nно по другому методу "
                                   "контроля! Желаете удалить данные о текущем "
                                   "удостоверении?")
                        .arg(e.sName, e.sLicenseNum),
                    CUserDialogs::Yes | CUserDialogs::No, CUserDialogs::Yes) != CUserDialogs::Yes)
                return;
            // the whole certificate goes, with every method it covers
            pLists->deleteCertificate(e.sName, e.sLicenseNum);
        }
    }
    clearName();
    clearCertificateFields();
}

void CWidgetSpecial::stepRole(int iStep, bool bChecked, int iBelow, int iAbove) {
    int r = int(eRole) + (bChecked ? iStep : -iStep);
    if (r <= 0)
        r = iBelow;
    else if (r > eBoss)
        r = iAbove;
    setRole(ERankState(r));
}

// Ticking a role adds its worth, unticking takes it away: the head excludes
// the other two, and unticking the only role ticked passes to the other one.
void CWidgetSpecial::slot_chb_controler_clicked(bool checked) {
    stepRole(eControler, checked, eAuthor, eControler);
}

void CWidgetSpecial::slot_chb_author_clicked(bool checked) {
    stepRole(eAuthor, checked, eControler, eAuthor);
}

void CWidgetSpecial::slot_chb_boss_clicked(bool checked) {
    stepRole(eBoss, checked, eControler, eBoss);
}

bool CWidgetSpecial::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::Wheel && (pWatched == cmb_name || pWatched == cmb_licenseNum ||
                                            pWatched == cmb_qual || pWatched == dedt_validity)) {
        // the wheel scrolls the form instead of changing a value
        pEvent->ignore();
        return true;
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

void CWidgetSpecial::setRecord(const PanelRecord& record) {
    setNumber(record.iNum);
    setRole(ERankState(record.iRole));
    setRoleLock(record.bRoleLock);
    setEntry(record.entry);
}
