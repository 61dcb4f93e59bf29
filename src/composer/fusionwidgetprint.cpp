// Printing and print preview of the document the form shows.
#include "composer/fusionwidget.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "composer/documentcontroller.h"
#include "composer/printsettings.h"
#include "render/protocolhtml.h"
#include "render/protocolprinter.h"
#include "storage/labstatement.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextDocument>

#include <memory>

namespace {
// The progress window of a print and the busy cursor, while they last.
struct SPrintProgress {
    explicit SPrintProgress(QWidget* pParent) : dialog(pParent) {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        dialog.setWindowTitle(g_sAppTitle);
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setMinimumDuration(CFusionWidget::iProgressDelayMs);
    }
    ~SPrintProgress() {
        dialog.setValue(dialog.maximum());
        QGuiApplication::restoreOverrideCursor();
    }
    QProgressDialog dialog;
};
} // namespace

QPrinter* CFusionWidget::printer() {
    if (!pPrinter) {
        pPrinter = new QPrinter(QPrinter::ScreenResolution);
        pPrinter->setPageLayout(storedPageLayout());
    }
    return pPrinter;
}

QString CFusionWidget::buildProtocolHtml() const {
    return protocolHtml(document());
}

QString CFusionWidget::protocolHeading() const {
    return ::protocolHeading(document());
}

FPageProgress CFusionWidget::pageProgress(QPagedPaintDevice* pTarget) {
    auto pProgress = std::make_shared<SPrintProgress>(this);
    // a long print shows its progress and can be cancelled; the form
    // repaints meanwhile
    return [pProgress, pTarget](int i, int n) {
        QProgressDialog& progress = pProgress->dialog;
        if (i == 0) {
            progress.setRange(0, n);
            progress.setValue(0);
        }
        progress.setLabelText(QStringLiteral("Печать страницы %1 из %2").arg(i + 1).arg(n));
        progress.setValue(i);
        if (!progress.wasCanceled())
            return true;
        // a printer cancelled prints none of the pages painted so far
        if (auto pPrinter = dynamic_cast<QPrinter*>(pTarget))
            pPrinter->abort();
        return false;
    };
}

ERender CFusionWidget::renderProtocol(const ProtocolDocument& doc, QPagedPaintDevice* pTarget,
                                      int* pPages) {
    // the laboratory's statement as its folder holds it now
    const FPageProgress fnProgress = pageProgress(pTarget);
    return paintProtocol(doc, CLabStatement::read(controller().referenceDir()), pTarget, pPages,
                         fnProgress);
}

void CFusionWidget::slot_printReport() {
    if (!confirmReady(QStringLiteral("Распечатать протокол"),
                      QStringLiteral("Печатать протокол все равно?")))
        return;
    QPrintDialog dialog(printer(), this);
    if (CUserDialogs::get().execDialog(&dialog) != QDialog::Accepted)
        return;
    storePageLayout(pPrinter->pageLayout());
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
    // the page set-up chosen there is kept, printed or not
    storePageLayout(printer()->pageLayout());
}

void CFusionWidget::printPreview(QPrinter* pTarget) {
    renderProtocol(document(), pTarget);
}
