#include "storage/referencelists.h"

#include "base/savefile.h"
#include "document/protocoldocument.h"
#include "storage/referencefiles.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>

namespace {
// The queue of a workstation: the folder it belongs to, then the changes.
constexpr qint64 g_iMaxQueueBytes = 16 * 1024 * 1024;

template <typename T> const T* byName(const QList<T>& lst, const QString& sName) {
    for (const T& item : lst) {
        if (item.sName == sName)
            return &item;
    }
    return nullptr;
}

void appendNew(QStringList& lst, const QString& s) {
    if (!s.isEmpty() && !lst.contains(s))
        lst.append(s);
}

// What a protocol names, as a change that teaches the lists.
SListChange learnedFrom(const ProtocolDocument& document, bool bOpened) {
    SListChange change;
    change.iKind = SListChange::eLearn;
    if (const DateRecord* pDate = document.first<DateRecord>())
        change.dtProtocol = pDate->dtDate;
    QString sCustomer, sGround;
    for (const SectionRecord& record : document.lstRecords) {
        if (const auto* p = std::get_if<ComboItemRecord>(&record)) {
            if (p->sName == Caption::sCustomer)
                sCustomer = p->sValue;
            else if (p->sName == Caption::sReason)
                sGround = p->sValue;
        } else if (const auto* p = std::get_if<EditableSetRecord>(&record)) {
            QStringList* pTarget = p->sName == Caption::sStandards ? &change.learned.lstStandards
                                   : p->sName == Caption::sAssessment
                                       ? &change.learned.lstAssessments
                                       : nullptr;
            for (const QString& sText : p->lstTexts) {
                if (pTarget)
                    appendNew(*pTarget, sText);
            }
        } else if (const auto* p = std::get_if<ToolsRecord>(&record)) {
            change.lstEntries = p->lstEntries;
            if (bOpened)
                change.learned.lstTools = p->lstTools;
        } else if (const auto* p = std::get_if<ConclusionsRecord>(&record)) {
            for (const ConclusionRecord& conclusion : p->lstConclusions) {
                if (bOpened)
                    change.learned.lstTechnicians += conclusion.lstSpecialists;
            }
        }
    }
    // grounds are known only under their customer
    if (!sCustomer.isEmpty())
        change.learned.lstOrganizations.append(
            Organization{sCustomer, sGround.isEmpty() ? QStringList() : QStringList{sGround}});
    // an opened protocol's entries are as they were: only what is missing
    // joins the lists, its devices' data never overwrite the lists'
    if (bOpened) {
        change.learned.lstTools = withCompleteEntries(change.learned.lstTools, change.lstEntries);
        change.lstEntries.clear();
    }
    return change;
}
} // namespace

CReferenceLists::CReferenceLists(const QString& sDir, const QString& sFallbackDir, QObject* pParent)
    : QObject(pParent), sFallbackDir(sFallbackDir) {
    retryTimer.setInterval(iRetryMs);
    connect(&retryTimer, &QTimer::timeout, this, &CReferenceLists::refresh);
    // a replace comes as several changes: the lists follow once
    refreshTimer.setSingleShot(true);
    refreshTimer.setInterval(iRefreshDelayMs);
    connect(&refreshTimer, &QTimer::timeout, this, &CReferenceLists::refresh);
    openStore(sDir);
    current = folder;
}

CReferenceLists::~CReferenceLists() = default;

void CReferenceLists::openStore(const QString& sDir) {
    pStore = std::make_unique<CReferenceStore>(sDir, sFallbackDir);
    if (!sOwnDir.isEmpty())
        pStore->setCopyDir(CReferenceStore::copyDirIn(sOwnDir));
    connect(pStore.get(), &CReferenceStore::filesChanged, &refreshTimer,
            qOverload<>(&QTimer::start));
    folder = pStore->load();
    lstWaiting.clear();
    retryTimer.stop();
}

void CReferenceLists::setFolder(const QString& sDir) {
    openStore(sDir);
    loadQueue();
    rebuild(iAllListFiles);
    if (!lstWaiting.isEmpty())
        flushWaiting();
    updateStatus();
}

