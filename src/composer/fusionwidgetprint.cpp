// Printing and print preview of the document the form shows.
#include "composer/fusionwidget.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "render/protocolhtml.h"
#include "render/protocolprinter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextDocument>

QPrinter* CFusionWidget::printer() {
    if (!pPrinter) {
        pPrinter = new QPrinter(QPrinter::ScreenResolution);
        pPrinter->setPageOrientation(QPageLayout::Landscape);
    }
    return pPrinter;
}

QString CFusionWidget::buildProtocolHtml() const {
    return protocolHtml(document());
}

QString CFusionWidget::protocolHeading() const {
    return ::protocolHeading(document());
}

ERender CFusionWidget::renderProtocol(const ProtocolDocument& doc, QPagedPaintDevice* pTarget,
                                      int* pPages) {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    CProtocolPrinter pages(protocolHtml(doc));
    const int n = pages.paginate(pTarget);
    if (pPages)
        *pPages = n;
    // a long print shows its progress and can be cancelled; the form
    // repaints meanwhile
    QProgressDialog progress(this);
    progress.setWindowTitle(g_sAppTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(iProgressDelayMs);
    progress.setRange(0, n);
    progress.setValue(0);
    const bool bDone = pages.paint(pTarget, [&](int i) {
        progress.setLabelText(QStringLiteral("Печать страницы %1 из %2").arg(i + 1).arg(n));
        progress.setValue(i);
        if (!progress.wasCanceled())
            return true;
        // a printer cancelled prints none of the pages painted so far
        if (auto pPrinter = dynamic_cast<QPrinter*>(pTarget))
            pPrinter->abort();
        return false;
    });
    const bool bCancelled = progress.wasCanceled();
    progress.setValue(n);
    QGuiApplication::restoreOverrideCursor();
    if (bDone)
        return ERender::Done;
    return bCancelled ? ERender::Cancelled : ERender::Failed;
}

void CFusionWidget::slot_printReport() {
    if (!confirmReady(QStringLiteral("Распечатать протокол"),
                      QStringLiteral("Печатать протокол все равно?")))
        return;
    QPrintDialog dialog(printer(), this);
    if (CUserDialogs::get().execDialog(&dialog) != QDialog::Accepted)
        return;
    const bool bToFile = pPrinter->outputFormat() == QPrinter::PdfFormat;
    const ERender eRendered = renderProtocol(document(), pPrinter);
    // a cancelled print into a file leaves no part of a PDF behind
    if (eRendered != ERender::Done && bToFile)
        QFile::remove(pPrinter->outputFileName());
    if (eRendered == ERender::Failed)
        CUserDialogs::warning(this, QStringLiteral("Распечатать протокол"),
                              QStringLiteral("Протокол не напечатан: «%1» не принимает страницы.")
                                  .arg(bToFile
                                           ? QDir::toNativeSeparators(pPrinter->outputFileName())
                                           : pPrinter->printerName()));
}

void CFusionWidget::slot_previewReport() {
    if (!confirmReady(QStringLiteral("Предварительный просмотр"),
                      QStringLiteral("Показать протокол все равно?")))
        return;
    QPrintPreviewDialog dialog(printer(), this, Qt::Window);
    // where the main window is, title bar and all: placed by its size alone
    // a window manager may put its title above the screen
    dialog.setGeometry(window()->geometry());
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &CFusionWidget::printPreview);
    CUserDialogs::get().execDialog(&dialog);
}

void CFusionWidget::printPreview(QPrinter* pTarget) {
    renderProtocol(document(), pTarget);
}
