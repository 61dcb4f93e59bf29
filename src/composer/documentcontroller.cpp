// The protocol's document: new, open, save, PDF, the save question, whether
// it changed, and the recovery copy.
#include "composer/documentcontroller.h"

#include "base/constants.h"
#include "base/savefile.h"
#include "base/userdialogs.h"
#include "composer/fusionwidget.h"
#include "composer/journallink.h"
#include "composer/printsettings.h"
#include "document/protocolmodel.h"
#include "render/odtexporter.h"
#include "render/pdfexporter.h"
#include "storage/recentdocuments.h"
#include "storage/recoverycopy.h"
#include "storage/recoveryfile.h"
#include "storage/referencefiles.h"
#include "storage/referencelists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <utility>

namespace {
const QString g_sOpenTitle = QStringLiteral("Загрузить документ");
const QString g_sFilter = QStringLiteral("Файлы заключений (*.rpt)");
const QString g_sCannotWrite = QStringLiteral("Не удалось открыть файл \"%1\"\nдля записи!");
} // namespace

CDocumentController::CDocumentController(CFusionWidget& form, const QString& sAppDir,
                                         const QString& sDataDir, const QString& sReferenceDir)
    : QObject(&form), form(form), sAppDir(sAppDir),
      sDataDir(sDataDir.isEmpty() ? sAppDir : sDataDir), sOwnDir(this->sDataDir) {
    // the directory of the last document; none before the first one is saved
    sWorkDir = CReferenceFiles::readWorkDir(readDir(CReferenceFiles::sWorkDirFile));
    pModel = new CProtocolModel(this);
    connect(pModel, &CProtocolModel::modificationChanged, this, &CDocumentController::showModified);
    openLists(sReferenceDir.isEmpty() ? this->sDataDir : sReferenceDir);
    pJournalLink = new CJournalLink(*this, form);
    pJournalLink->setQueueDir(sOwnDir);
}

// The recovery copy goes with its own member.
CDocumentController::~CDocumentController() = default;

void CDocumentController::start() {
    // once the window is there: the message belongs to it
    QTimer::singleShot(0, this, &CDocumentController::announceListProblems);
    loadLastHeader();
    takeSnapshot();
}

QString CDocumentController::readDir(const QString& sFile) const {
    return CReferenceFiles::readDirFor(sAppDir, sDataDir, sFile);
}

// Whether the protocol changed.

void CDocumentController::takeSnapshot() {
    pModel->setDocument(form.document());
    pModel->markSaved(sCurrentFile);
}

bool CDocumentController::isChanged() const {
    form.syncModel();
    return pModel->isChanged();
}

void CDocumentController::checkModified() {
    form.syncModel();
}

void CDocumentController::showModified(bool bModified) {
    if (bModified != bShownModified) {
        bShownModified = bModified;
        emit modificationChanged(bModified);
    }
}

bool CDocumentController::offerToSaveChanges() {
    if (!isChanged())
        return true;
    const auto eAnswer = CUserDialogs::question(
        &form, g_sAppTitle,
        QStringLiteral("Начальные данные были изменены. Желаете сохранить текущий протокол?"),
        CUserDialogs::Yes | CUserDialogs::No | CUserDialogs::Cancel, CUserDialogs::Yes);
    if (eAnswer == CUserDialogs::No)
        return true;
    // Cancel (Escape) goes back to the form; the protocol is not given up
    // either when the user wanted it saved but no document was written
    return eAnswer == CUserDialogs::Yes && saveReport();
}

// Files.

void CDocumentController::setCurrentFile(const QString& sFileName) {
    sCurrentFile = sFileName.isEmpty() ? QString() : QFileInfo(sFileName).absoluteFilePath();
    if (!sCurrentFile.isEmpty())
        form.showRecentDocuments(CRecentDocuments::add(sCurrentFile));
    lookUpIssue(); // an issued file is shown as issued
    emit documentStateChanged();
}