void CReferenceLists::setOwnDir(const QString& sDir) {
    if (sDir == sOwnDir)
        return;
    sOwnDir = sDir;
    pStore->setCopyDir(CReferenceStore::copyDirIn(sDir));
    if (!pStore->isReachable()) {
        // the last good copies stand in for the folder
        folder = pStore->load();
    }
    loadQueue();
    if (!lstWaiting.isEmpty())
        saveQueue();
    rebuild(iAllListFiles);
    if (!lstWaiting.isEmpty())
        flushWaiting();
    updateStatus();
}

QStringList CReferenceLists::organizationNames() const {
    QStringList lst;
    for (const Organization& org : current.lstOrganizations)
        lst.append(org.sName);
    return lst;
}

const Specialist* CReferenceLists::specialist(const QString& sName) const {
    return byName(current.lstTechnicians, sName);
}

const Tool* CReferenceLists::tool(const QString& sName) const {
    return byName(current.lstTools, sName);
}

const Organization* CReferenceLists::organization(const QString& sName) const {
    return byName(current.lstOrganizations, sName);
}

bool CReferenceLists::holdsMethod(const SpecialistEntry& entry) const {
    const Specialist* pSpecialist = specialist(entry.sName);
    if (!pSpecialist)
        return false;
    for (const Certificate& certificate : pSpecialist->lstCertificates) {
        if (certificate.sNumber != entry.sLicenseNum)
            continue;
        for (const CertificateMethod& method : certificate.lstMethods) {
            if (method.sMethod == entry.sMethod)
                return true;
        }
    }
    return false;
}

// The operations.

void CReferenceLists::saveSpecialist(const SpecialistEntry& entry, const Specialist& known) {
    SListChange change;
    change.iKind = SListChange::eSaveSpecialist;
    change.entry = entry;
    change.known = known;
    perform(change);
}

void CReferenceLists::saveSpecialist(const SpecialistEntry& entry) {
    const Specialist* pKnown = specialist(entry.sName);
    saveSpecialist(entry, pKnown ? *pKnown : Specialist());
}

void CReferenceLists::deleteSpecialist(const QString& sName) {
    SListChange change;
    change.iKind = SListChange::eDeleteSpecialist;
    change.sGroup = sName;
    perform(change);
}

void CReferenceLists::deleteCertificate(const QString& sName, const QString& sNumber) {
    SListChange change;
    change.iKind = SListChange::eDeleteCertificate;
    change.sGroup = sName;
    change.sKey = sNumber;
    perform(change);
}

void CReferenceLists::addTool(const Tool& tool) {
    SListChange change;
    change.iKind = SListChange::eAddTool;
    change.tool = tool;
    perform(change);
}

void CReferenceLists::deleteTool(const QString& sName) {
    SListChange change;
    change.iKind = SListChange::eDeleteTool;
    change.sGroup = sName;
    perform(change);
}

namespace {
SListChange named(qint16 iKind, const QString& sGroup, const QString& sKey = QString()) {
    SListChange change;
    change.iKind = iKind;
    change.sGroup = sGroup;
    change.sKey = sKey;
    return change;
}
} // namespace

void CReferenceLists::addOrganization(const QString& sName) {
    perform(named(SListChange::eAddOrganization, sName));
}

void CReferenceLists::deleteOrganization(const QString& sName) {
    perform(named(SListChange::eDeleteOrganization, sName));
}

void CReferenceLists::addGround(const QString& sOrganization, const QString& sGround) {
    perform(named(SListChange::eAddGround, sOrganization, sGround));
}

void CReferenceLists::deleteGround(const QString& sOrganization, const QString& sGround) {
    perform(named(SListChange::eDeleteGround, sOrganization, sGround));
}

void CReferenceLists::addStandard(const QString& sName) {
    perform(named(SListChange::eAddStandard, sName));
}

void CReferenceLists::deleteStandard(const QString& sName) {
    perform(named(SListChange::eDeleteStandard, sName));
}

