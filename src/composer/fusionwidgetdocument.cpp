// The protocol document: saving, opening and the close-time check.
#include "composer/fusionwidget.h"

#include "base/constants.h"
#include "base/streamutil.h"
#include "base/userdialogs.h"
#include "composer/reportheader.h"
#include "items/editableset.h"
#include "items/extdatset.h"
#include "items/methodsset.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "refdata/measuringtool.h"
#include "results/conclusion.h"

#include "base/savefile.h"
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "commands/createreport.h"
#include "storage/journal.h"
#include "storage/recentdocuments.h"
#include "storage/recoveryfile.h"

#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {
const QString g_sSaveTitle = QStringLiteral("Сохранить документ");
const QString g_sOpenTitle = QStringLiteral("Загрузить документ");
const QString g_sFilter = QStringLiteral("Файлы заключений (*.rpt)");

enum ESectionTag : qint16 {
    eTagHeader = 0,
    eTagDate = 1,
    eTagStdItem = 2,
    eTagComboItem = 3,
    eTagMethods = 4,
    eTagEditableSet = 5,
    eTagDateSet = 6,
    eTagTools = 7,
    eTagConclusions = 8,
    eTagUserItems = 9,
};
} // namespace

void CFusionWidget::takeSnapshot() {
    savedDocument = document();
    bUnsaved = false;
    checkModified();
}

void CFusionWidget::commitPendingInput() {
    // text still being typed in the header or the protocol date counts as
    // entered when the protocol is saved or printed
    if (pHeader)
        pHeader->commitTypedText();
    if (pDateItem)
        pDateItem->slot_updateDate();
}

bool CFusionWidget::isChanged() const {
    return bUnsaved || !document().isSameProtocolAs(savedDocument);
}

bool CFusionWidget::askSaveOnClose() {
    return offerToSaveChanges();
}

