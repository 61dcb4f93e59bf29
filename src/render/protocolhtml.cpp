#include "render/protocolhtml.h"

#include "document/methodvocabulary.h"
#include "render/sectionhtml.h"

namespace {
// A section of the print with the numbers it carries: its own, and for a
// conclusion also its first specialist's, the last number it takes.
struct SPlaced {
    decltype(SPrintedSection::record) record;
    int iFirst = 0;
    int iLast = 0;
};

// Where the form puts an item of the user's own numbered iNum: last when
// the numbers end below it, otherwise before the first section numbered
// above it.
qsizetype positionFor(const QList<SPlaced>& lst, int iNum) {
    if (lst.isEmpty() || lst.last().iLast < iNum)
        return lst.size();
    for (qsizetype i = 0; i < lst.size(); ++i) {
        if (lst[i].iFirst != 0 && lst[i].iFirst > iNum)
            return i;
    }
    return lst.size();
}

bool isLeftOut(const SPlaced& placed) {
    const auto* ppCombo = std::get_if<const ComboItemRecord*>(&placed.record);
    return ppCombo && (*ppCombo)->sName == Caption::sCustomer && (*ppCombo)->sValue.isEmpty();
}

// The methods as the heading names them: "ультразвуковым, магнитным и тепловым".
QString methodsText(const ProtocolDocument& doc) {
    const MethodsRecord* pMethods = doc.first<MethodsRecord>();
    const QStringList lstNominative = methodsNominative();
    const QStringList lstInstrumental = methodsInstrumental();
    QStringList lst;
    for (const QString& sText : pMethods ? pMethods->lstTexts : QStringList()) {
        if (sText.isEmpty())
            continue; // a row without a method
        const qsizetype i = lstNominative.indexOf(sText);
        lst.append(i < 0 ? sText.toHtmlEscaped() : lstInstrumental.at(i));
    }
    QString s;
    for (qsizetype i = 0; i < lst.size(); ++i) {
        if (i > 0)
            s += (i == lst.size() - 1) ? QStringLiteral(" и ") : QStringLiteral(", ");
        s += lst[i];
    }
    return s + (lst.size() < 2 ? QStringLiteral(" методом") : QStringLiteral(" методами"));
}
} // namespace

QList<SPrintedSection> printedSections(const ProtocolDocument& doc) {
    QList<SPlaced> lst;
    QList<const StdItemRecord*> lstUserItems;
    auto place = [&lst](const auto* p) { lst.append({p, p->iNum, p->iNum}); };
    for (const SectionRecord& record : doc.lstRecords) {
        if (const auto* p = std::get_if<StdItemRecord>(&record)) {
            if (p->sName != Caption::sNumber)
                place(p);
        } else if (const auto* p = std::get_if<ComboItemRecord>(&record)) {
            place(p);
        } else if (const auto* p = std::get_if<EditableSetRecord>(&record)) {
            place(p);
        } else if (const auto* p = std::get_if<DateSetRecord>(&record)) {
            place(p);
        } else if (const auto* p = std::get_if<ToolsRecord>(&record)) {
            place(p);
        } else if (const auto* p = std::get_if<ConclusionsRecord>(&record)) {
            for (const ConclusionRecord& conclusion : p->lstConclusions)
                lst.append(
                    {&conclusion, conclusion.results.iNum, conclusion.lstPanels.value(0).iNum});
        } else if (const auto* p = std::get_if<UserItemsRecord>(&record)) {
            for (const StdItemRecord& item : p->lstItems)
                lstUserItems.append(&item);
        }
    }
    for (const StdItemRecord* pItem : std::as_const(lstUserItems))
        lst.insert(positionFor(lst, pItem->iNum), {pItem, pItem->iNum, pItem->iNum});

    QList<SPrintedSection> lstPrinted;
    lstPrinted.reserve(lst.size());
    int iShift = 0;
    int iConclusions = 0;
    for (const SPlaced& placed : std::as_const(lst)) {
        if (isLeftOut(placed)) {
            iShift = 1;
            continue;
        }
        lstPrinted.append({placed.record, iShift + iConclusions});
        if (std::holds_alternative<const ConclusionRecord*>(placed.record))
            ++iConclusions;
    }
    return lstPrinted;
}

QString protocolNumber(const ProtocolDocument& doc) {
    return doc.valueOf<StdItemRecord>(Caption::sNumber);
}

QString protocolDateText(const ProtocolDocument& doc) {
    const DateRecord* pDate = doc.first<DateRecord>();
    return pDate ? pDate->dtDate.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString protocolHeading(const ProtocolDocument& doc) {
    const QString sHeading =
        QStringLiteral("Протокол по проведению контроля %1 №%2 от %3 г.")
            .arg(methodsText(doc), protocolNumber(doc).toHtmlEscaped(), protocolDateText(doc));
    return QStringLiteral("<H4 ALIGN=\"CENTER\">") + sHeading + QStringLiteral("<BR></H4>\n");
}

QString protocolHtml(const ProtocolDocument& doc) {
    const HeaderRecord* pHeader = doc.first<HeaderRecord>();
    QString sHtml = headerHtml(pHeader ? *pHeader : HeaderRecord()) + protocolHeading(doc);
    for (const SPrintedSection& section : printedSections(doc))
        sHtml += std::visit([&](const auto* p) { return sectionHtml(*p, section.iShift); },
                            section.record);
    return sHtml;
}

QString endingHtml(const QString& sStatement) {
    QString sHtml;
    if (!sStatement.trimmed().isEmpty()) {
        // typed line breaks stay line breaks
        QString sText = sStatement.toHtmlEscaped();
        sText.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        sHtml += QStringLiteral("<p>") + sText + QStringLiteral("</p>\n");
    }
    return sHtml + QStringLiteral("<p ALIGN=\"CENTER\">Конец протокола</p>\n");
}

QString footerTitle(const ProtocolDocument& doc) {
    QString sTitle = QStringLiteral("Протокол");
    const QString sNumber = protocolNumber(doc).trimmed();
    if (!sNumber.isEmpty())
        sTitle += QStringLiteral(" № ") + sNumber;
    const QString sDate = protocolDateText(doc);
    if (!sDate.isEmpty())
        sTitle += QStringLiteral(" от ") + sDate;
    return sTitle;
}

QString footerText(const QString& sTitle, int iPage, int iPages) {
    return QStringLiteral("%1 · стр. %2 из %3").arg(sTitle).arg(iPage).arg(iPages);
}