void CReferenceLists::addAssessment(const QString& sName) {
    perform(named(SListChange::eAddAssessment, sName));
}

void CReferenceLists::deleteAssessment(const QString& sName) {
    perform(named(SListChange::eDeleteAssessment, sName));
}

void CReferenceLists::learn(const ProtocolDocument& document, bool bOpened) {
    if (!bOpened)
        pStore->createMissing();
    SListChange change = learnedFrom(document, bOpened);
    // nothing to learn, nothing written: opening a protocol whose entries
    // are all known takes no lock
    SReferenceLists probe = current;
    CEntryActions lstNone;
    bool bNew = false;
    for (EListFile eFile : g_aListFiles)
        bNew = applyChange(probe, lstNone, change, eFile) == EApplied::Changed || bNew;
    if (bNew)
        perform(change);
}

void CReferenceLists::join(const SReferenceLists& lists) {
    SListChange change;
    change.iKind = SListChange::eLearn;
    change.learned = lists;
    change.dtProtocol = QDate::currentDate();
    perform(change);
}

// Writing.

bool CReferenceLists::mayWait(CReferenceStore::EWrite eWrite) {
    return eWrite == CReferenceStore::EWrite::Busy || eWrite == CReferenceStore::EWrite::Failed ||
           eWrite == CReferenceStore::EWrite::Unreachable;
}

void CReferenceLists::perform(SListChange change) {
    if (change.isEmpty())
        return;
    change.dtWhen = QDateTime::currentDateTimeUtc();
    // what waits goes first: the changes reach the folder in the order made
    if (!lstWaiting.isEmpty())
        flushWaiting();
    int iLeft = change.files();
    if (lstWaiting.isEmpty())
        write(change, change.files(), false, &iLeft);
    if (iLeft) {
        lstWaiting.append({change, iLeft});
        saveQueue();
        retryTimer.start();
    }
    rebuild(change.files());
    updateStatus();
}

void CReferenceLists::write(const SListChange& change, int iFiles, bool bWaited, int* pLeft) {
    *pLeft = iFiles;
    for (EListFile eFile : g_aListFiles) {
        if (!(iFiles & eFile))
            continue;
        bool bSuperseded = false;
        const auto eWrite = pStore->change(
            eFile,
            [&](SReferenceLists& lists, CEntryActions& lstActions) {
                const EApplied eApplied = applyChange(lists, lstActions, change, eFile, bWaited);
                bSuperseded = eApplied == EApplied::Superseded;
                return eApplied;
            },
            folder);
        if (mayWait(eWrite))
            return; // this file and those after it wait, in order
        *pLeft &= ~eFile;
        report(eWrite, eFile);
        if (bSuperseded)
            emit problemFound(
                QStringLiteral("Изменение справочника, сделанное, пока папка «%1» "
                               "была недоступна, не внесено: «%2» изменен или "
                               "удален позже на другом рабочем месте.")
                    .arg(QDir::toNativeSeparators(pStore->dir()),
                         change.sGroup.isEmpty() ? change.entry.sName : change.sGroup));
    }
}

void CReferenceLists::report(CReferenceStore::EWrite eWrite, EListFile eFile) {
    if (eWrite == CReferenceStore::EWrite::Damaged)
        emit problemFound(pStore->problem(CReferenceStore::fileName(eFile)));
}

void CReferenceLists::flushWaiting() {
    const int iBefore = lstWaiting.size();
    int iTouched = 0;
    while (!lstWaiting.isEmpty()) {
        SWaiting& waiting = lstWaiting.first();
        int iLeft = 0;
        iTouched |= waiting.iFiles;
        write(waiting.change, waiting.iFiles, true, &iLeft);
        if (iLeft) {
            waiting.iFiles = iLeft;
            break;
        }
        lstWaiting.removeFirst();
    }
    if (lstWaiting.size() != iBefore)
        saveQueue();
    if (lstWaiting.isEmpty())
        retryTimer.stop();
    if (iTouched)
        rebuild(iTouched);
}

