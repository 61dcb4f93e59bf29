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
#include "composer/recentdocuments.h"
#include "composer/recoveryfile.h"
#include "storage/journal.h"

#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

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
    sSnapshotHtml = buildProtocolHtml(&iSnapshotCount);
    bUnsaved = false;
}

void CFusionWidget::commitPendingInput() {
    // text still being typed in the header or the protocol date counts as
    // entered when the protocol is judged or saved
    if (pHeader)
        pHeader->commitTypedText();
    if (pDateItem)
        pDateItem->slot_updateDate();
}

bool CFusionWidget::isChanged() {
    commitPendingInput();
    return hasUnsavedChanges();
}

bool CFusionWidget::hasUnsavedChanges() {
    int iCount = 0;
    const QString sHtml = buildProtocolHtml(&iCount);
    return bUnsaved || iCount != iSnapshotCount || sHtml != sSnapshotHtml;
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
    writeDocument(out);
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
        CUserDialogs::warning(this, g_sSaveTitle,
                              sCannotWrite.arg(sFileName) + QLatin1Char('\n') + writeFailure(file));
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

void CFusionWidget::writeDocument(QDataStream& out) {
    out.setVersion(QDataStream::Qt_4_6);
    out << qint16(eTagHeader) << *pHeader;
    if (auto pNumber = qobject_cast<CStdItem*>(lstSections.value(iProtocolNumberIndex)))
        out << qint16(eTagStdItem) << *pNumber;
    out << qint16(eTagDate) << *pDateItem;
    out << qint16(eTagMethods) << *pMethodsSet;
    for (int i = iFirstNumberedIndex; i < lstSections.size(); ++i) {
        QWidget* pSection = lstSections[i];
        if (auto pItem = qobject_cast<CStdItem*>(pSection)) {
            if (!lstUserItems.contains(pItem))
                out << qint16(eTagStdItem) << *pItem;
        } else if (auto pDates = qobject_cast<CExtDatSet*>(pSection)) {
            out << qint16(eTagDateSet) << *pDates;
        } else if (auto pSet = qobject_cast<CEditableSet*>(pSection)) {
            out << qint16(eTagEditableSet) << *pSet;
        } else if (auto pCombo = qobject_cast<CStdComboItem*>(pSection)) {
            out << qint16(eTagComboItem) << *pCombo;
        } else if (auto pTools = qobject_cast<CMeasuringTool*>(pSection)) {
            out << qint16(eTagTools) << *pTools;
        }
    }
    out << qint16(eTagConclusions) << qint32(lstConclusions.size());
    for (const CConclusion* pConclusion : std::as_const(lstConclusions))
        out << *pConclusion;
    out << qint16(eTagUserItems) << qint32(lstUserItems.size());
    for (const CStdItem* pItem : lstUserItems)
        out << *pItem;
}

void CFusionWidget::removeUserItems() {
    if (lstUserItems.isEmpty())
        return;
    // one pass, however many there are: everything after the first of them
    // is numbered on from the section before it, as removing them one by
    // one would
    const QSet<QWidget*> setUser(lstUserItems.cbegin(), lstUserItems.cend());
    int iFirst = -1;
    QList<QWidget*> lstKept;
    lstKept.reserve(lstSections.size());
    for (int i = 0; i < lstSections.size(); ++i) {
        if (!setUser.contains(lstSections[i]))
            lstKept.append(lstSections[i]);
        else if (iFirst < 0)
            iFirst = i;
    }
    lstSections = lstKept;
    qDeleteAll(lstUserItems);
    lstUserItems.clear();
    if (iFirst >= 0)
        renumberFrom(iFirst, numberBefore(iFirst) + 1);
}

bool CFusionWidget::readDocument(QDataStream& in, int* pRecordsRead, int iMaxRecords) {
    in.setVersion(QDataStream::Qt_4_6);
    removeUserItems();
    bReadingDocument = true;
    bPristine = false;
    const int N = lstSections.size();
    CStdItem scratchItem(nullptr, 0, QString(), QString(), false, 1);
    bool bSound = true;
    int iRead = 0;
    while (bSound && !in.atEnd() && iRead != iMaxRecords) {
        qint16 iTag = -1;
        in >> iTag;
        if (in.status() != QDataStream::Ok)
            break;
        switch (iTag) {
        case eTagStdItem: {
            in >> scratchItem;
            if (in.status() != QDataStream::Ok)
                break;
            for (int i = iProtocolNumberIndex; i < sectionsBefore(N); ++i) {
                auto pItem = qobject_cast<CStdItem*>(lstSections[i]);
                if (pItem && pItem->name() == scratchItem.name()) {
                    // the protocol number never shows a number of its own
                    if (i != iProtocolNumberIndex)
                        pItem->setNumber(scratchItem.number());
                    pItem->setValue(scratchItem.value());
                    break;
                }
            }
            break;
        }
        case eTagUserItems: {
            qint32 n = 0;
            in >> n;
            // each record holds at least a number and two string lengths
            if (in.status() != QDataStream::Ok || n < 0 || !streamCanHold(in, quint64(n), 12)) {
                bSound = false;
                break;
            }
            for (qint32 k = 0; k < n; ++k) {
                in >> scratchItem;
                if (in.status() != QDataStream::Ok)
                    break;
                // items beyond the most a protocol holds are damage
                if (lstUserItems.size() >= iMaxUserItems) {
                    bSound = false;
                    continue;
                }
                if (!insertUserItem(insertPositionFor(scratchItem.number()), scratchItem.number(),
                                    scratchItem.name(), scratchItem.value(), false))
                    break;
            }
            break;
        }
        case eTagHeader:
            in >> *pHeader;
            break;
        case eTagDate:
            in >> *pDateItem;
            break;
        case eTagMethods:
            in >> *pMethodsSet;
            break;
        case eTagComboItem:
            readComboRecord(in, N);
            break;
        case eTagEditableSet:
            readEditableSetRecord(in, N);
            break;
        case eTagDateSet:
            readDateSetRecord(in, N);
            break;
        case eTagTools:
            readToolsRecord(in, N);
            break;
        case eTagConclusions:
            bSound = readConclusionsRecord(in);
            break;
        default:
            // an unknown record: its layout is not known, so nothing after it
            // can be read reliably
            bSound = false;
            break;
        }
        if (in.status() != QDataStream::Ok)
            bSound = false;
        if (bSound)
            ++iRead;
    }
    if (in.status() != QDataStream::Ok)
        bSound = false;
    bReadingDocument = false;
    slot_innerWidgetHeightChanged();
    if (pRecordsRead)
        *pRecordsRead = iRead;
    return bSound;
}

QByteArray CFusionWidget::blankDocument() {
    // a form of its own, beside no reference file, knows no list
    QTemporaryDir dir;
    CFusionWidget blank(dir.path());
    QByteArray document;
    QDataStream out(&document, QIODevice::WriteOnly);
    blank.writeDocument(out);
    return document;
}

bool CFusionWidget::startsWithSoundRecord(const QByteArray& data) {
    QTemporaryDir dir;
    CFusionWidget scratch(dir.path());
    QDataStream in(data);
    int iRead = 0;
    scratch.readDocument(in, &iRead, 1);
    return iRead == 1;
}

void CFusionWidget::resetToNewProtocol() {
    // the laboratory stays; every other section reads a new protocol's record
    const QByteArray header = bytesOf(*pHeader);
    QDataStream in(blankDocument());
    readDocument(in);
    QDataStream headerIn(header);
    headerIn.setVersion(QDataStream::Qt_4_6);
    headerIn >> *pHeader;
    bPristine = true;
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
    const QByteArray data = file.readAll();
    file.close();
    // a new protocol on screen reads the file at once; any other is kept
    // until the file has shown a sound record
    const bool bNew = bPristine && !isChanged();
    const QString sNotProtocol = QStringLiteral("Файл «%1» не является протоколом.");
    if (!bNew && !startsWithSoundRecord(data)) {
        CUserDialogs::warning(this, g_sOpenTitle, sNotProtocol.arg(sFileName));
        return false;
    }
    // nothing of the previous protocol survives a document read only partly
    if (!bNew)
        resetToNewProtocol();
    QDataStream in(data);
    int iRead = 0;
    const bool bSound = readDocument(in, &iRead);
    if (iRead == 0) {
        resetToNewProtocol(); // what the damage left is taken away again
        takeSnapshot();
        CUserDialogs::warning(this, g_sOpenTitle, sNotProtocol.arg(sFileName));
        return false;
    }
    if (!bSound)
        CUserDialogs::warning(
            this, g_sOpenTitle,
            QStringLiteral("Документ \"%1\" поврежден и прочитан только частично!").arg(sFileName));
    takeSnapshot();
    setOwnFiles = {QFileInfo(sFileName).absoluteFilePath()};
    bUnsaved = !bSound; // what was lost is asked about on closing
    // a document read only partly is never overwritten in place by what was read of it
    setCurrentFile(bSound ? sFileName : QString());
    return bSound;
}

void CFusionWidget::readComboRecord(QDataStream& in, int N) {
    CStdComboItem scratch(nullptr, 0, QString(), QStringList());
    in >> scratch;
    if (in.status() != QDataStream::Ok)
        return;
    const QString sText = scratch.value();
    QStringList L;
    CStdComboItem* pTarget = nullptr;
    if (scratch.name() == sCustomerCaption) {
        L = organizationNames();
        if (!sText.isEmpty() && !L.contains(sText)) {
            L.append(sText);
            lstOrganizations.append(Organization{sText, QStringList()});
        }
        pTarget = pCustomerItem;
    } else if (scratch.name() == sReasonCaption) {
        const QString c = pCustomerItem ? pCustomerItem->value() : QString();
        const int iOrg = c.isEmpty() ? -1 : organizationIndex(c);
        if (iOrg >= 0) {
            L = lstOrganizations[iOrg].lstGrounds;
            if (!sText.isEmpty() && !L.contains(sText)) {
                L.append(sText);
                lstOrganizations[iOrg].lstGrounds.append(sText);
            }
        } else {
            if (!sText.isEmpty())
                L.append(sText);
            if (!c.isEmpty() && !sText.isEmpty())
                lstOrganizations.append(Organization{c, L});
        }
        pTarget = pReasonItem;
    }
    const int iTarget = lstSections.indexOf(pTarget);
    if (!pTarget || iTarget < iFirstNumberedIndex || iTarget >= N)
        return;
    pTarget->setNumber(scratch.number());
    pTarget->setChoices(L);
    pTarget->setValue(sText);
}

void CFusionWidget::readEditableSetRecord(QDataStream& in, int N) {
    CEditableSet scratch(nullptr, 0, QString(), QStringList());
    in >> scratch;
    if (in.status() != QDataStream::Ok)
        return;
    QStringList* pReference = nullptr;
    if (scratch.name() == sStandardsCaption)
        pReference = &lstStandards;
    else if (scratch.name() == sAssessmentCaption)
        pReference = &lstAssessments;
    QStringList lstTexts;
    scratch.collectTexts(lstTexts);
    for (int i = iFirstNumberedIndex; i < sectionsBefore(N); ++i) {
        auto pSet = qobject_cast<CEditableSet*>(lstSections[i]);
        if (!pSet || pSet->name() != scratch.name())
            continue;
        pSet->setNumber(scratch.number());
        if (pReference) {
            for (const QString& sText : lstTexts) {
                if (!sText.isEmpty() && !pReference->contains(sText))
                    pReference->append(sText);
            }
            pSet->setChoices(*pReference);
        } else {
            pSet->setChoices(lstTexts);
        }
        pSet->setSelectedTexts(lstTexts);
        return;
    }
}

void CFusionWidget::readDateSetRecord(QDataStream& in, int N) {
    qint32 iNum = 0;
    QString sName;
    QList<QDate> lstRead;
    if (!CExtDatSet::readRecord(in, iNum, sName, lstRead))
        return;
    // the dates a list of date editors would give back: at most as many as
    // it makes, a date before 2012 unset, an empty list one unset date
    QList<QDate> lstDates;
    for (const QDate& dt : std::as_const(lstRead)) {
        if (lstDates.size() == CExtItem::iMaxStoredSubItems)
            break;
        lstDates.append(dt.isValid() && dt.year() >= 2012 ? dt : g_dtDefault);
    }
    if (lstDates.isEmpty())
        lstDates.append(g_dtDefault);
    for (int i = iFirstNumberedIndex; i < sectionsBefore(N); ++i) {
        auto pSet = qobject_cast<CExtDatSet*>(lstSections[i]);
        if (!pSet || pSet->name() != sName)
            continue;
        pSet->setNumber(iNum);
        pSet->setDates(lstDates);
        return;
    }
}

void CFusionWidget::readToolsRecord(QDataStream& in, int N) {
    CMeasuringTool::Record record;
    if (!CMeasuringTool::parseRecord(in, record))
        return;
    for (int i = iFirstNumberedIndex; i < sectionsBefore(N); ++i) {
        if (auto pTools = qobject_cast<CMeasuringTool*>(lstSections[i])) {
            pTools->applyRecord(record);
            return;
        }
    }
}

bool CFusionWidget::readConclusionsRecord(QDataStream& in) {
    qint32 n = 0;
    in >> n;
    if (in.status() != QDataStream::Ok)
        return false;
    if (n <= 0)
        return true;
    // every conclusion record holds at least its list count, its results
    // block, its written conclusion and one panel
    constexpr quint64 iMinConclusionBytes = 4 + 28 + 13 + 4 + 29;
    if (n > CExtItem::iMaxStoredSubItems || !streamCanHold(in, quint64(n), iMinConclusionBytes))
        return false;
    while (lstConclusions.size() < n) {
        if (!addConclusion(lastNumber() + 1, 0)) {
            CUserDialogs::critical(this, g_sCriticalTitle, g_sMemoryExhausted);
            return false;
        }
    }
    while (lstConclusions.size() > n)
        removeConclusion(lstConclusions.last());
    bool bSound = true;
    for (CConclusion* pConclusion : std::as_const(lstConclusions)) {
        if (!pConclusion->readRecord(in)) {
            bSound = false;
            break;
        }
        mergeTechnicians(pConclusion->specialists());
    }
    // every conclusion offers the merged list, not the copy its document held
    for (CConclusion* pConclusion : std::as_const(lstConclusions))
        pConclusion->setSpecialists(lstTechnicians);
    return bSound;
}

void CFusionWidget::mergeTechnicians(const QList<Specialist>& lstRead) {
    for (const Specialist& specialist : lstRead) {
        auto it = std::find_if(lstTechnicians.begin(), lstTechnicians.end(),
                               [&](const Specialist& s) { return s.sName == specialist.sName; });
        if (it == lstTechnicians.end()) {
            lstTechnicians.append(specialist);
            continue;
        }
        // a known specialist gains only certificates it lacks
        for (const Certificate& certificate : specialist.lstCertificates) {
            const bool bKnown =
                std::any_of(it->lstCertificates.cbegin(), it->lstCertificates.cend(),
                            [&](const Certificate& c) { return c.sNumber == certificate.sNumber; });
            if (!bKnown)
                it->lstCertificates.append(certificate);
        }
    }
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
    QByteArray document;
    QDataStream out(&document, QIODevice::WriteOnly);
    writeDocument(out);
    pRecovery->write(document);
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
        QFile file(sPath);
        if (file.open(QIODevice::ReadOnly)) {
            QDataStream in(&file);
            readDocument(in);
        }
        file.close();
        // the protocol is unsaved, so closing asks; this instance's own copy takes over
        takeSnapshot();
        setOwnFiles.clear();
        bUnsaved = true;
        emit documentStateChanged();
        CRecoveryFile::discard(sPath);
        slot_recoveryTimeout();
        return;
    }
}
