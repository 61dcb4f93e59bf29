#pragma once

#include "document/protocoldocument.h"
#include "render/printsetup.h"
#include "render/protocolprinter.h"

#include <QString>

// The protocol as a PDF: the pages of its print, on the page set-up's
// pages, titled "Протокол №12 от 05.03.2026". Writes through a save file:
// a PDF not written whole, or cancelled, leaves the old file as it was.
class CPdfExporter {
public:
    CPdfExporter(const ProtocolDocument& doc, const SPrintSetup& setup);

    // Told before each page is painted; false cancels the PDF.
    void setProgress(const FPageProgress& fn) { fnProgress = fn; }

    // Writes the PDF file sFileName. False when it was not written
    // (*pProblem says why); a PDF cancelled through the progress leaves no
    // file, and gives true.
    bool write(const QString& sFileName, QString* pProblem = nullptr);
    // The pages written; 0 before.
    int pages() const { return iPages; }
    // Whether the last write was cancelled.
    bool wasCancelled() const { return bCancelled; }

private:
    ProtocolDocument doc;
    SPrintSetup setup;
    FPageProgress fnProgress;
    int iPages = 0;
    bool bCancelled = false;
};