bool CFusionWidget::offerToSaveChanges() {
    if (!isChanged())
        return true;
    const auto eAnswer = CUserDialogs::question(
        this, g_sAppTitle,
        QStringLiteral("Начальные данные были изменены. Желаете сохранить текущий протокол?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (eAnswer == QMessageBox::No)
        return true;
    // Cancel (Escape) goes back to the form; the protocol is not given up
    // either when the user wanted it saved but no document was written
    return eAnswer == QMessageBox::Yes && saveReport();
}

void CFusionWidget::slot_saveReport() {
    saveReport();
}

void CFusionWidget::slot_saveReportAs() {
    saveReportAs();
}

bool CFusionWidget::saveReport() {
    return sCurrentFile.isEmpty() ? saveReportAs() : writeProtocol(sCurrentFile);
}

QString CFusionWidget::withSuffix(QString sFileName, const QString& sSuffix) {
    if (QFileInfo(sFileName).suffix().isEmpty())
        sFileName += sFileName.endsWith(QLatin1Char('.')) ? sSuffix.mid(1) : sSuffix;
    return sFileName;
}

QString CFusionWidget::proposedFileName(const QString& sSuffix) const {
    QString sName;
    if (auto pNumber = qobject_cast<CStdItem*>(lstSections.value(iProtocolNumberIndex)))
        sName = pNumber->valueText().trimmed();
    // what a file name cannot hold on the systems a protocol travels to
    static const QString sForbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar& ch : sName) {
        if (sForbidden.contains(ch) || ch.unicode() < 0x20)
            ch = QLatin1Char('-');
    }
    return sName.isEmpty() ? QString() : sName + sSuffix;
}

QString CFusionWidget::documentDir() const {
    if (!sCurrentFile.isEmpty())
        return QFileInfo(sCurrentFile).absolutePath();
    const bool bRecoveryPlace = !sRecoveryDir.isEmpty() && QDir(sWorkDir) == QDir(sRecoveryDir);
    if (!sWorkDir.isEmpty() && QFileInfo(sWorkDir).isDir() && !bRecoveryPlace)
        return sWorkDir;
    const QString sDocuments = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(sDocuments).isDir() ? sDocuments : QDir::homePath();
}

bool CFusionWidget::saveReportAs() {
    const QString sStart =
        sCurrentFile.isEmpty()
            ? QDir(documentDir()).filePath(proposedFileName(QStringLiteral(".rpt")))
            : sCurrentFile;
    const QString sFileName =
        CUserDialogs::get().saveFileName(this, g_sSaveTitle, sStart, g_sFilter);
    if (sFileName.isEmpty())
        return false;
    return writeProtocol(withSuffix(sFileName, QStringLiteral(".rpt")));
}

bool CFusionWidget::writeProtocol(const QString& sFileName) {
    sWorkDir = QFileInfo(sFileName).absolutePath();
    const QString sCannotWrite = QStringLiteral("Не удалось открыть файл \"%1\"\nдля записи!");
    QSaveFile file(sFileName);
    if (!file.open(QIODevice::WriteOnly)) {
        CUserDialogs::warning(this, g_sSaveTitle, sCannotWrite.arg(sFileName));
        return false;
    }
    commitEdits();
    const SJournalEntry entry = journalEntry(sFileName);
    bool bTakeOver = false;
    if (!mayReplaceRegistered(entry.sPath) || !mayTakeNumber(entry, &bTakeOver)) {
        file.cancelWriting();
        return false;
    }
    QDataStream out(&file);
    ::writeProtocol(out, document());
    if (out.status() != QDataStream::Ok) {
        file.cancelWriting();
        CUserDialogs::warning(this, g_sSaveTitle, sCannotWrite.arg(sFileName));
        return false;
    }
    // the journal row and the file are one unit: the row is held until the
    // file is committed, and undone when it is not
    if (!beginRegistration(entry, bTakeOver)) {
        file.cancelWriting();
        return false;
    }
    if (!commitSaveFile(file)) {
        journal()->cancelRegistration();
        CUserDialogs::warning(this, g_sSaveTitle, writeFailure(file));
        return false;
    }
    finishRegistration(entry);
    setOwnFiles.insert(entry.sPath);
    saveReferenceFiles();
    takeSnapshot();
    if (pRecovery)
        pRecovery->remove(); // nothing is unsaved any more
    setCurrentFile(sFileName);
    return true;
}

void CFusionWidget::setCurrentFile(const QString& sFileName) {
    sCurrentFile = sFileName.isEmpty() ? QString() : QFileInfo(sFileName).absoluteFilePath();
    if (!sCurrentFile.isEmpty())
        showRecentDocuments(CRecentDocuments::add(sCurrentFile));
    emit documentStateChanged();
}

void CFusionWidget::showRecentDocuments(const QStringList& lstPaths) {
    if (auto pBar = qobject_cast<CCreateReport*>(lstSections.value(0)))
        pBar->setRecentDocuments(lstPaths);
}

void CFusionWidget::slot_newReport() {
    newProtocol();
}

bool CFusionWidget::newProtocol() {
    if (!offerToSaveChanges())
        return false;
    resetToNewProtocol();
    takeSnapshot();
    if (pRecovery)
        pRecovery->remove();
    setOwnFiles.clear();
    setCurrentFile(QString());
    offerNextNumber();
    return true;
}

void CFusionWidget::slot_openRecentReport(const QString& sPath) {
    if (!QFileInfo::exists(sPath)) {
        showRecentDocuments(CRecentDocuments::remove(sPath));
        CUserDialogs::warning(this, g_sOpenTitle,
                              QStringLiteral("Документ «%1» не найден и удален из списка "
                                             "последних документов.")
                                  .arg(QDir::toNativeSeparators(sPath)));
        return;
    }
    openWithQuestion(sPath);
}

bool CFusionWidget::openWithQuestion(const QString& sFileName) {
    // a file of another kind is refused before anything is asked
    if (sFileName.endsWith(QStringLiteral(".rpt")) && !offerToSaveChanges())
        return false;
    return openDocument(sFileName);
}

void CFusionWidget::commitEdits() {
    commitPendingInput();
    if (auto pNumber = qobject_cast<CStdItem*>(lstSections.value(iProtocolNumberIndex)))
        pNumber->commitValue();
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        if (auto pItem = qobject_cast<CStdItem*>(lstSections[i]))
            pItem->commitValue();
    }
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        if (auto pSet = qobject_cast<CEditableSet*>(lstSections[i]))
            pSet->mergeTypedTexts();
    }
    if (pToolsSection)
        pToolsSection->mergeIntoTools();
    takeSectionLists();
    syncOrganizations();
}

void CFusionWidget::resetToNewProtocol() {
    setDocument(blankDocument());
}

void CFusionWidget::slot_openSavedReport() {
    // unsaved changes are offered for saving before they are replaced
    if (!offerToSaveChanges())
        return;
    const QString sFileName =
        CUserDialogs::get().openFileName(this, g_sOpenTitle, documentDir(), g_sFilter);
    if (!sFileName.isEmpty())
        openDocument(sFileName);
}

