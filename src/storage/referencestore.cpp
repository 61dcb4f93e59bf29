#include "storage/referencestore.h"

#include "base/constants.h"
#include "base/savefile.h"
#include "storage/referencefiles.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <functional>

// One reference file: its name and the lists it holds, in order.
struct CReferenceStore::SKind {
    QString sFile;
    std::function<bool(QDataStream&, CFileLists&)> read;
    std::function<void(QDataStream&, const CFileLists&)> write;
};

namespace {
template <typename T> bool readLists(QDataStream& in, QList<CRefList>& lists, int iCount) {
    lists.clear();
    for (int i = 0; i < iCount; ++i) {
        QList<T> lst;
        readRecordList(in, lst);
        lists.append(toRefList(lst));
    }
    return in.status() == QDataStream::Ok && in.atEnd();
}

template <typename T> void writeList(QDataStream& out, const CRefList& lstRefs) {
    QList<T> lst;
    fromRefList(lstRefs, lst);
    writeRecordList(out, lst);
}
} // namespace

const QList<CReferenceStore::SKind>& CReferenceStore::kinds() {
    static const QList<SKind> s_kinds = {
        {CReferenceFiles::sTechniciansFile,
         [](QDataStream& in, CFileLists& l) { return readLists<Specialist>(in, l, 1); },
         [](QDataStream& out, const CFileLists& l) { writeList<Specialist>(out, l.value(0)); }},
        {CReferenceFiles::sToolsFile,
         [](QDataStream& in, CFileLists& l) { return readLists<Tool>(in, l, 1); },
         [](QDataStream& out, const CFileLists& l) { writeList<Tool>(out, l.value(0)); }},
        {CReferenceFiles::sOptionalFile,
         [](QDataStream& in, CFileLists& l) {
             QList<Organization> lstOrgs;
             QStringList lstStandards, lstAssessments;
             readRecordList(in, lstOrgs);
             readRecordList(in, lstStandards);
             readRecordList(in, lstAssessments);
             l = {toRefList(lstOrgs), toRefList(lstStandards), toRefList(lstAssessments)};
             return in.status() == QDataStream::Ok && in.atEnd();
         },
         [](QDataStream& out, const CFileLists& l) {
             writeList<Organization>(out, l.value(0));
             writeList<QString>(out, l.value(1));
             writeList<QString>(out, l.value(2));
         }},
    };
    return s_kinds;
}

CReferenceStore::CReferenceStore(const QString& sDir, const QString& sFallbackDir, QObject* pParent)
    : QObject(pParent), sDir(sDir), sFallbackDir(sFallbackDir) {
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        watch(); // a file replaced is no longer watched
        emit filesChanged();
    });
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        watch();
        emit filesChanged();
    });
    watch();
}

QString CReferenceStore::pathOf(const QString& sFile) const {
    return CReferenceFiles::filePath(sDir, sFile);
}

void CReferenceStore::watch() {
    QStringList lstPaths{sDir};
    for (const SKind& kind : kinds())
        lstPaths << pathOf(kind.sFile);
    lstPaths << pathOf(CReferenceFiles::sHeaderFile);
    for (const QString& sPath : std::as_const(lstPaths)) {
        if (QFileInfo::exists(sPath) && !watcher.files().contains(sPath) &&
            !watcher.directories().contains(sPath))
            watcher.addPath(sPath);
    }
}

bool CReferenceStore::readFile(const SKind& kind, const QString& sPath, CFileLists& lists) const {
    bool bWhole = true;
    const bool bOpened = CReferenceFiles::readStreamFile(
        sPath, [&](QDataStream& in) { bWhole = kind.read(in, lists); });
    return !bOpened || bWhole;
}

bool CReferenceStore::writeFile(const SKind& kind, const QString& sPath, const CFileLists& lists,
                                QString* pError) const {
    return CReferenceFiles::writeStreamFile(
        sPath, [&](QDataStream& out) { kind.write(out, lists); }, pError);
}

QString CReferenceStore::problem(const QString& sFile) const {
    return hashProblems.value(sFile);
}

CReferenceStore::EWrite CReferenceStore::lockFailure(const QLockFile& lock, const QString& sFile) {
    const QString sPath = pathOf(sFile);
    if (lock.error() == QLockFile::LockFailedError) {
        hashProblems.insert(sFile, QStringLiteral("%1: занят другой программой, изменения будут "
                                                  "записаны при следующем сохранении")
                                       .arg(QDir::toNativeSeparators(sPath)));
        return EWrite::Busy;
    }
    // no lock can be made beside the file
    hashProblems.insert(
        sFile,
        QStringLiteral("Папка «%1» недоступна для записи").arg(QDir::toNativeSeparators(sDir)));
    return EWrite::Failed;
}