QString CDocumentController::partlyReadText(const QString& sFileName,
                                            const QStringList& lstLeftOut) {
    const QString sText =
        QStringLiteral("Документ \"%1\" поврежден и прочитан только частично!").arg(sFileName);
    return lstLeftOut.isEmpty() ? sText
                                : sText + QLatin1Char('\n') + CUserDialogs::linesText(lstLeftOut);
}

QString CDocumentController::withSuffix(QString sFileName, const QString& sSuffix) {
    if (QFileInfo(sFileName).suffix().isEmpty())
        sFileName += sFileName.endsWith(QLatin1Char('.')) ? sSuffix.mid(1) : sSuffix;
    return sFileName;
}

QString CDocumentController::proposedFileName(const QString& sSuffix) const {
    QString sName = form.protocolNumber().trimmed();
    // what a file name cannot hold on the systems a protocol travels to
    static const QString sForbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar& ch : sName) {
        if (sForbidden.contains(ch) || ch.unicode() < 0x20)
            ch = QLatin1Char('-');
    }
    return sName.isEmpty() ? QString() : sName + sSuffix;
}

QString CDocumentController::documentDir() const {
    if (!sCurrentFile.isEmpty())
        return QFileInfo(sCurrentFile).absolutePath();
    const bool bRecoveryPlace = !sRecoveryDir.isEmpty() && QDir(sWorkDir) == QDir(sRecoveryDir);
    if (!sWorkDir.isEmpty() && QFileInfo(sWorkDir).isDir() && !bRecoveryPlace)
        return sWorkDir;
    const QString sDocuments = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(sDocuments).isDir() ? sDocuments : QDir::homePath();
}

bool CDocumentController::newProtocol() {
    if (!offerToSaveChanges())
        return false;
    startNew(form.blankDocument());
    return true;
}

bool CDocumentController::newFromCurrent() {
    if (!offerToSaveChanges())
        return false;
    // what is shown, typed or not, saved or not
    startNew(followingProtocol(form.document(), QDate::currentDate()));
    form.markObjectCarriedOver();
    return true;
}

void CDocumentController::startNew(const ProtocolDocument& document) {
    form.setDocument(document);
    setOwnFiles.clear();
    setCurrentFile(QString());
    takeSnapshot();
    writeRecoveryCopy(); // nothing is unsaved
    pJournalLink->offerNextNumber();
    emit documentReplaced();
}

void CDocumentController::openWithDialog() {
    // unsaved changes are offered for saving before they are replaced
    if (!offerToSaveChanges())
        return;
    const QString sFileName =
        CUserDialogs::get().openFileName(&form, g_sOpenTitle, documentDir(), g_sFilter);
    if (!sFileName.isEmpty())
        openDocument(sFileName);
}

bool CDocumentController::openWithQuestion(const QString& sFileName) {
    // a file of another kind is refused before anything is asked
    if (sFileName.endsWith(QStringLiteral(".rpt")) && !offerToSaveChanges())
        return false;
    return openDocument(sFileName);
}

void CDocumentController::openRecent(const QString& sPath) {
    if (!QFileInfo::exists(sPath)) {
        form.showRecentDocuments(CRecentDocuments::remove(sPath));
        CUserDialogs::warning(&form, g_sOpenTitle,
                              QStringLiteral("Документ «%1» не найден и удален из списка "
                                             "последних документов.")
                                  .arg(QDir::toNativeSeparators(sPath)));
        return;
    }
    openWithQuestion(sPath);
}