void CReferenceLists::rebuild(int iFiles) {
    SReferenceLists lists = folder;
    CEntryActions lstNone;
    for (const SWaiting& waiting : std::as_const(lstWaiting)) {
        for (EListFile eFile : g_aListFiles) {
            if (waiting.iFiles & eFile)
                applyChange(lists, lstNone, waiting.change, eFile);
        }
    }
    int iChanged = 0;
    for (EListFile eFile : g_aListFiles) {
        SReferenceLists before;
        SReferenceLists after;
        copyFileLists(eFile, current, before);
        copyFileLists(eFile, lists, after);
        if ((iFiles & eFile) && !(before == after))
            iChanged |= eFile;
    }
    current = lists;
    if (iChanged)
        emit listsChanged(iChanged);
}

void CReferenceLists::refresh() {
    refreshTimer.stop();
    if (!lstWaiting.isEmpty())
        flushWaiting();
    const int iChanged = pStore->refresh(folder);
    if (iChanged)
        rebuild(iChanged);
    updateStatus();
}

QStringList CReferenceLists::problems() const {
    QStringList lst = pStore->problems();
    if (!lstWaiting.isEmpty())
        lst << sStatus;
    lst.removeDuplicates();
    return lst;
}

void CReferenceLists::updateStatus() {
    QString sText;
    if (!lstWaiting.isEmpty()) {
        const QStringList lstProblems = pStore->problems();
        sText =
            QStringLiteral("Изменения справочников ждут записи (%1): %2")
                .arg(lstWaiting.size())
                .arg(lstProblems.isEmpty() ? QStringLiteral("папка занята") : lstProblems.first());
    }
    if (sText == sStatus)
        return;
    sStatus = sText;
    emit statusChanged(sStatus);
}

// The queue lives in the user's own folder, one file a reference folder.

QString CReferenceLists::queuePath() const {
    if (sOwnDir.isEmpty())
        return QString();
    const QByteArray hash = QCryptographicHash::hash(
        QDir::cleanPath(QDir(pStore->dir()).absolutePath()).toUtf8(), QCryptographicHash::Sha1);
    return QDir(sOwnDir).filePath(
        QStringLiteral("lists-%1.queue").arg(QString::fromLatin1(hash.toHex().left(12))));
}

void CReferenceLists::saveQueue() {
    const QString sPath = queuePath();
    if (sPath.isEmpty())
        return;
    if (lstWaiting.isEmpty()) {
        QFile::remove(sPath);
        return;
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << QDir(pStore->dir()).absolutePath() << qint32(lstWaiting.size());
    for (const SWaiting& waiting : std::as_const(lstWaiting))
        out << waiting.change << qint32(waiting.iFiles);
    QString sError;
    if (saveFileBytes(sPath, bytes, &sError))
        QFile::setPermissions(sPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    else
        emit problemFound(
            QStringLiteral("Очередь изменений справочников не записана: %1").arg(sError));
}

void CReferenceLists::loadQueue() {
    const QString sPath = queuePath();
    QFile file(sPath);
    if (sPath.isEmpty() || file.size() > g_iMaxQueueBytes || !file.open(QIODevice::ReadOnly))
        return;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_4_6);
    QString sFolder;
    qint32 iCount = 0;
    in >> bounded(sFolder) >> iCount;
    if (in.status() != QDataStream::Ok || sFolder != QDir(pStore->dir()).absolutePath())
        return;
    // an earlier run's changes were made before this one's
    QList<SWaiting> lstRead;
    for (qint32 i = 0; i < iCount && in.status() == QDataStream::Ok && !in.atEnd(); ++i) {
        SWaiting waiting;
        qint32 iFiles = 0;
        if (!readRecord(in, waiting.change))
            break;
        in >> iFiles;
        waiting.iFiles = iFiles & iAllListFiles;
        if (in.status() == QDataStream::Ok && waiting.iFiles)
            lstRead.append(waiting);
    }
    const bool bMine = !lstWaiting.isEmpty();
    lstWaiting = lstRead + lstWaiting;
    if (bMine)
        saveQueue();
    if (!lstWaiting.isEmpty())
        retryTimer.start();
}
