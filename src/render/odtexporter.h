#pragma once

#include "document/protocoldocument.h"
#include "render/printsetup.h"

#include <QByteArray>
#include <QString>

// The protocol as an OpenDocument text, an editable copy for a customer
// that a word processor lays out as the PDF: the page set-up's page and
// margins, the print's font and spacing, every page's footer naming the
// protocol with its page and number of pages, a results table's title row
// repeated on every page it runs over, columns wide enough for the longest
// word of each, and no heading left at the foot of a page.
class COdtExporter {
public:
    COdtExporter(const ProtocolDocument& doc, const SPrintSetup& setup);

    // Writes the ODT file sFileName through a save file; false with
    // *pProblem saying why when it was not written.
    bool write(const QString& sFileName, QString* pProblem = nullptr);
    // The whole file.
    QByteArray bytes() const;

private:
    ProtocolDocument doc;
    SPrintSetup setup;
};
