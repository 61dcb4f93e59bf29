// The question before a protocol goes out: what it should not go out with.
#include "composer/fusionwidget.h"

#include "base/userdialogs.h"
#include "document/validity.h"
#include "items/stditem.h"
#include "results/conclusion.h"

#include <QLabel>

void CFusionWidget::markObjectCarriedOver() {
    const QString sObject = document().valueOf<StdItemRecord>(Caption::sObject);
    carriedObject = sObject.trimmed().isEmpty() ? std::nullopt : std::optional(sObject);
}

QStringList CFusionWidget::carriedOverProblems(const ProtocolDocument& doc) const {
    QStringList lst;
    for (const SCopiedTable& copied : lstCopiedTables) {
        // a conclusion removed since, or its table changed, is the user's
        if (copied.pConclusion && lstConclusions.contains(copied.pConclusion.data()) &&
            copied.pConclusion->record().results.table == copied.table)
            lst << QStringLiteral("таблица результатов скопирована из «%1 контроль» и не "
                                  "изменена: %2 контроль")
                       .arg(copied.sSource, copied.pConclusion->nominativeMethod());
    }
    if (carriedObject && doc.valueOf<StdItemRecord>(Caption::sObject) == *carriedObject)
        lst << QStringLiteral("объект контроля взят из предыдущего протокола и не изменен: %1")
                   .arg(carriedObject->simplified());
    return lst;
}

bool CFusionWidget::confirmReady(const QString& sTitle, const QString& sQuestion) {
    const ProtocolDocument doc = document();
    const QStringList lstValidity = validityProblems(doc);
    const QStringList lstUnfilled = completenessProblems(doc) + carriedOverProblems(doc);
    if (lstValidity.isEmpty() && lstUnfilled.isEmpty())
        return true;
    // a protocol signed on an expired certificate has to be withdrawn
    const QString sHeading =
        lstUnfilled.isEmpty()
            ? QStringLiteral("Сроки действия истекли или не указаны:")
            : (lstValidity.isEmpty()
                   ? QStringLiteral("Протокол заполнен не полностью:")
                   : QStringLiteral("Сроки действия истекли или не указаны, протокол заполнен "
                                    "не полностью:"));
    return CUserDialogs::get().message(
               CUserDialogs::Warning, this, sTitle,
               QStringLiteral("%1\n%2\n\n%3")
                   .arg(sHeading, CUserDialogs::linesText(lstValidity + lstUnfilled), sQuestion),
               CUserDialogs::Yes | CUserDialogs::No, CUserDialogs::No) == CUserDialogs::Yes;
}

// An issued protocol: its line, and nothing to edit.

void CFusionWidget::setIssuedLine(const QString& sLine) {
    if (!lbl_issued) {
        lbl_issued = new QLabel(this);
        lbl_issued->setObjectName(QStringLiteral("lbl_issued"));
        lbl_issued->setTextFormat(Qt::PlainText); // it names the archive's file
        lbl_issued->setWordWrap(true);
        lbl_issued->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lbl_issued->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: #8b0000; }"));
    } else if (lbl_issued->text() == sLine)
        return; // every save asks again: the form is laid out only when it changes
    const bool bIssued = !sLine.isEmpty();
    lbl_issued->setText(sLine);
    lbl_issued->setVisible(bIssued);
    // the command bar stays: print, PDF, a new revision; its new item goes
    for (int i = 1; i < lstSections.size(); ++i)
        lstSections[i]->setEnabled(!bIssued);
    if (QWidget* pAddItem = findChild<QWidget*>(QStringLiteral("btn_addItem")))
        pAddItem->setEnabled(!bIssued);
    slot_innerWidgetHeightChanged();
}

void CFusionWidget::setReplacedProtocol(const QString& sCaption, const QString& sValue) {
    for (CStdItem* pItem : std::as_const(lstUserItems)) {
        if (pItem->record().sName.trimmed() == sCaption) {
            pItem->setValue(sValue);
            pItem->commitValue();
            queueSync(pItem);
            return;
        }
    }
    slot_addNewStdItem(lastNumber() + 1, sCaption, sValue);
}
