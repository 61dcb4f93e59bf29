#include "render/sectionhtml.h"

#include "base/constants.h"
#include "document/validity.h"

#include <algorithm>

namespace {
// A method a record leaves empty is printed as a line to write it on.
const QString g_sNoMethod = QStringLiteral("____________");

QString dateText(const QDate& dt) {
    return dt.toString(QStringLiteral("dd.MM.yyyy"));
}

// A validity as its panel shows it: the unset date as "__.__.____".
QString validityText(const QDate& dtValidity) {
    const QDate dt = normalisedValidity(dtValidity);
    return dt == g_dtDefault ? g_sUnsetDateText : dateText(dt);
}

QString numbered(int iNum, int iShift) {
    return QString::number(iNum - iShift);
}

QString itemLine(int iNum, int iShift, const QString& sName, const QString& sValue) {
    return QStringLiteral("<p>%1. %2 %3.</p>\n")
        .arg(numbered(iNum, iShift), sName.toHtmlEscaped(), sValue.toHtmlEscaped());
}

QString listLine(int iNum, int iShift, const QString& sName, const QStringList& lstTexts) {
    if (lstTexts.isEmpty() || iNum <= 0)
        return QString();
    QString s = QStringLiteral("%1. %2").arg(numbered(iNum, iShift), sName.toHtmlEscaped());
    for (const QString& sText : lstTexts)
        s += QStringLiteral(" %1.").arg(sText.toHtmlEscaped());
    return QStringLiteral("<p>") + s + QStringLiteral("</p>\n");
}

// "Прибор №1234, свидетельство о поверке №С-1, действительно до 15.01.2027"
QString toolLine(const ToolEntry& e) {
    QString sLine =
        QStringLiteral("%1 №%2, ").arg(e.sToolName.toHtmlEscaped(), e.sNumber.toHtmlEscaped());
    sLine += e.bVerification ? QStringLiteral("свидетельство о поверке №")
                             : QStringLiteral("сертификат калибровки средств измерений №");
    return sLine + e.sCertNumber.toHtmlEscaped() + QStringLiteral(", действительно до ") +
           validityText(e.dtValidity);
}

// One row of a results table.
QString tableRow(const QStringList& lstTexts) {
    QString sRow = QStringLiteral("<TR>");
    for (const QString& sText : lstTexts)
        sRow += QStringLiteral("<TD ALIGN=\"CENTER\">") + sText.toHtmlEscaped() +
                QStringLiteral("</TD>");
    return sRow + QStringLiteral("</TR>\n");
}

} // namespace

// The titles, then the rows holding any text, numbered from 1: rows left
// wholly empty are not printed and take no number.
QString tableHtml(const TableRecord& table) {
    QString sHtml = QStringLiteral(
        "<TABLE ALIGN=\"CENTER\" WIDTH=100% BORDER=\"1\" CELLSPACING=\"0\" CELLPADDING=\"1\">\n");
    sHtml += tableRow(QStringList{QStringLiteral("№")} + table.lstTitles);
    int iPrinted = 1;
    for (int r = 0; r < table.iRows; ++r) {
        const QStringList lstRow =
            table.lstCells.mid(qsizetype(r) * table.iColumns, table.iColumns);
        if (std::all_of(lstRow.cbegin(), lstRow.cend(),
                        [](const QString& s) { return s.isEmpty(); }))
            continue;
        sHtml += tableRow(QStringList{QString::number(iPrinted++)} + lstRow);
    }
    return sHtml + QStringLiteral("</TABLE>\n");
}

QString sectionHtml(const ResultsRecord& results, int iShift) {
    const QString sTitle = QStringLiteral("Результаты %1 контроля")
                               .arg(results.sMethod.isEmpty() ? g_sNoMethod : results.sMethod);
    return QStringLiteral("<p>%1. %2.</p>\n")
               .arg(numbered(results.iNum, iShift), sTitle.toHtmlEscaped()) +
           tableHtml(results.table);
}

// Typed line breaks stay line breaks in the print.
QString sectionHtml(const ReportRecord& report, int iShift) {
    if (!report.bOn)
        return QString();
    const QString sTitle = QStringLiteral("Заключение по результатам %1 контроля")
                               .arg(report.sMethod.isEmpty() ? g_sNoMethod : report.sMethod);
    QString sText = report.sDescription.toHtmlEscaped();
    sText.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return QStringLiteral("<p>%1. %2: %3</p>\n")
        .arg(numbered(report.iNum, iShift), sTitle.toHtmlEscaped(), sText);
}