void CReferenceStore::writeRecovered(const SKind& kind, const CFileLists& mine) {
    const QString sPath = pathOf(kind.sFile);
    QString sRecovered = sPath + QStringLiteral(".recovered");
    CFileLists lists = mine;
    if (QFileInfo::exists(sRecovered)) {
        // another program may have left its lists there: ours join them;
        // what cannot be read is not written over
        CFileLists earlier(mine.size());
        if (readFile(kind, sRecovered, earlier)) {
            for (int i = 0; i < lists.size(); ++i)
                lists[i] = mergeReferences(earlier.value(i), {}, mine[i]);
        } else {
            sRecovered += QStringLiteral("-%1-%2").arg(
                QSysInfo::machineHostName(),
                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        }
    }
    QString sError;
    const QString sDamaged =
        QStringLiteral("%1: поврежден и оставлен как есть, ").arg(QDir::toNativeSeparators(sPath));
    hashProblems.insert(kind.sFile,
                        writeFile(kind, sRecovered, lists, &sError)
                            ? sDamaged + QStringLiteral("списки программы записаны в %1")
                                             .arg(QDir::toNativeSeparators(sRecovered))
                            : sDamaged +
                                  QStringLiteral("списки программы не записаны: %1").arg(sError));
}

CReferenceStore::SLists CReferenceStore::load() {
    QHash<QString, CFileLists> hashRead;
    for (const SKind& kind : kinds()) {
        CFileLists lists;
        if (QFileInfo::exists(pathOf(kind.sFile))) {
            readFile(kind, pathOf(kind.sFile), lists);
            hashBase.insert(kind.sFile, lists);
        } else {
            // lists shipped beside the program are this program's to write
            readFile(kind, CReferenceFiles::filePath(sFallbackDir, kind.sFile), lists);
            hashBase.insert(kind.sFile, CFileLists(lists.size()));
        }
        hashRead.insert(kind.sFile, lists);
    }
    SLists lists;
    const auto& optional = hashRead[CReferenceFiles::sOptionalFile];
    fromRefList(hashRead[CReferenceFiles::sTechniciansFile].value(0), lists.lstTechnicians);
    fromRefList(hashRead[CReferenceFiles::sToolsFile].value(0), lists.lstTools);
    fromRefList(optional.value(0), lists.lstOrganizations);
    fromRefList(optional.value(1), lists.lstStandards);
    fromRefList(optional.value(2), lists.lstAssessments);
    return lists;
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

CReferenceStore::EWrite CReferenceStore::writeMerged(const SKind& kind, CFileLists& mine) {
    const QString sPath = pathOf(kind.sFile);
    hashProblems.remove(kind.sFile);
    QLockFile lock(sPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(iStaleLockMs);
    if (!lock.tryLock(iLockWaitMs))
        return lockFailure(lock, kind.sFile); // the lists stay this program's, for the next write
    CFileLists file(mine.size());
    if (QFileInfo::exists(sPath) && !readFile(kind, sPath, file)) {
        // a damaged file is kept for the laboratory to look at
        writeRecovered(kind, mine);
        return EWrite::Damaged;
    }
    const CFileLists base = hashBase.value(kind.sFile, CFileLists(mine.size()));
    CFileLists result;
    for (int i = 0; i < mine.size(); ++i)
        result.append(mergeReferences(file.value(i), base.value(i), mine[i]));
    QString sError;
    if (!writeFile(kind, sPath, result, &sError)) {
        hashProblems.insert(kind.sFile, sError);
        return EWrite::Failed;
    }
    hashBase.insert(kind.sFile, result);
    mine = result;
    watch();
    return EWrite::Written;
}

CReferenceStore::EWrite CReferenceStore::writeTechnicians(QList<Specialist>& lst) {
    CFileLists lists{toRefList(lst)};
    const EWrite eWrite = writeMerged(kinds()[0], lists);
    fromRefList(lists.value(0), lst);
    return eWrite;
}

CReferenceStore::EWrite CReferenceStore::writeTools(QList<Tool>& lst) {
    CFileLists lists{toRefList(lst)};
    const EWrite eWrite = writeMerged(kinds()[1], lists);
    fromRefList(lists.value(0), lst);
    return eWrite;
}

CReferenceStore::EWrite CReferenceStore::writeOptional(SLists& lists) {
    CFileLists file{toRefList(lists.lstOrganizations), toRefList(lists.lstStandards),
                    toRefList(lists.lstAssessments)};
    const EWrite eWrite = writeMerged(kinds()[2], file);
    fromRefList(file.value(0), lists.lstOrganizations);
    fromRefList(file.value(1), lists.lstStandards);
    fromRefList(file.value(2), lists.lstAssessments);
    return eWrite;
}

CReferenceStore::EWrite CReferenceStore::writeHeader(const QByteArray& header) {
    const QString sFile = CReferenceFiles::sHeaderFile;
    hashProblems.remove(sFile);
    // one record: the later save wins; an unchanged one leaves the file
    if (header == baseHeader && QFileInfo::exists(pathOf(sFile)))
        return EWrite::Written;
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

bool CReferenceStore::refresh(SLists& lists) {
    CFileLists mine[3] = {{toRefList(lists.lstTechnicians)},
                          {toRefList(lists.lstTools)},
                          {toRefList(lists.lstOrganizations), toRefList(lists.lstStandards),
                           toRefList(lists.lstAssessments)}};
    bool bChanged = false;
    for (int k = 0; k < kinds().size(); ++k) {
        const SKind& kind = kinds()[k];
        CFileLists file;
        if (!QFileInfo::exists(pathOf(kind.sFile)) || !readFile(kind, pathOf(kind.sFile), file))
            continue; // nothing to take in, or damage: the next write says so
        const CFileLists base = hashBase.value(kind.sFile);
        if (file == base)
            continue;
        for (int i = 0; i < mine[k].size(); ++i)
            mine[k][i] = mergeReferences(file.value(i), base.value(i), mine[k][i]);
        hashBase.insert(kind.sFile, file);
        bChanged = true;
    }
    fromRefList(mine[0].value(0), lists.lstTechnicians);
    fromRefList(mine[1].value(0), lists.lstTools);
    fromRefList(mine[2].value(0), lists.lstOrganizations);
    fromRefList(mine[2].value(1), lists.lstStandards);
    fromRefList(mine[2].value(2), lists.lstAssessments);
    return bChanged;
}
