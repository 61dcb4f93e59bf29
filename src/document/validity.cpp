#include "document/validity.h"

#include "base/constants.h"
#include "document/methodvocabulary.h"
#include "document/protocoldocument.h"

#include <algorithm>

namespace {
QString dateText(const QDate& dt) {
    return dt.toString(QStringLiteral("dd.MM.yyyy"));
}

// The method of a conclusion as the question names it ("ультразвуковой"):
// that of its results, which name it in the genitive.
QString nominativeMethod(const ConclusionRecord& conclusion) {
    const qsizetype i = methodsGenitive().indexOf(conclusion.results.sMethod);
    return i < 0 ? conclusion.results.sMethod : methodsNominative().at(i);
}

bool isNamed(const SpecialistEntry& entry) {
    return !entry.sName.trimmed().isEmpty();
}
} // namespace

EValidity validityAt(const QDate& dtValidity, const QDate& dtProtocol, bool bNamed) {
    if (!dtValidity.isValid() || dtValidity == g_dtDefault)
        return bNamed ? EValidity::Missing : EValidity::Valid;
    if (!dtProtocol.isValid() || dtProtocol == g_dtDefault)
        return EValidity::Valid; // no protocol date to judge by
    if (dtValidity < dtProtocol)
        return EValidity::Expired;
    if (dtValidity <= dtProtocol.addDays(iExpiringDays))
        return EValidity::ExpiringSoon;
    return EValidity::Valid;
}

QDate normalisedValidity(const QDate& dt) {
    return (!dt.isValid() || dt.year() < 2002) ? g_dtDefault : dt;
}

QString specialistProblem(const SpecialistEntry& entry, const QDate& dtProtocol) {
    const QDate dtValidity = normalisedValidity(entry.dtValidity);
    switch (validityAt(dtValidity, dtProtocol, isNamed(entry))) {
    case EValidity::Expired:
        return QStringLiteral("Специалист %1, удостоверение № %2: истекло %3")
            .arg(entry.sName, entry.sLicenseNum, dateText(dtValidity));
    case EValidity::Missing:
        return QStringLiteral("Специалист %1, удостоверение № %2: срок действия не указан")
            .arg(entry.sName, entry.sLicenseNum);
    default:
        return QString();
    }
}

QString toolProblem(const ToolEntry& entry, const QDate& dtProtocol) {
    const QDate dtValidity = normalisedValidity(entry.dtValidity);
    const QString sEnded = entry.bVerification ? QStringLiteral("свидетельство истекло")
                                               : QStringLiteral("сертификат калибровки истек");
    switch (validityAt(dtValidity, dtProtocol, !entry.sToolName.isEmpty())) {
    case EValidity::Expired:
        return QStringLiteral("Прибор %1 № %2: %3 %4")
            .arg(entry.sToolName, entry.sNumber, sEnded, dateText(dtValidity));
    case EValidity::Missing:
        return QStringLiteral("Прибор %1 № %2: срок действия не указан")
            .arg(entry.sToolName, entry.sNumber);
    default:
        return QString();
    }
}

QStringList validityProblems(const ProtocolDocument& doc) {
    const DateRecord* pDate = doc.first<DateRecord>();
    const QDate dtProtocol = pDate ? pDate->dtDate : QDate();
    QStringList lst;
    auto add = [&lst](const QString& sProblem) {
        if (!sProblem.isEmpty())
            lst.append(sProblem);
    };
    for (const SectionRecord& record : doc.lstRecords) {
        const auto* pConclusions = std::get_if<ConclusionsRecord>(&record);
        if (!pConclusions)
            continue;
        for (const ConclusionRecord& conclusion : pConclusions->lstConclusions) {
            // nobody chosen is the conclusion's one problem: its panels print blanks
            if (std::none_of(conclusion.lstPanels.cbegin(), conclusion.lstPanels.cend(),
                             [](const PanelRecord& panel) { return isNamed(panel.entry); })) {
                add(QStringLiteral("не выбран специалист: %1 контроль")
                        .arg(nominativeMethod(conclusion)));
                continue;
            }
            for (const PanelRecord& panel : conclusion.lstPanels)
                add(specialistProblem(panel.entry, dtProtocol));
        }
    }
    for (const SectionRecord& record : doc.lstRecords) {
        if (const auto* pTools = std::get_if<ToolsRecord>(&record))
            for (const ToolEntry& entry : pTools->lstEntries)
                add(toolProblem(entry, dtProtocol));
    }
    return lst;
}

namespace {
bool hasFilledRow(const TableRecord& table) {
    return std::any_of(table.lstCells.cbegin(), table.lstCells.cend(),
                       [](const QString& sCell) { return !sCell.trimmed().isEmpty(); });
}
} // namespace

QStringList completenessProblems(const ProtocolDocument& doc) {
    QStringList lst;
    const auto* pConclusions = doc.first<ConclusionsRecord>();
    if (!pConclusions)
        return lst;
    for (const ConclusionRecord& conclusion : pConclusions->lstConclusions) {
        const QString sMethod = nominativeMethod(conclusion);
        if (!hasFilledRow(conclusion.results.table))
            lst << QStringLiteral("не заполнена таблица результатов: %1 контроль").arg(sMethod);
        if (conclusion.report.bOn && conclusion.report.sDescription.trimmed().isEmpty())
            lst << QStringLiteral("не заполнено заключение: %1 контроль").arg(sMethod);
    }
    return lst;
}
