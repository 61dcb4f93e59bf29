#include "refdata/panelinput.h"

#include "base/constants.h"

#include <QComboBox>
#include <QCompleter>

QDate normalisedValidity(const QDate& dt) {
    return (!dt.isValid() || dt.year() < 2002) ? g_dtDefault : dt;
}

void setBoxEditable(QComboBox* pBox, bool bEditable) {
    pBox->setEditable(bEditable);
    if (bEditable && pBox->completer())
        pBox->completer()->setCaseSensitivity(Qt::CaseSensitive);
}

void refillWithBlank(QComboBox* pBox, const QStringList& lstTexts) {
    pBox->clear();
    pBox->addItem(QString());
    pBox->addItems(lstTexts);
}
