#include "render/pdfexporter.h"

#include "base/constants.h"
#include "base/savefile.h"
#include "render/protocolhtml.h"

#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>

CPdfExporter::CPdfExporter(const ProtocolDocument& doc, const SPrintSetup& setup)
    : doc(doc), setup(setup) {}

bool CPdfExporter::write(const QString& sFileName, QString* pProblem) {
    iPages = 0;
    bCancelled = false;
    QSaveFile file(sFileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (pProblem)
            *pProblem = writeFailure(file);
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(setup.layout);
        writer.setResolution(setup.iResolution);
        writer.setTitle(
            QStringLiteral("Протокол №%1 от %2").arg(protocolNumber(doc), protocolDateText(doc)));
        writer.setCreator(g_sAppTitle + QLatin1Char(' ') + g_sVersion);
        const ERender eRendered =
            paintProtocol(doc, setup.sStatement, &writer, &iPages, fnProgress);
        if (eRendered != ERender::Done) {
            file.cancelWriting(); // no PDF at all
            bCancelled = eRendered == ERender::Cancelled;
            if (bCancelled)
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
