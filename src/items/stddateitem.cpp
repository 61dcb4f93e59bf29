#include "items/stddateitem.h"

#include "base/constants.h"
#include "items/dateeditheir.h"
#include "items/reportitemwidget.h"

#include <QDataStream>
#include <QEvent>
#include <QLabel>

CStdDateItem::CStdDateItem(QWidget* pParent, const QDate& date) : QWidget(pParent) {
    setUpLineForm(this, QStringLiteral("CStdDateItem"));

    lbl_name = new QLabel(this);
    lbl_name->setObjectName(QStringLiteral("lbl_name"));
    lbl_name->setGeometry(0, 0, 300, 30);
    lbl_name->setFixedSize(300, 30);
    lbl_name->setAlignment(Qt::AlignCenter);
    lbl_name->setText(
        QStringLiteral("<html><head/><body><p><span style=\" font-family:'MS Shell Dlg 2'; "
                       "font-size:12pt;\">Дата составления протокола</span></p></body></html>"));

    dedt_date = new CDateEditHeir(this);
    dedt_date->setObjectName(QStringLiteral("dedt_date"));
    dedt_date->setGeometry(310, 0, 120, 30);
    dedt_date->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    dedt_date->setMinimumSize(120, 30);
    dedt_date->setFocusPolicy(Qt::StrongFocus);
    dedt_date->setMinimumDate(g_dtDefault);
    dedt_date->setSpecialValueText(g_sUnsetDateText);

    setDate(date);
    dedt_date->installEventFilter(this);
    connect(dedt_date, &CDateEditHeir::dateEdit_focusLost, this, &CStdDateItem::slot_updateDate);
    connect(dedt_date, &QDateEdit::dateChanged, this, &CStdDateItem::shownDateChanged);
}

QDate CStdDateItem::shownDate() const {
    return dedt_date->date();
}

CStdDateItem::~CStdDateItem() {
    // the editor may lose focus while it dies after this object
    dedt_date->disconnect(this);
    dedt_date->removeEventFilter(this);
}

QString CStdDateItem::dateText() const {
    return dtDate.toString(QStringLiteral("dd.MM.yyyy"));
}

void CStdDateItem::setDate(const QDate& dt) {
    dtDate = dt;
    dedt_date->setDate(dt);
}

void CStdDateItem::slot_updateDate() {
    dtDate = dedt_date->date();
}

bool CStdDateItem::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == dedt_date && pEvent->type() == QEvent::Wheel) {
        // the wheel scrolls the form instead of stepping the date
        pEvent->ignore();
        return true;
    }
    return QWidget::eventFilter(pWatched, pEvent);
}
