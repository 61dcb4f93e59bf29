#include "refdata/panelinput.h"

#include "base/constants.h"

#include <QComboBox>

QDate normalisedValidity(const QDate& dt) {
    return (!dt.isValid() || dt.year() < 2002) ? g_dtDefault : dt;
}

void refillWithBlank(QComboBox* pBox, const QStringList& lstTexts) {
    pBox->clear();
    pBox->addItem(QString());
    pBox->addItems(lstTexts);
}
