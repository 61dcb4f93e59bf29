#pragma once

#include <QPageLayout>
#include <QString>

#include <functional>

class QPagedPaintDevice;
struct ProtocolDocument;

// How painting the pages of a print ended.
enum class ERender { Done, Cancelled, Failed };

// Paints the pages of a print on pDevice; the number of pages in *pPages
// when given.
using FRenderPages = std::function<ERender(QPagedPaintDevice* pDevice, int* pPages)>;

// The pages of a print painted at once, with nobody watching: Done, or
// Failed when the device takes no pages.
ERender renderPages(const QString& sHtml, QPagedPaintDevice* pDevice, int* pPages = nullptr);

// Writes the pages of the protocol's print, painted by fnRender on pages of
// layout at iResolution, into the PDF file sFileName, titled "Протокол №12
// от 05.03.2026". False when it was not written (*pProblem says why); a
// print cancelled by the user leaves no file, and gives true.
bool writeProtocolPdf(const QString& sFileName, const ProtocolDocument& doc,
                      const QPageLayout& layout, int iResolution, const FRenderPages& fnRender,
                      int* pPages = nullptr, QString* pProblem = nullptr);
