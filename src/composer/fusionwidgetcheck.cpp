// The question before a protocol goes out: what it should not go out with.
#include "composer/fusionwidget.h"

#include "base/userdialogs.h"
#include "document/validity.h"
#include "items/stditem.h"
#include "results/conclusion.h"

#include <QLabel>

namespace {
// The most lines the question lists, one a gap.
constexpr int iMaxProblemsShown = 10;
} // namespace

QString CFusionWidget::objectText() const {
    const ProtocolDocument doc = document();
    for (const SectionRecord& record : doc.lstRecords) {
        const auto* pItem = std::get_if<StdItemRecord>(&record);
        if (pItem && pItem->sName == Caption::sObject)
            return pItem->sValue;
    }
    return QString();
}

void CFusionWidget::markObjectCarriedOver() {
    const QString sObject = objectText();
    carriedObject = sObject.trimmed().isEmpty() ? std::nullopt : std::optional(sObject);
}

QStringList CFusionWidget::carriedOverProblems() const {
    QStringList lst;
    for (const SCopiedTable& copied : lstCopiedTables) {
        // a conclusion removed since, or its table changed, is the user's
        if (copied.pConclusion && lstConclusions.contains(copied.pConclusion.data()) &&
            copied.pConclusion->record().results.table == copied.table)
            lst << QStringLiteral("таблица результатов скопирована из «%1 контроль» и не "
                                  "изменена: %2 контроль")
                       .arg(copied.sSource, copied.pConclusion->nominativeMethod());
    }
    if (carriedObject && objectText() == *carriedObject)
        lst << QStringLiteral("объект контроля взят из предыдущего протокола и не изменен: %1")
                   .arg(carriedObject->simplified());
    return lst;
}

QStringList CFusionWidget::readinessProblems() const {
    const ProtocolDocument doc = document();
    return validityProblems(doc) + completenessProblems(doc) + carriedOverProblems();
}

bool CFusionWidget::confirmReady(const QString& sTitle, const QString& sQuestion) {
    const QStringList lstProblems = readinessProblems();
    const qsizetype iValidity = validityProblems(document()).size();
    if (lstProblems.isEmpty())
        return true;
    // a protocol signed on an expired certificate has to be withdrawn; the
    // question stays on the screen however many gaps there are
    QStringList lstShown = lstProblems.mid(0, iMaxProblemsShown);
    if (lstProblems.size() > iMaxProblemsShown)
        lstShown << QStringLiteral("и еще %1").arg(lstProblems.size() - iMaxProblemsShown);
    const QString sHeading =
        iValidity == lstProblems.size()
            ? QStringLiteral("Сроки действия истекли или не указаны:")
            : (iValidity == 0
                   ? QStringLiteral("Протокол заполнен не полностью:")
                   : QStringLiteral("Сроки действия истекли или не указаны, протокол заполнен "
                                    "не полностью:"));
    return CUserDialogs::get().message(
               CUserDialogs::Warning, this, sTitle,
               QStringLiteral("%1\n%2\n\n%3")
                   .arg(sHeading, lstShown.join(QLatin1Char('\n')), sQuestion),
               CUserDialogs::Yes | CUserDialogs::No, CUserDialogs::No) == CUserDialogs::Yes;
}

// An issued protocol: its line, and nothing to edit.

void CFusionWidget::setIssuedLine(const QString& sLine) {
    if (!lbl_issued) {
        lbl_issued = new QLabel(this);
        lbl_issued->setObjectName(QStringLiteral("lbl_issued"));
        lbl_issued->setWordWrap(true);
        lbl_issued->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lbl_issued->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: #8b0000; }"));
    }
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

bool CFusionWidget::isIssued() const {
    return lbl_issued && !lbl_issued->text().isEmpty();
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
