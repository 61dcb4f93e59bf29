#include "composer/reportheader.h"

#include "items/fontfit.h"
#include "items/lineeditheir.h"
#include "items/linevalidator.h"
#include "items/reportitemwidget.h"

#include <QDataStream>
#include <QFontMetrics>
#include <QLabel>
#include <QResizeEvent>
#include <algorithm>

namespace {
void setFontStyle(QWidget* pWidget, int iWeight, bool bItalic, int iPointSize) {
    QFont f = pWidget->font();
    f.setWeight(QFont::Weight(iWeight));
    f.setItalic(bItalic);
    f.setPointSize(iPointSize);
    pWidget->setFont(f);
}

// Weight of the prompt and of an entered name.
constexpr int g_iNormal = QFont::Normal;
constexpr int g_iBold = QFont::Bold;
} // namespace

CReportHeader::CReportHeader(QWidget* pParent)
    : QWidget(pParent), sLabNamePrompt(QStringLiteral("Название лаборатории НК")),
      sAddressPrompt(QStringLiteral("Адрес лаборатории НК")) {
    setObjectName(QStringLiteral("CReportHeader"));
    resize(1000, 130);
    setMinimumSize(1000, 130);
    setMaximumSize(16777215, 130);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    ::setPointSize(this, 12);

    edt_labName = new CLineEditHeir(this);
    edt_labName->setObjectName(QStringLiteral("edt_labName"));
    edt_labName->setGeometry(250, 10, 500, 30);
    edt_labName->setMinimumSize(500, 30);
    edt_labName->setMaximumSize(16777215, 30);
    setFontStyle(edt_labName, g_iNormal, true, 12);
    edt_labName->setAlignment(Qt::AlignCenter);
    // reached with Tab too: the prompt gives way on any focus
    edt_labName->setFocusPolicy(Qt::StrongFocus);
    edt_labName->setText(sLabNamePrompt);

    edt_address = new CLineEditHeir(this);
    edt_address->setObjectName(QStringLiteral("edt_address"));
    edt_address->setGeometry(10, 50, 620, 30);
    edt_address->setMinimumSize(620, 30);
    edt_address->setMaximumSize(16777215, 30);
    setFontStyle(edt_address, g_iNormal, true, 12);
    edt_address->setAlignment(Qt::AlignCenter);
    edt_address->setFocusPolicy(Qt::StrongFocus);
    edt_address->setText(sAddressPrompt);

    lbl_phone = new QLabel(this);
    lbl_phone->setObjectName(QStringLiteral("lbl_phone"));
    lbl_phone->setGeometry(640, 50, 120, 30);
    lbl_phone->setFixedSize(120, 30);
    lbl_phone->setAlignment(Qt::AlignCenter);
    lbl_phone->setText(QStringLiteral("телефон / факс"));
    shrinkFontToFit(lbl_phone);

    edt_phone = new QLineEdit(this);
    edt_phone->setObjectName(QStringLiteral("edt_phone"));
    edt_phone->setGeometry(770, 50, 220, 30);
    edt_phone->setFixedSize(220, 30);
    edt_phone->setAlignment(Qt::AlignCenter);

    lbl_licence = new QLabel(this);
    lbl_licence->setObjectName(QStringLiteral("lbl_licence"));
    lbl_licence->setGeometry(10, 90, 350, 30);
    lbl_licence->setFixedSize(350, 30);
    ::setPointSize(lbl_licence, 11);
    lbl_licence->setAlignment(Qt::AlignCenter);
    lbl_licence->setText(QStringLiteral("Свидетельство об аккредитации лаборатории №"));
    shrinkFontToFit(lbl_licence);

    edt_licence = new QLineEdit(this);
    edt_licence->setObjectName(QStringLiteral("edt_licence"));
    edt_licence->setGeometry(370, 90, 150, 30);
    edt_licence->setFixedSize(150, 30);

    lbl_issued_by = new QLabel(this);
    lbl_issued_by->setObjectName(QStringLiteral("lbl_issued_by"));
    lbl_issued_by->setGeometry(530, 90, 80, 30);
    lbl_issued_by->setFixedSize(80, 30);
    lbl_issued_by->setAlignment(Qt::AlignCenter);
    lbl_issued_by->setText(QStringLiteral("выдано"));
    shrinkFontToFit(lbl_issued_by);

    edt_issued_by = new QLineEdit(this);
    edt_issued_by->setObjectName(QStringLiteral("edt_issued_by"));
    edt_issued_by->setGeometry(620, 90, 370, 30);
    edt_issued_by->setMinimumSize(370, 30);
    edt_issued_by->setMaximumSize(16777215, 30);
    for (QLineEdit* pEdit :
         {static_cast<QLineEdit*>(edt_labName), static_cast<QLineEdit*>(edt_address), edt_phone,
          edt_licence, edt_issued_by})
        keepOneLine(pEdit);

    connect(edt_labName, &CLineEditHeir::focusReceived, this,
            &CReportHeader::slot_labName_focusReceived);
    connect(edt_labName, &CLineEditHeir::focusLost, this, &CReportHeader::slot_labName_focusLost);
    connect(edt_address, &CLineEditHeir::focusReceived, this,
            &CReportHeader::slot_address_focusReceived);
    connect(edt_address, &CLineEditHeir::focusLost, this, &CReportHeader::slot_address_focusLost);
}