bool CDocumentController::openDocument(const QString& sFileName) {
    if (!sFileName.endsWith(QStringLiteral(".rpt"))) {
        CUserDialogs::warning(
            &form, g_sOpenTitle,
            QStringLiteral("Указан файл \"%1\"\nс неправильным расширением!").arg(sFileName));
        return false;
    }
    sWorkDir = QFileInfo(sFileName).absolutePath();
    const QString sTooLarge = sizeProblem(sFileName, g_iMaxDocumentBytes);
    if (!sTooLarge.isEmpty()) {
        CUserDialogs::warning(&form, g_sOpenTitle, sTooLarge);
        return false;
    }
    QFile file(sFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        CUserDialogs::warning(
            &form, g_sOpenTitle,
            QStringLiteral("Не удалось открыть файл \"%1\" для чтения!").arg(sFileName));
        return false;
    }
    // the records first: a file that is no protocol leaves the form as it was
    const SProtocolRead read = readProtocol(file.readAll());
    file.close();
    if (read.iRecords == 0) {
        CUserDialogs::warning(&form, g_sOpenTitle,
                              QStringLiteral("Файл «%1» не является протоколом.").arg(sFileName));
        return false;
    }
    const QStringList lstLeftOut = takeDocument(read, sFileName);
    if (!read.bSound || !lstLeftOut.isEmpty())
        CUserDialogs::warning(&form, g_sOpenTitle, partlyReadText(sFileName, lstLeftOut));
    return read.bSound && lstLeftOut.isEmpty();
}

QStringList CDocumentController::takeDocument(const SProtocolRead& read, const QString& sFileName) {
    form.setDocument(read.document);
    // the laboratory's lists learn what the protocol names and they lack
    pLists->learn(read.document, true);
    emit documentReplaced();
    // the protocol is what the file holds; what the form shows of it is the
    // document edited, so whatever it could not show counts as a change
    pModel->reset(read.document, sFileName);
    pModel->setDocument(form.document());
    const QStringList lstLeftOut = read.lstLeftOut + leftOut(read.document, pModel->document());
    const bool bWhole = read.bSound && lstLeftOut.isEmpty();
    setOwnFiles = {QFileInfo(sFileName).absoluteFilePath()};
    // a document read or shown only partly is never overwritten in place by
    // what was read of it, and what was lost is asked about on closing
    setCurrentFile(bWhole ? sFileName : QString());
    if (!bWhole)
        pModel->markUnsaved(QString());
    return lstLeftOut;
}

bool CDocumentController::saveReport() {
    return sCurrentFile.isEmpty() ? saveReportAs() : writeProtocol(sCurrentFile);
}

bool CDocumentController::saveReportAs() {
    const QString sStart =
        sCurrentFile.isEmpty()
            ? QDir(documentDir()).filePath(proposedFileName(QStringLiteral(".rpt")))
            : sCurrentFile;
    const QString sFileName =
        CUserDialogs::get().saveFileName(&form, sSaveTitle, sStart, g_sFilter);
    if (sFileName.isEmpty())
        return false;
    return writeProtocol(withSuffix(sFileName, QStringLiteral(".rpt")));
}

bool CDocumentController::writeProtocol(const QString& sFileName) {
    if (refuseIssuedSave(sFileName))
        return false;
    sWorkDir = QFileInfo(sFileName).absolutePath();
    QSaveFile file(sFileName);
    if (!file.open(QIODevice::WriteOnly)) {
        CUserDialogs::warning(&form, sSaveTitle,
                              g_sCannotWrite.arg(sFileName) + QStringLiteral("\n\n") +
                                  writeFailure(file));
        return false;
    }
    form.commitEdits();
    const SJournalEntry entry = pJournalLink->journalEntry(sFileName);
    bool bTakeOver = false;
    if (!pJournalLink->mayRegister(entry, setOwnFiles.contains(entry.sPath), &bTakeOver)) {
        file.cancelWriting();
        return false;
    }
    QDataStream out(&file);
    ::writeProtocol(out, form.document());
    if (out.status() != QDataStream::Ok) {
        file.cancelWriting();
        CUserDialogs::warning(&form, sSaveTitle, g_sCannotWrite.arg(sFileName));
        return false;
    }
    // the journal row and the file are one unit: the row is held until the
    // file is committed, and undone when it is not
    if (!pJournalLink->beginRegistration(entry, bTakeOver)) {
        file.cancelWriting();
        return false;
    }
    if (!commitSaveFile(file)) {
        pJournalLink->cancelRegistration();
        CUserDialogs::warning(&form, sSaveTitle, writeFailure(file));
        return false;
    }
    pJournalLink->finishRegistration(entry);
    setOwnFiles.insert(entry.sPath);
    saveReferenceFiles();
    setCurrentFile(sFileName);
    takeSnapshot();
    writeRecoveryCopy(); // nothing is unsaved any more
    return true;
}