namespace {

QString roleHeading(int iRole) {
    switch (iRole) {
    case eControler:
        return QStringLiteral("<p><b>Провел контроль:</b></p>\n");
    case eAuthor:
        return QStringLiteral("<p><b>Выдал заключение:</b></p>\n");
    case eControlerAndAuthor:
        return QStringLiteral("<p><b>Провел контроль и выдал заключение:</b></p>\n");
    case eBoss:
        return QStringLiteral("<p><b>Руководитель:</b></p>\n");
    }
    return QString();
}

// A panel naming nobody prints blanks to be filled in by hand: its level
// and certificate belong to no one, and nothing may be printed that the
// user did not choose.
QString specialistLine(const SpecialistEntry& e) {
    const QString sLine =
        QStringLiteral("<p>Специалист %1 уровня НК, удостоверение №%2, выданное %3, "
                       "действительно до %4</p>\n");
    if (e.sName.trimmed().isEmpty())
        return sLine.arg(QStringLiteral("___"), QStringLiteral("__________"),
                         QStringLiteral("__________"), g_sUnsetDateText);
    return sLine.arg(QString::number(e.iLevel + 1), e.sLicenseNum.toHtmlEscaped(),
                     e.sIssuedBy.toHtmlEscaped(), validityText(e.dtValidity));
}

QString panelHtml(const PanelRecord& panel) {
    return roleHeading(panel.iRole) + specialistLine(panel.entry) +
           QStringLiteral("<p>____________________") + panel.entry.sName.toHtmlEscaped() +
           QStringLiteral("</p>\n");
}
} // namespace

QString headerHtml(const HeaderRecord& h) {
    const QString sH2 = QStringLiteral("<H2 ALIGN = \"CENTER\";\"><b>");
    const QString sH4 = QStringLiteral("<H4 ALIGN = \"CENTER\";\"><b>");
    return sH2 + h.sName.toHtmlEscaped() + QStringLiteral("</b></H2>") + sH4 +
           h.sAddress.toHtmlEscaped() + QStringLiteral("&nbsp;&nbsp;&nbsp;телефон / факс ") +
           h.sPhone.toHtmlEscaped() + QStringLiteral("</b></H4>") + sH4 +
           QStringLiteral("Свидетельство об аккредитации лаборатории №") +
           h.sLicence.toHtmlEscaped() + QStringLiteral(", выдано ") + h.sIssuedBy.toHtmlEscaped() +
           QStringLiteral("</b><BR></H4>");
}

QString sectionHtml(const StdItemRecord& item, int iShift) {
    return item.iNum <= 0 ? QString() : itemLine(item.iNum, iShift, item.sName, item.sValue);
}

QString sectionHtml(const ComboItemRecord& item, int iShift) {
    return item.iNum == 0 ? QString() : itemLine(item.iNum, iShift, item.sName, item.sValue);
}

QString sectionHtml(const EditableSetRecord& list, int iShift) {
    return listLine(list.iNum, iShift, list.sName, list.lstTexts);
}

QString sectionHtml(const DateSetRecord& list, int iShift) {
    QStringList lstTexts;
    for (const QDate& dt : list.lstDates)
        lstTexts.append(dt.isValid() && dt != g_dtDefault ? dateText(dt) : g_sUnsetDateText);
    return listLine(list.iNum, iShift, list.sName, lstTexts);
}

QString sectionHtml(const ToolsRecord& tools, int iShift) {
    QString sHtml = QStringLiteral("<p>%1. %2</p>\n")
                        .arg(numbered(tools.iNum, iShift), tools.sName.toHtmlEscaped());
    sHtml +=
        QStringLiteral("<TABLE WIDTH=\"100%\" BORDER=0 CELLSPACING=\"0\" CELLPADDING=\"2\">\n");
    for (int i = 0; i < tools.lstEntries.size(); ++i) {
        const QString sLetter = g_sLetters.mid(i % g_sLetters.size(), 1) + QLatin1Char('.');
        sHtml += QStringLiteral("<tr> <td width=4%></td> <td align=CENTER width=2%>") + sLetter +
                 QStringLiteral("</td> <td align=LEFT width=94%>") + toolLine(tools.lstEntries[i]) +
                 (i + 1 == tools.lstEntries.size() ? QStringLiteral(".") : QStringLiteral(";")) +
                 QStringLiteral("</td> </tr>\n");
    }
    return sHtml + QStringLiteral("</TABLE>\n");
}

QString sectionHtml(const ConclusionRecord& conclusion, int iShift) {
    const QString sBreak = QStringLiteral("<br>\n");
    QString sHtml = sectionHtml(conclusion.results, iShift) + sBreak;
    const QString sReport = sectionHtml(conclusion.report, iShift);
    if (!sReport.isEmpty())
        sHtml += sReport + sBreak;
    for (const PanelRecord& panel : conclusion.lstPanels)
        sHtml += panelHtml(panel) + sBreak;
    return sHtml;
}
