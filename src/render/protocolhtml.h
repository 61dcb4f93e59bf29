#pragma once

#include "document/protocoldocument.h"

#include <QList>
#include <QString>

#include <variant>

// The print of a protocol, made from its document alone: what was read or
// is shown is what is printed.

// A numbered section of the print, and the number it prints with: the one
// its record carries less iShift, which is one after a customer left out
// and one more for every conclusion before it (its specialists carry a
// number the print does not show). It points into the document it was
// found in.
struct SPrintedSection {
    std::variant<const StdItemRecord*, const ComboItemRecord*, const EditableSetRecord*,
                 const DateSetRecord*, const ToolsRecord*, const ConclusionRecord*>
        record;
    int iShift = 0;
};

// The numbered sections in the order of the print: the records in their
// order, each conclusion on its own; each item of the user's own before
// the first section numbered above it, or last; a customer with no text
// left out. The protocol number and the methods are the heading's.
QList<SPrintedSection> printedSections(const ProtocolDocument& doc);

// The protocol number as typed, and its date as "dd.MM.yyyy"; empty when
// the document gives none.
QString protocolNumber(const ProtocolDocument& doc);
QString protocolDateText(const ProtocolDocument& doc);

// "Протокол по проведению контроля ультразвуковым и магнитным методами №12
// от 05.03.2026 г.", centred: the methods as the document names them, a
// name outside the nine as it was read.
QString protocolHeading(const ProtocolDocument& doc);

// The whole print: the laboratory header, the heading, and the fragment of
// every printed section. No html, head or body element wraps it.
QString protocolHtml(const ProtocolDocument& doc);

// What ends the print under the signatures: the laboratory's statement as
// typed (none when empty), then "Конец протокола", centred.
QString endingHtml(const QString& sStatement);

// What every page's footer names the protocol by: "Протокол № 118/26 от
// 07.12.2026"; a number or date the document leaves empty is left out, so
// a draft's pages say "Протокол от 07.12.2026", or "Протокол".
QString footerTitle(const ProtocolDocument& doc);
// "Протокол № 118/26 от 07.12.2026 · стр. 2 из 4": page iPage (from 1) of iPages.
QString footerText(const QString& sTitle, int iPage, int iPages);
