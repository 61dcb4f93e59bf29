#include "app/vekconclusion.h"

#include "base/constants.h"
#include "base/savefile.h"
#include "base/settings.h"
#include "base/userdialogs.h"
#include "commands/createreport.h"
#include "composer/documentcontroller.h"
#include "composer/fusionwidget.h"
#include "composer/journallink.h"
#include "composer/settingsdialog.h"
#include "storage/referencefiles.h"
#include "storage/settingskeys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <new>

CVEKConclusion::CVEKConclusion(QWidget* pParent, const QString& sAppDir) : QScrollArea(pParent) {
    const QString sDir = sAppDir.isEmpty() ? QCoreApplication::applicationDirPath() : sAppDir;
    // an installed program cannot write beside itself: the user's data
    // location keeps the reference files then
    const QString sDataDir = CReferenceFiles::dataDirFor(
        sDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    // the laboratory's shared folder, even when it cannot be reached now: its
    // lists come from the last good copy meanwhile, and what changes waits
    // for it, never going to a private folder of this program's
    const QString sReferenceDir = CReferenceFiles::chosenDir();
    pComposer = new (std::nothrow) CFusionWidget(sDir, nullptr, sDataDir, sReferenceDir);
    if (!pComposer)
        return;
    setWidget(pComposer);
    connectCommandBar(*pComposer);
    // the queue and the recovery copies are this user's on this computer,
    // even when the program runs from a folder others run it from too
    const QString sUserDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString sOwnDir = makePrivateFolder(sUserDir) ? sUserDir : sDataDir;
    pComposer->controller().setOwnDir(sOwnDir);
    // once the window is there to come back to: what a crashed instance
    // left unsaved is offered first; this one keeps its own copy
    QTimer::singleShot(0, &pComposer->controller(),
                       [pController = &pComposer->controller(), sOwnDir] {
                           pController->startRecovery(sOwnDir);
                           pController->offerRecovery(sOwnDir);
                       });
    // once the window is shown: a journal on a server may take a moment
    QTimer::singleShot(iJournalDelayMs, &pComposer->controller().journalLink(),
                       &CJournalLink::startJournal);
    fitMinimumSize();
    restoreWindowGeometry();
    connect(&pComposer->controller(), &CDocumentController::documentStateChanged, this,
            &CVEKConclusion::updateTitle);
    connect(&pComposer->controller(), &CDocumentController::modificationChanged, this,
            &CVEKConclusion::updateTitle);
    connect(&pComposer->controller(), &CDocumentController::documentReplaced, this, [this] {
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
    });
    qApp->installEventFilter(this);
    updateTitle();
    // the vertical scroll bar coming and going changes the room for the form
    viewport()->installEventFilter(this);
}

void CVEKConclusion::connectCommandBar(CFusionWidget& form) {
    CCreateReport* pBar = form.commandBar();
    if (!pBar)
        return;
    CDocumentController* pSession = &form.controller();
    connect(pBar, &CCreateReport::newReport, pSession, &CDocumentController::newProtocol);
    connect(pBar, &CCreateReport::newFromCurrent, pSession, &CDocumentController::newFromCurrent);
    connect(pBar, &CCreateReport::openReport, pSession, &CDocumentController::openWithDialog);
    connect(pBar, &CCreateReport::openRecentReport, pSession, &CDocumentController::openRecent);
    connect(pBar, &CCreateReport::saveReport, pSession, &CDocumentController::saveReport);
    connect(pBar, &CCreateReport::saveReportAs, pSession, &CDocumentController::saveReportAs);
    connect(pBar, &CCreateReport::exportPdf, pSession, &CDocumentController::exportPdfWithDialog);
    connect(pBar, &CCreateReport::exportOdt, pSession, &CDocumentController::exportOdtWithDialog);
    connect(pBar, &CCreateReport::issueReport, pSession, &CDocumentController::issueReport);
    connect(pBar, &CCreateReport::newRevision, pSession, &CDocumentController::newRevision);
    connect(pBar, &CCreateReport::showSettings, pSession, &CDocumentController::showSettings);
    connect(pBar, &CCreateReport::showJournal, &pSession->journalLink(),
            &CJournalLink::showJournal);
    connect(pBar, &CCreateReport::previewReport, &form, &CFusionWidget::slot_previewReport);
    connect(pBar, &CCreateReport::printReport, &form, &CFusionWidget::slot_printReport);
    connect(pBar, &CCreateReport::showInfo, &form, &CFusionWidget::slot_showInfoAbout);
}

void CVEKConclusion::restoreWindowGeometry() {
    // Qt brings a place on a screen since taken away back onto one that is there
    const QByteArray geometry = openSettings()->value(SettingsKey::sWindowGeometry).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
}

void CVEKConclusion::saveWindowGeometry() {
    auto pSettings = openSettings();
    pSettings->setValue(SettingsKey::sWindowGeometry, saveGeometry());
    pSettings->sync();
}

void CVEKConclusion::fitMinimumSize() {
    // a 1366 × 768 laptop leaves less than 768 pixels under its panel; the
    // frame the window manager draws is known only some time after the
    // window is shown on X11, and is guessed from the style until then
    int iHeight = iMinimumHeight;
    if (const QScreen* pScreen = screen()) {
        const QRect available = pScreen->availableGeometry();
        int iFrame = isVisible() ? frameGeometry().height() - height() : 0;
        if (iFrame <= 0)
            iFrame = style()->pixelMetric(QStyle::PM_TitleBarHeight) +
                     2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        iHeight = qMax(qMin(iHeight, available.height() - iFrame), 0);
        setMinimumSize(iMinimumWidth, iHeight);
        // the window with its title bar stays on the screen
        if (isVisible() && !isMaximized() && !isFullScreen() &&
            height() + iFrame > available.height())
            resize(width(), available.height() - iFrame);
        return;
    }
    setMinimumSize(iMinimumWidth, iHeight);
}

bool CVEKConclusion::event(QEvent* pEvent) {
    const bool bDone = QScrollArea::event(pEvent);
    switch (pEvent->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::WindowStateChange:
        fitMinimumSize(); // the frame may be known by now
        break;
    default:
        break;
    }
    return bDone;
}

void CVEKConclusion::updateTitle() {
    if (!pComposer)
        return;
    const QString sFile = pComposer->controller().currentFile();
    setWindowTitle(sFile.isEmpty()
                       ? g_sAppTitle + QStringLiteral("[*]")
                       : QFileInfo(sFile).fileName() + QStringLiteral("[*] — ") + g_sAppTitle);
    setWindowModified(pComposer->controller().isModified());
}

bool CVEKConclusion::dropFiles(QEvent* pEvent) {
    auto pDrop = static_cast<QDropEvent*>(pEvent);
    const QList<QUrl> lstUrls = pDrop->mimeData()->urls();
    if (lstUrls.isEmpty() || !lstUrls.first().isLocalFile())
        return false;
    pDrop->acceptProposedAction();
    if (pEvent->type() == QEvent::Drop)
        // the drop returns first: the questions may run their own loops
        QTimer::singleShot(0, pComposer,
                           [pComposer = pComposer, sFile = lstUrls.first().toLocalFile()] {
                               pComposer->controller().openWithQuestion(sFile);
                           });
    return true;
}

bool CVEKConclusion::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pComposer && pWatched == viewport() && pEvent->type() == QEvent::Resize)
        pComposer->resize(viewport()->width(), pComposer->minimumHeight());
    // every event of the program passes here: its kind is looked at first
    const QEvent::Type eType = pEvent->type();
    const bool bDrop =
        eType == QEvent::DragEnter || eType == QEvent::DragMove || eType == QEvent::Drop;
    if (bDrop && pComposer && pWatched->isWidgetType() &&
        static_cast<QWidget*>(pWatched)->window() == this && dropFiles(pEvent))
        return true;
    return QScrollArea::eventFilter(pWatched, pEvent);
}

void CVEKConclusion::resizeEvent(QResizeEvent* pEvent) {
    QScrollArea::resizeEvent(pEvent);
    if (pComposer)
        pComposer->resize(viewport()->width(), pComposer->minimumHeight());
}

void CVEKConclusion::closeEvent(QCloseEvent* pEvent) {
    // a protocol the user wanted saved but that was not written keeps the window open
    if (pComposer && !pComposer->controller().offerToSaveChanges()) {
        pEvent->ignore();
        return;
    }
    if (pComposer)
        pComposer->controller().journalLink().announceWaitingRows();
    saveWindowGeometry();
    pEvent->accept();
}
