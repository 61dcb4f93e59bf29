#pragma once

#include "document/sectionrecords.h"

#include <QString>

// The fragments of the printed protocol, one for each kind of section
// record. A numbered fragment prints the number its record carries less
// iShift (see printedSections); every text the user typed is escaped.

// The laboratory header: name, address with telephone, accreditation.
QString headerHtml(const HeaderRecord& header);
// "N. caption value." A customer or ground of number 0, and an item of a
// number below 1, print nothing.
QString sectionHtml(const StdItemRecord& item, int iShift);
QString sectionHtml(const ComboItemRecord& item, int iShift);
// "N. caption text. text." A list of no texts, or of a number below 1,
// prints nothing.
QString sectionHtml(const EditableSetRecord& list, int iShift);
// The dates as "dd.MM.yyyy"; the unset date, and a date not read whole, as
// "__.__.____".
QString sectionHtml(const DateSetRecord& list, int iShift);
// The caption, then the instruments lettered "a." to "z." and on again
// from "a.", each on its own line.
QString sectionHtml(const ToolsRecord& tools, int iShift);
// A results table: the column titles, then the rows, each numbered.
QString tableHtml(const TableRecord& table);
// "N. Результаты … контроля." with the table.
QString sectionHtml(const ResultsRecord& results, int iShift);
// The written conclusion; nothing while it is switched off.
QString sectionHtml(const ReportRecord& report, int iShift);
// The results of one method with their table, the written conclusion when
// it is switched on, and every specialist with role, certificate and a
// line to sign on.
QString sectionHtml(const ConclusionRecord& conclusion, int iShift);
