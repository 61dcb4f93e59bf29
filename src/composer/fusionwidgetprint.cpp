// Rendering of the protocol as HTML, printing and print preview.
#include "composer/fusionwidget.h"

#include "base/userdialogs.h"
#include "composer/reportheader.h"
#include "document/validity.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "refdata/measuringtool.h"
#include "results/conclusion.h"

#include "base/constants.h"
#include "render/protocolprinter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextDocument>

namespace {
// The most gaps the question before a print lists one per line.
constexpr int iMaxProblemsShown = 10;
} // namespace

QPrinter* CFusionWidget::printer() {
    if (!pPrinter) {
        pPrinter = new QPrinter(QPrinter::ScreenResolution);
        pPrinter->setPageOrientation(QPageLayout::Landscape);
    }
    return pPrinter;
}

QString CFusionWidget::buildProtocolHtml() {
    QString sHtml = pHeader ? pHeader->toHtml() : QString();
    sHtml += protocolHeading();
    // shift: the customer left out; k: one specialist number per conclusion
    // before, which the print does not show
    int iShift = 0;
    int k = 0;
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        if (auto pConclusion = qobject_cast<CConclusion*>(lstSections[i])) {
            sHtml += pConclusion->toHtml(iShift + k);
            ++k;
            continue;
        }
        auto pItem = qobject_cast<CReportItemWidget*>(lstSections[i]);
        if (!pItem)
            continue;
        // a customer that prints no text is left out of the print; the
        // items after it print one number lower than on screen
        auto pCombo = qobject_cast<CStdComboItem*>(pItem);
        if (pCombo && pCombo->name() == sCustomerCaption && pCombo->valueText().isEmpty()) {
            iShift = 1;
            continue;
        }
        sHtml += pItem->toHtml(iShift + k);
    }
    return sHtml;
}

QString CFusionWidget::protocolHeading() {
    QString sNumber;
    if (auto pNumber = qobject_cast<CStdItem*>(lstSections.value(iProtocolNumberIndex)))
        sNumber = pNumber->valueText();
    const QList<int> lstChosen = chosenMethods();
    QString sMethods;
    for (int i = 0; i < lstChosen.size(); ++i) {
        if (i > 0)
            sMethods += (i == lstChosen.size() - 1) ? QStringLiteral(" и ") : QStringLiteral(", ");
        sMethods += lstMethodsInstrumental.value(lstChosen[i]);
    }
    sMethods += lstChosen.size() < 2 ? QStringLiteral(" методом") : QStringLiteral(" методами");
    const QString sHeading =
        QStringLiteral("Протокол по проведению контроля %1 №%2 от %3 г.")
            .arg(sMethods, sNumber.toHtmlEscaped(), pDateItem ? pDateItem->dateText() : QString());
    return QStringLiteral("<H4 ALIGN=\"CENTER\">") + sHeading + QStringLiteral("<BR></H4>\n");
}

CFusionWidget::ERender CFusionWidget::renderProtocol(QPagedPaintDevice* pTarget, int* pPages) {
    const QString sHtml = buildProtocolHtml();
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    CProtocolPrinter pages(sHtml);
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

bool CFusionWidget::confirmValidity(const QString& sTitle, const QString& sQuestion) {
    const QStringList lstProblems = validityProblems(document());
    if (lstProblems.isEmpty())
        return true;
    // a protocol signed on an expired certificate has to be withdrawn; the
    // question stays on the screen however many dates are missing
    QStringList lstShown = lstProblems.mid(0, iMaxProblemsShown);
    if (lstProblems.size() > iMaxProblemsShown)
        lstShown << QStringLiteral("и еще %1").arg(lstProblems.size() - iMaxProblemsShown);
    return CUserDialogs::get().message(
               QMessageBox::Warning, this, sTitle,
               QStringLiteral("Сроки действия истекли или не указаны:\n%1\n\n%2")
                   .arg(lstShown.join(QLatin1Char('\n')), sQuestion),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void CFusionWidget::slot_printReport() {
    if (!confirmValidity(QStringLiteral("Распечатать протокол"),
                         QStringLiteral("Печатать протокол все равно?")))
        return;
    QPrintDialog dialog(printer(), this);
    if (CUserDialogs::get().execDialog(&dialog) != QDialog::Accepted)
        return;
    const bool bToFile = pPrinter->outputFormat() == QPrinter::PdfFormat;
    const ERender eRendered = renderProtocol(pPrinter);
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
    if (!confirmValidity(QStringLiteral("Предварительный просмотр"),
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
    renderProtocol(pTarget);
}