QString CDocumentController::askExportFile(const QString& sFormat, const QString& sFilter) {
    const QString sTitle = exportTitle(sFormat);
    if (!form.confirmReady(sTitle,
                           QStringLiteral("Сохранить протокол в %1 все равно?").arg(sFormat)))
        return QString();
    const QString sSuffix = QLatin1Char('.') + sFormat.toLower();
    const QString sStart = QDir(documentDir()).filePath(proposedFileName(sSuffix));
    const QString sChosen = CUserDialogs::get().saveFileName(&form, sTitle, sStart, sFilter);
    if (sChosen.isEmpty())
        return QString();
    const QString sFile = withSuffix(sChosen, sSuffix);
    // the issued PDF is the one the customer holds: no copy goes over it
    if (issued && QFileInfo(sFile).absoluteFilePath() == issued->sPdfPath) {
        CUserDialogs::warning(&form, sTitle,
                              QStringLiteral("«%1» — выданный протокол, он не заменяется. "
                                             "Выберите другое имя файла.")
                                  .arg(QDir::toNativeSeparators(sFile)));
        return QString();
    }
    return sFile;
}

QString CDocumentController::exportTitle(const QString& sFormat) {
    return QStringLiteral("Сохранить в %1").arg(sFormat);
}

void CDocumentController::exportPdfWithDialog() {
    const QString sFileName =
        askExportFile(QStringLiteral("PDF"), QStringLiteral("Документы PDF (*.pdf)"));
    QString sProblem;
    if (!sFileName.isEmpty() && !exportPdf(sFileName, nullptr, &sProblem))
        CUserDialogs::warning(&form, exportTitle(QStringLiteral("PDF")), sProblem);
}

bool CDocumentController::exportPdf(const QString& sFileName, int* pPages, QString* pProblem) {
    // the pages of the print, at its resolution, with its progress
    CPdfExporter exporter(form.document(),
                          printSetup(referenceDir(), form.printer()->resolution()));
    exporter.setProgress(form.pageProgress(form.printer()));
    const bool bWritten = exporter.write(sFileName, pProblem);
    if (pPages)
        *pPages = exporter.pages();
    return bWritten;
}

void CDocumentController::exportOdtWithDialog() {
    const QString sFileName =
        askExportFile(QStringLiteral("ODT"), QStringLiteral("Документы OpenDocument (*.odt)"));
    QString sProblem;
    if (!sFileName.isEmpty() && !exportOdt(sFileName, &sProblem))
        CUserDialogs::warning(&form, exportTitle(QStringLiteral("ODT")), sProblem);
}

bool CDocumentController::exportOdt(const QString& sFileName, QString* pProblem) {
    return COdtExporter(form.document(), printSetup(referenceDir(), SPrintSetup().iResolution))
        .write(sFileName, pProblem);
}

// The recovery copy.

void CDocumentController::startRecovery(const QString& sDir) {
    sRecoveryDir = sDir;
    pRecovery = std::make_unique<CRecoveryCopy>(*pModel, sDir);
    connect(pRecovery.get(), &CRecoveryCopy::written, this,
            [this] { form.showStatus(CCreateReport::EStatus::Recovery, QString()); });
    connect(pRecovery.get(), &CRecoveryCopy::failed, this, [this](const QString& sError) {
        // told once, not at every copy: the status line says it meanwhile
        const bool bTold = !form.status(CCreateReport::EStatus::Recovery).isEmpty();
        form.showStatus(CCreateReport::EStatus::Recovery,
                        QStringLiteral("Копия для восстановления не записана"));
        if (!bTold)
            CUserDialogs::warning(&form, g_sAppTitle,
                                  QStringLiteral("Копия несохраненного протокола для "
                                                 "восстановления после сбоя не записана: %1")
                                      .arg(sError));
    });
}

