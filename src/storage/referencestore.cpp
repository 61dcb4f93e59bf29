#include "storage/referencestore.h"

#include "base/constants.h"
#include "base/savefile.h"
#include "storage/referencefiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <sys/stat.h>

namespace {
const QString g_sActionsSuffix = QStringLiteral(".actions");
const QString g_sRecoveredSuffix = QStringLiteral(".recovered");
// The problems of the folder as a whole are kept under no file's name.
const QString g_sFolderKey;
// Beside the last good copies: the folder they were taken from.
const QString g_sCopiedFromFile = QStringLiteral("folder");

QString native(const QString& sPath) {
    return QDir::toNativeSeparators(sPath);
}

// The whole of a file no larger than iLimit; *pTooLarge says when it was
// not read for its size.
bool readBounded(const QString& sPath, qint64 iLimit, QByteArray& bytes, QString* pTooLarge) {
    *pTooLarge = sizeProblem(sPath, iLimit);
    if (!pTooLarge->isEmpty())
        return false;
    QFile file(sPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.read(iLimit + 1);
    return bytes.size() <= iLimit;
}
} // namespace

CReferenceStore::CReferenceStore(const QString& sDir, const QString& sFallbackDir, QObject* pParent)
    : QObject(pParent), sDir(sDir), sFallbackDir(sFallbackDir) {
    // only the list files are looked at: a journal or a document written
    // into the same folder is none of the lists' business
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, &CReferenceStore::checkStamps);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, &CReferenceStore::checkStamps);
    pollTimer.setInterval(iPollMs);
    connect(&pollTimer, &QTimer::timeout, this, &CReferenceStore::checkStamps);
    pollTimer.start();
    watch();
}

CReferenceStore::~CReferenceStore() = default;

QString CReferenceStore::fileName(EListFile eFile) {
    switch (eFile) {
    case eTechniciansFile:
        return CReferenceFiles::sTechniciansFile;
    case eToolsFile:
        return CReferenceFiles::sToolsFile;
    case eOptionalFile:
        break;
    }
    return CReferenceFiles::sOptionalFile;
}

QString CReferenceStore::pathOf(const QString& sFile) const {
    return CReferenceFiles::filePath(sDir, sFile);
}

void CReferenceStore::setCopyDir(const QString& sDir) {
    sCopyDir = sDir;
    bCopyMarked = false;
    hashCopies.clear(); // the copies of another folder, if any
    if (sCopyDir.isEmpty())
        return;
    // made even while the folder is away: its copies are kept once it is back
    QDir().mkpath(sCopyDir);
    QFile::setPermissions(sCopyDir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!isReachable())
        return;
    // the folder's files as they are now are the last good copies
    for (EListFile eFile : g_aListFiles) {
        SLists lists;
        QByteArray bytes;
        QString sTooLarge;
        const QString sPath = pathOf(fileName(eFile));
        if (readBounded(sPath, iMaxListFileBytes, bytes, &sTooLarge) &&
            readListFile(eFile, bytes, lists))
            keepCopy(eFile, bytes);
    }
}

void CReferenceStore::createMissing() {
    if (!isReachable())
        return;
    for (EListFile eFile : g_aListFiles) {
        if (QFileInfo::exists(pathOf(fileName(eFile))))
            continue;
        SLists lists;
        change(
            eFile, [](SLists&, CEntryActions&) { return EApplied::Unchanged; }, lists);
    }
}

QString CReferenceStore::copyDirIn(const QString& sOwnDir) {
    return QDir(sOwnDir).filePath(QStringLiteral("lists"));
}

bool CReferenceStore::isReachable() const {
    const QFileInfo info(sDir);
    return info.isDir() && info.isReadable() && info.isExecutable() && !standsEmpty(sDir, sCopyDir);
}

