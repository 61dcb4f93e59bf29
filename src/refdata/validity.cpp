#include "refdata/validity.h"

#include "base/constants.h"

#include <QPalette>
#include <QWidget>

void showValidity(QWidget* pDateEdit, EValidity eValidity, const QDate& dtValidity) {
    const QString sDate = dtValidity.toString(QStringLiteral("dd.MM.yyyy"));
    QString sTone;
    QString sTip;
    switch (eValidity) {
    case EValidity::Valid:
        break;
    case EValidity::ExpiringSoon:
        sTone = QStringLiteral("#fde2a6"); // amber
        sTip = QStringLiteral("Срок действия истекает %1").arg(sDate);
        break;
    case EValidity::Expired:
        sTone = QStringLiteral("#f6b8b8"); // red
        sTip = QStringLiteral("Срок действия истек %1").arg(sDate);
        break;
    case EValidity::Missing:
        sTone = QStringLiteral("#f6b8b8");
        sTip = QStringLiteral("Срок действия не указан");
        break;
    }
    // the editor's field is toned; a valid date shows the form's own colours
    QPalette palette =
        pDateEdit->parentWidget() ? pDateEdit->parentWidget()->palette() : QPalette();
    if (!sTone.isEmpty())
        palette.setColor(QPalette::Base, QColor(sTone));
    pDateEdit->setPalette(palette);
    pDateEdit->setToolTip(sTip);
}