QString CDocumentController::recoveryPath() const {
    return pRecovery ? pRecovery->path() : QString();
}

void CDocumentController::writeRecoveryCopy() {
    if (!pRecovery)
        return;
    form.syncModel();
    pRecovery->writeNow();
}

// Which protocol a recovery copy holds, as the question names it: its
// number, the document it was made of, when it was written.
QString CDocumentController::recoveryQuestion(const ProtocolDocument& document,
                                              const QString& sSource, const QString& sWhen) {
    const QString sNumber = document.valueOf<StdItemRecord>(Caption::sNumber).trimmed();
    const QString sWhat = sNumber.isEmpty() ? QStringLiteral("протокол")
                                            : QStringLiteral("протокол №%1").arg(sNumber);
    const QString sOf =
        sSource.isEmpty() ? QStringLiteral("новый, еще не сохранялся")
                          : QStringLiteral("документ «%1»").arg(QDir::toNativeSeparators(sSource));
    return QStringLiteral("Найден несохраненный %1 (%2) от %3. Восстановить его?")
        .arg(sWhat, sOf, sWhen);
}

void CDocumentController::offerRecovery(const QString& sDir) {
    CRecoveryFile::removeLeftovers(sDir);
    for (const QString& sPath : CRecoveryFile::orphans(sDir)) {
        const QString sWhen =
            QFileInfo(sPath).lastModified().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
        // read first: the question names the protocol
        QString sProblem = sizeProblem(sPath, g_iMaxDocumentBytes);
        SProtocolRead read;
        QFile file(sPath);
        if (sProblem.isEmpty() && !file.open(QIODevice::ReadOnly))
            sProblem = file.errorString();
        else if (sProblem.isEmpty())
            read = readProtocol(file.readAll());
        file.close();
        if (sProblem.isEmpty() && read.iRecords == 0)
            sProblem = QStringLiteral("это не протокол");
        const QString sSource = CRecoveryFile::sourceOf(sPath);
        const auto eAnswer = CUserDialogs::question(
            &form, g_sAppTitle, recoveryQuestion(read.document, sSource, sWhen));
        if (eAnswer != CUserDialogs::Yes) {
            CRecoveryFile::discard(sPath);
            continue;
        }
        const bool bWhole = sProblem.isEmpty() && read.bSound;
        if (!bWhole) {
            // what cannot be read whole stays on disk for the laboratory to look at
            const QString sKept = CRecoveryFile::keep(sPath);
            CUserDialogs::warning(
                &form, g_sAppTitle,
                QStringLiteral("Копия несохраненного протокола %1 прочитана не полностью (%2) и "
                               "оставлена на диске: «%3».")
                    .arg(sWhen, sProblem.isEmpty() ? QStringLiteral("повреждена") : sProblem,
                         QDir::toNativeSeparators(sKept)));
            if (read.iRecords == 0)
                continue;
        }
        // the protocol is unsaved, so closing asks; this instance's own copy
        // takes over, and a save goes to the document it was made of
        form.setDocument(read.document);
        emit documentReplaced();
        const bool bSourceThere = read.bSound && QFileInfo::exists(sSource);
        setOwnFiles.clear();
        if (bSourceThere)
            setOwnFiles.insert(sSource);
        setCurrentFile(bSourceThere ? sSource : QString());
        takeSnapshot();
        pModel->markUnsaved(bSourceThere ? sSource : QString());
        // on disk as this instance's copy before the one it came from goes
        writeRecoveryCopy();
        if (bWhole)
            CRecoveryFile::discard(sPath);
        return;
    }
}