bool CFusionWidget::openDocument(const QString& sFileName) {
    if (!sFileName.endsWith(QStringLiteral(".rpt"))) {
        CUserDialogs::warning(
            this, g_sOpenTitle,
            QStringLiteral("Указан файл \"%1\"\nс неправильным расширением!").arg(sFileName));
        return false;
    }
    sWorkDir = QFileInfo(sFileName).absolutePath();
    const QString sTooLarge = sizeProblem(sFileName, g_iMaxDocumentBytes);
    if (!sTooLarge.isEmpty()) {
        CUserDialogs::warning(this, g_sOpenTitle, sTooLarge);
        return false;
    }
    QFile file(sFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        CUserDialogs::warning(
            this, g_sOpenTitle,
            QStringLiteral("Не удалось открыть файл \"%1\" для чтения!").arg(sFileName));
        return false;
    }
    // the records first: a file that is no protocol leaves the form as it was
    const SProtocolRead read = readProtocol(file.readAll());
    file.close();
    if (read.iRecords == 0) {
        CUserDialogs::warning(this, g_sOpenTitle,
                              QStringLiteral("Файл «%1» не является протоколом.").arg(sFileName));
        return false;
    }
    setDocument(read.document);
    if (!read.bSound)
        CUserDialogs::warning(
            this, g_sOpenTitle,
            QStringLiteral("Документ \"%1\" поврежден и прочитан только частично!").arg(sFileName));
    takeSnapshot();
    setOwnFiles = {QFileInfo(sFileName).absoluteFilePath()};
    bUnsaved = !read.bSound; // what was lost is asked about on closing
    checkModified();
    // a document read only partly is never overwritten in place by what was read of it
    setCurrentFile(read.bSound ? sFileName : QString());
    return read.bSound;
}

void CFusionWidget::startRecovery(const QString& sDir) {
    sRecoveryDir = sDir;
    pRecovery = std::make_unique<CRecoveryFile>(sDir);
    if (!pRecoveryTimer) {
        pRecoveryTimer = new QTimer(this);
        pRecoveryTimer->setObjectName(QStringLiteral("recoveryTimer"));
        pRecoveryTimer->setInterval(iRecoveryIntervalMs);
        connect(pRecoveryTimer, &QTimer::timeout, this, &CFusionWidget::slot_recoveryTimeout);
    }
    pRecoveryTimer->start();
}

QString CFusionWidget::recoveryPath() const {
    return pRecovery ? pRecovery->path() : QString();
}

void CFusionWidget::slot_recoveryTimeout() {
    if (!pRecovery)
        return;
    if (!isChanged()) {
        pRecovery->remove();
        return;
    }
    // the records a save would write, what is still being typed included
    QString sError;
    if (pRecovery->write(protocolBytes(document()), sCurrentFile, &sError)) {
        bRecoveryReported = false;
        return;
    }
    // told once, not every two minutes
    showStatus(QStringLiteral("Копия для восстановления не записана"));
    if (!std::exchange(bRecoveryReported, true))
        CUserDialogs::warning(this, g_sAppTitle,
                              QStringLiteral("Копия несохраненного протокола для восстановления "
                                             "после сбоя не записана: %1")
                                  .arg(sError));
}

void CFusionWidget::offerRecovery(const QString& sDir) {
    for (const QString& sPath : CRecoveryFile::orphans(sDir)) {
        const QString sWhen =
            QFileInfo(sPath).lastModified().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
        const auto eAnswer = CUserDialogs::question(
            this, g_sAppTitle,
            QStringLiteral("Найден несохраненный протокол от %1. Восстановить его?").arg(sWhen));
        if (eAnswer != QMessageBox::Yes) {
            CRecoveryFile::discard(sPath);
            continue;
        }
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
        if (!sProblem.isEmpty() || !read.bSound) {
            // what cannot be read whole stays on disk for the laboratory to look at
            const QString sKept = CRecoveryFile::keep(sPath);
            CUserDialogs::warning(
                this, g_sAppTitle,
                QStringLiteral("Копия несохраненного протокола %1 прочитана не полностью (%2) и "
                               "оставлена на диске: «%3».")
                    .arg(sWhen, sProblem.isEmpty() ? QStringLiteral("повреждена") : sProblem,
                         QDir::toNativeSeparators(sKept)));
            if (read.iRecords == 0)
                continue;
        } else {
            CRecoveryFile::discard(sPath);
        }
        setDocument(read.document);
        // the protocol is unsaved, so closing asks; this instance's own copy
        // takes over, and a save goes to the document it was made of
        takeSnapshot();
        bUnsaved = true;
        checkModified();
        const bool bSourceThere = read.bSound && QFileInfo::exists(sSource);
        setOwnFiles.clear();
        if (bSourceThere)
            setOwnFiles.insert(sSource);
        setCurrentFile(bSourceThere ? sSource : QString());
        slot_recoveryTimeout();
        return;
    }
}
