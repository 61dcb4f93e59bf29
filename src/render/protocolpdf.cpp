#include "render/protocolpdf.h"

#include "base/constants.h"
#include "base/savefile.h"
#include "render/protocolhtml.h"
#include "render/protocolprinter.h"

#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>

ERender renderPages(const QString& sHtml, QPagedPaintDevice* pDevice, int* pPages) {
    CProtocolPrinter pages(sHtml);
    const int n = pages.paginate(pDevice);
    if (pPages)
        *pPages = n;
    return pages.paint(pDevice) ? ERender::Done : ERender::Failed;
}

bool writeProtocolPdf(const QString& sFileName, const ProtocolDocument& doc,
                      const QPageLayout& layout, int iResolution, const FRenderPages& fnRender,
                      int* pPages, QString* pProblem) {
    QSaveFile file(sFileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (pProblem)
            *pProblem = writeFailure(file);
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(layout);
        writer.setResolution(iResolution);
        writer.setTitle(
            QStringLiteral("Протокол №%1 от %2").arg(protocolNumber(doc), protocolDateText(doc)));
        writer.setCreator(g_sAppTitle + QLatin1Char(' ') + g_sVersion);
        const ERender eRendered = fnRender(&writer, pPages);
        if (eRendered != ERender::Done) {
            file.cancelWriting(); // no PDF at all
            if (eRendered == ERender::Cancelled)
                return true;
            if (pProblem)
                *pProblem = QStringLiteral("Файл «%1» не записан: страницы не удалось вывести")
                                .arg(QDir::toNativeSeparators(sFileName));
            return false;
        }
    }
    const bool bWritten = commitSaveFile(file);
    if (!bWritten && pProblem)
        *pProblem = writeFailure(file);
    return bWritten;
}