CReportHeader::~CReportHeader() {
    // a field that has focus may lose it while it dies after this object
    edt_labName->disconnect(this);
    edt_address->disconnect(this);
}

void CReportHeader::setLabName(const QString& sName) {
    sLabName = sName;
    int w = 0;
    if (!sName.isEmpty()) {
        setFontStyle(edt_labName, g_iBold, false, 16);
        edt_labName->setText(sName);
        w = roundUpToTen(QFontMetrics(edt_labName->font()).horizontalAdvance(sName) + 20);
        w = std::max(w, edt_labName->minimumWidth());
        w = std::min(w, width() - 20);
    } else {
        setFontStyle(edt_labName, g_iNormal, true, 12);
        edt_labName->setText(sLabNamePrompt);
        w = edt_labName->minimumWidth();
    }
    if (w != edt_labName->width())
        edt_labName->setGeometry((width() - w) / 2, edt_labName->y(), w, edt_labName->height());
}

void CReportHeader::setAddress(const QString& sNewAddress) {
    sAddress = sNewAddress;
    QFont f = edt_address->font();
    f.setItalic(sNewAddress.isEmpty());
    edt_address->setFont(f);
    edt_address->setText(sNewAddress.isEmpty() ? sAddressPrompt : sNewAddress);
}

QString CReportHeader::phone() const {
    return edt_phone->text();
}
QString CReportHeader::licence() const {
    return edt_licence->text();
}
QString CReportHeader::issuedBy() const {
    return edt_issued_by->text();
}

void CReportHeader::setPhoneLicenceIssuer(const QString& sPhone, const QString& sLicence,
                                          const QString& sIssuedBy) {
    edt_phone->setText(sPhone);
    edt_licence->setText(sLicence);
    edt_issued_by->setText(sIssuedBy);
}

void CReportHeader::slot_labName_focusReceived() {
    if (edt_labName->text() != sLabNamePrompt)
        return;
    // the user types in the final style
    edt_labName->clear();
    setFontStyle(edt_labName, g_iBold, false, 16);
}

void CReportHeader::slot_labName_focusLost() {
    setLabName(edt_labName->text());
}

void CReportHeader::slot_address_focusReceived() {
    if (edt_address->text() != sAddressPrompt)
        return;
    edt_address->clear();
    QFont f = edt_address->font();
    f.setItalic(false);
    edt_address->setFont(f);
}

void CReportHeader::slot_address_focusLost() {
    setAddress(edt_address->text());
}

void CReportHeader::resizeEvent(QResizeEvent* pEvent) {
    QWidget::resizeEvent(pEvent);
    const int W = pEvent->size().width();
    edt_labName->move((W - edt_labName->width()) / 2, 10);
    edt_phone->move(W - edt_phone->width() - 10, 50);
    lbl_phone->move(edt_phone->x() - lbl_phone->width() - 10, 50);
    // right edges reach 10 pixels before the next widget or the border
    edt_address->setGeometry(10, 50, lbl_phone->x() - 11 - 10 + 1, 30);
    lbl_licence->move(10, 90);
    edt_licence->move(10 + lbl_licence->width() + 10, 90);
    lbl_issued_by->move(edt_licence->x() + edt_licence->width() + 10, 90);
    const int xIssuedBy = lbl_issued_by->x() + lbl_issued_by->width() + 10;
    edt_issued_by->setGeometry(xIssuedBy, 90, W - 11 - xIssuedBy + 1, 30);
}

// A field that is not being edited shows its value or its prompt.
QString CReportHeader::shownValue(const QLineEdit* pEdit, const QString& sPrompt,
                                  const QString& sValue) {
    const QString sText = pEdit->text();
    return sText != sPrompt && sText != sValue ? sText : sValue;
}

void CReportHeader::commitTypedText() {
    const HeaderRecord shown = record();
    if (shown.sName != sLabName)
        setLabName(shown.sName);
    if (shown.sAddress != sAddress)
        setAddress(shown.sAddress);
}

HeaderRecord CReportHeader::record() const {
    return {shownValue(edt_labName, sLabNamePrompt, sLabName),
            shownValue(edt_address, sAddressPrompt, sAddress), phone(), licence(), issuedBy()};
}

void CReportHeader::setRecord(const HeaderRecord& record) {
    setLabName(record.sName);
    setAddress(record.sAddress);
    setPhoneLicenceIssuer(record.sPhone, record.sLicence, record.sIssuedBy);
}