bool CReferenceStore::standsEmpty(const QString& sDir, const QString& sCopyDir) {
    // a folder not there, or not to be looked into, is away, not empty
    const QFileInfo info(sDir);
    if (sCopyDir.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable() ||
        !QDir(sDir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return false;
    QFile marker(CReferenceFiles::filePath(sCopyDir, g_sCopiedFromFile));
    if (!marker.open(QIODevice::ReadOnly))
        return false;
    return QString::fromUtf8(marker.read(4096)).trimmed() == QDir(sDir).absolutePath();
}

void CReferenceStore::forgetFolder(const QString& sCopyDir) {
    QFile::remove(CReferenceFiles::filePath(sCopyDir, g_sCopiedFromFile));
}

QString CReferenceStore::folderProblem() const {
    if (isReachable())
        return QString();
    return QStringLiteral("Папка справочников «%1» %2")
        .arg(native(sDir),
             standsEmpty(sDir, sCopyDir) ? emptiness() : QStringLiteral("недоступна"));
}

QString CReferenceStore::emptiness() {
    return QStringLiteral("пуста, хотя в ней были справочники лаборатории; видимо, общая папка "
                          "не подключена");
}

CReferenceStore::SStamp CReferenceStore::stampOf(const QString& sPath) {
    struct stat st;
    if (::stat(QFile::encodeName(sPath).constData(), &st) != 0)
        return {};
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            quint64(st.st_ino)};
}

void CReferenceStore::watch() {
    QStringList lstPaths;
    bool bMissing = false;
    for (EListFile eFile : g_aListFiles) {
        const QString sPath = pathOf(fileName(eFile));
        if (QFileInfo::exists(sPath))
            lstPaths << sPath;
        else
            bMissing = true;
    }
    // a file not there yet appears in the folder; its other files are told
    // apart by their stamps
    if (bMissing && isReachable())
        lstPaths << sDir;
    else if (!bMissing && watcher.directories().contains(sDir))
        watcher.removePath(sDir);
    for (const QString& sPath : std::as_const(lstPaths)) {
        if (!watcher.files().contains(sPath) && !watcher.directories().contains(sPath))
            watcher.addPath(sPath);
    }
}

void CReferenceStore::checkStamps() {
    watch(); // a file replaced is no longer watched
    for (EListFile eFile : g_aListFiles) {
        const QString sFile = fileName(eFile);
        if (stampOf(pathOf(sFile)) != hashStamps.value(sFile)) {
            emit filesChanged();
            return;
        }
    }
}

CReferenceStore::ERead CReferenceStore::readFile(EListFile eFile, const QString& sPath,
                                                 SLists& lists, QByteArray* pBytes) {
    const QString sFile = fileName(eFile);
    QByteArray bytes;
    QString sTooLarge;
    if (!readBounded(sPath, iMaxListFileBytes, bytes, &sTooLarge)) {
        if (!sTooLarge.isEmpty()) {
            hashProblems.insert(sFile, sTooLarge);
            return ERead::Damaged;
        }
        if (QFileInfo::exists(sPath)) {
            hashProblems.insert(sFile, QStringLiteral("Файл «%1» не прочитан: %2")
                                           .arg(native(sPath), QFileInfo(sPath).isDir()
                                                                   ? QStringLiteral("это папка")
                                                                   : QStringLiteral("нет прав")));
            return ERead::Unreadable;
        }
        return ERead::Whole; // no file: empty lists
    }
    if (pBytes)
        *pBytes = bytes;
    if (readListFile(eFile, bytes, lists))
        return ERead::Whole;
    hashProblems.insert(sFile, QStringLiteral("Файл «%1» поврежден: прочитано то, что в нем "
                                              "цело; сам файл оставлен как есть")
                                   .arg(native(sPath)));
    return ERead::Damaged;
}

CReferenceStore::ERead CReferenceStore::readCurrent(EListFile eFile, SLists& lists,
                                                    QByteArray* pBytes) {
    const QString sFile = fileName(eFile);
    copyFileLists(eFile, SLists(), lists);
    hashProblems.remove(sFile);
    const QString sPath = pathOf(sFile);
    if (QFileInfo::exists(sPath) || sFallbackDir.isEmpty())
        return readFile(eFile, sPath, lists, pBytes);
    // lists shipped beside the program start the folder's
    SLists shipped;
    if (readFile(eFile, CReferenceFiles::filePath(sFallbackDir, sFile), shipped, nullptr) ==
        ERead::Whole)
        copyFileLists(eFile, shipped, lists);
    hashProblems.remove(sFile);
    return ERead::Whole;
}

CEntryActions CReferenceStore::readActions(EListFile eFile) const {
    QByteArray bytes;
    QString sTooLarge;
    CEntryActions lstActions;
    // what cannot be read of them is forgotten: they only keep deletions
    // from coming back, the lists themselves are in the list file
    if (readBounded(pathOf(fileName(eFile)) + g_sActionsSuffix, iMaxListFileBytes, bytes,
                    &sTooLarge))
        readEntryActions(bytes, lstActions);
    return lstActions;
}

void CReferenceStore::keepCopy(EListFile eFile, const QByteArray& bytes) {
    const QString sFile = fileName(eFile);
    if (sCopyDir.isEmpty() || hashCopies.value(sFile) == bytes)
        return;
    if (saveFileBytes(CReferenceFiles::filePath(sCopyDir, sFile), bytes))
        hashCopies.insert(sFile, bytes);
    if (!bCopyMarked)
        bCopyMarked = saveFileBytes(CReferenceFiles::filePath(sCopyDir, g_sCopiedFromFile),
                                    QDir(sDir).absolutePath().toUtf8());
}

CReferenceStore::SLists CReferenceStore::load() {
    SLists lists;
    hashProblems.remove(g_sFolderKey);
    if (!isReachable()) {
        hashProblems.insert(g_sFolderKey,
                            folderProblem() +
                                QStringLiteral(": списки взяты из последней копии, изменения "
                                               "будут записаны, когда папка станет доступна"));
        for (EListFile eFile : g_aListFiles) {
            if (!sCopyDir.isEmpty())
                readFile(eFile, CReferenceFiles::filePath(sCopyDir, fileName(eFile)), lists,
                         nullptr);
            hashProblems.remove(fileName(eFile));
            hashStamps.remove(fileName(eFile));
        }
        return lists;
    }
    for (EListFile eFile : g_aListFiles) {
        QByteArray bytes;
        const QString sFile = fileName(eFile);
        hashStamps.insert(sFile, stampOf(pathOf(sFile)));
        if (readCurrent(eFile, lists, &bytes) == ERead::Whole && QFileInfo::exists(pathOf(sFile)))
            keepCopy(eFile, bytes);
    }
    watch();
    return lists;
}

QStringList CReferenceStore::problems() const {
    QStringList lst;
    if (hashProblems.contains(g_sFolderKey))
        lst << hashProblems.value(g_sFolderKey);
    for (const QString& sFile : {CReferenceFiles::sTechniciansFile, CReferenceFiles::sToolsFile,
                                 CReferenceFiles::sOptionalFile, CReferenceFiles::sHeaderFile}) {
        if (hashProblems.contains(sFile))
            lst << hashProblems.value(sFile);
    }
    lst.removeDuplicates();
    return lst;
}

QString CReferenceStore::problem(const QString& sFile) const {
    return hashProblems.value(sFile);
}

CReferenceStore::EWrite CReferenceStore::lockFailure(const QLockFile& lock, const QString& sFile) {
    const QString sPath = pathOf(sFile);
    if (lock.error() == QLockFile::LockFailedError) {
        hashProblems.insert(sFile, QStringLiteral("%1: занят другой программой, изменения будут "
                                                  "записаны чуть позже")
                                       .arg(native(sPath)));
        return EWrite::Busy;
    }
    // no lock can be made beside the file
    hashProblems.insert(sFile, QStringLiteral("Папка «%1» недоступна для записи: изменения будут "
                                              "записаны, когда запись станет возможна")
                                   .arg(native(sDir)));
    return EWrite::Failed;
}

void CReferenceStore::writeRecovered(EListFile eFile, const SLists& lists) {
    const QString sPath = pathOf(fileName(eFile));
    QString sRecovered = sPath + g_sRecoveredSuffix;
    SLists joined = lists;
    if (QFileInfo::exists(sRecovered)) {
        // another program may have left its lists there: ours join them;
        // what cannot be read is not written over
        SLists earlier;
        QByteArray bytes;
        QString sTooLarge;
        if (readBounded(sRecovered, iMaxListFileBytes, bytes, &sTooLarge) &&
            readListFile(eFile, bytes, earlier)) {
            SListChange join;
            join.learned = lists;
            CEntryActions lstNone;
            copyFileLists(eFile, earlier, joined);
            applyChange(joined, lstNone, join, eFile);
        } else {
            sRecovered += QStringLiteral("-%1-%2").arg(
                QSysInfo::machineHostName(),
                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        }
    }
    QString sError;
    const QString sDamaged =
        QStringLiteral("%1: поврежден и оставлен как есть, ").arg(native(sPath));
    hashProblems.insert(
        fileName(eFile),
        saveFileBytes(sRecovered, listFileBytes(eFile, joined), &sError)
            ? sDamaged + QStringLiteral("списки программы записаны в %1").arg(native(sRecovered))
            : sDamaged + QStringLiteral("списки программы не записаны: %1").arg(sError));
}

CReferenceStore::EWrite
CReferenceStore::change(EListFile eFile,
                        const std::function<EApplied(SLists&, CEntryActions&)>& pApply,
                        SLists& lists) {
    const QString sFile = fileName(eFile);
    const QString sPath = pathOf(sFile);
    if (!isReachable()) {
        hashProblems.insert(g_sFolderKey,
                            folderProblem() +
                                QStringLiteral(": изменения будут записаны, когда она станет "
                                               "доступна"));
        return EWrite::Unreachable;
    }
    hashProblems.remove(g_sFolderKey);
    QLockFile lock(sPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(iStaleLockMs);
    if (!lock.tryLock(iLockWaitMs))
        return lockFailure(lock, sFile);
    SLists current;
    const ERead eRead = readCurrent(eFile, current, nullptr);
    if (eRead == ERead::Unreadable)
        return EWrite::Failed; // the change waits until the file can be read
    if (eRead == ERead::Damaged) {
        // a damaged file is kept for the laboratory to look at
        CEntryActions lstNone;
        pApply(lists, lstNone);
        writeRecovered(eFile, lists);
        return EWrite::Damaged;
    }
    CEntryActions lstActions = readActions(eFile);
    const CEntryActions lstActionsBefore = lstActions;
    const SLists before = current;
    pApply(current, lstActions);
    QString sError;
    const QByteArray bytes = listFileBytes(eFile, current);
    const bool bListsChanged = !(current == before) || !QFileInfo::exists(sPath);
    if (bListsChanged && !saveFileBytes(sPath, bytes, &sError)) {
        hashProblems.insert(sFile, sError);
        return EWrite::Failed;
    }
    // the actions follow the lists: without them a deletion could come back,
    // never an entry go
    if (lstActions != lstActionsBefore)
        saveFileBytes(sPath + g_sActionsSuffix, entryActionsBytes(lstActions));
    hashStamps.insert(sFile, stampOf(sPath));
    keepCopy(eFile, bytes);
    copyFileLists(eFile, current, lists);
    watch();
    return EWrite::Written;
}

int CReferenceStore::refresh(SLists& lists) {
    if (!isReachable())
        return 0;
    int iChanged = 0;
    for (EListFile eFile : g_aListFiles) {
        const QString sFile = fileName(eFile);
        const SStamp stamp = stampOf(pathOf(sFile));
        if (hashStamps.contains(sFile) && stamp == hashStamps.value(sFile))
            continue;
        SLists read;
        QByteArray bytes;
        const bool bWhole = readCurrent(eFile, read, &bytes) == ERead::Whole;
        hashStamps.insert(sFile, stamp);
        if (!bWhole)
            continue; // damage: named, and the lists offered stay
        if (QFileInfo::exists(pathOf(sFile)))
            keepCopy(eFile, bytes);
        SLists before = lists;
        copyFileLists(eFile, read, lists);
        if (!(before == lists))
            iChanged |= eFile;
    }
    hashProblems.remove(g_sFolderKey);
    watch();
    return iChanged;
}

QByteArray CReferenceStore::loadHeader(QString* pProblem) {
    const QString sPath = pathOf(CReferenceFiles::sHeaderFile);
    const bool bHere = QFileInfo::exists(sPath);
    QFile file(bHere ? sPath
                     : CReferenceFiles::filePath(sFallbackDir, CReferenceFiles::sHeaderFile));
    // a header is a few hundred bytes: a huge file is no header
    const QString sTooLarge = sizeProblem(file.fileName(), g_iMaxSmallFileBytes);
    if (pProblem)
        *pProblem = sTooLarge;
    const QByteArray header =
        sTooLarge.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    baseHeader = bHere ? header : QByteArray();
    return header;
}

CReferenceStore::EWrite CReferenceStore::writeHeader(const QByteArray& header) {
    const QString sFile = CReferenceFiles::sHeaderFile;
    hashProblems.remove(sFile);
    // one record: the later save wins; an unchanged one leaves the file
    if (header == baseHeader && QFileInfo::exists(pathOf(sFile)))
        return EWrite::Written;
    if (!isReachable())
        return EWrite::Unreachable;
    const QString sPath = pathOf(sFile);
    QLockFile lock(sPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(iStaleLockMs);
    if (!lock.tryLock(iLockWaitMs))
        return lockFailure(lock, sFile);
    QString sError;
    if (!saveFileBytes(sPath, header, &sError)) {
        hashProblems.insert(sFile, sError);
        return EWrite::Failed;
    }
    baseHeader = header;
    return EWrite::Written;
}
