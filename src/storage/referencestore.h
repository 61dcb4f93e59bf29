#pragma once

#include "storage/listchange.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

class QLockFile;

// The reference files of one folder, which the programs of a laboratory may
// share: "technicians.hmdb", "tools.hmdb", "optional.hmdb" and
// "laboratory.hmdb". A change is applied under a lock beside the file to
// what the file holds at that moment, so that nothing another program wrote
// is undone; beside each list file "name.hmdb.actions" remembers the last
// action on each entry. A damaged file is never overwritten: changes go
// beside it as "name.hmdb.recovered". A copy of every list file read whole
// is kept in the user's own folder, and stands in for a folder that cannot
// be reached.
class CReferenceStore : public QObject {
    Q_OBJECT
public:
    using SLists = SReferenceLists;
    // How a change of one file ended.
    enum class EWrite {
        Written,
        Busy,        // another program holds the lock
        Damaged,     // the file is damaged: the change went beside it
        Failed,      // the file could not be written (problem() says why)
        Unreachable, // the folder is not there
    };

    // How long a change waits for another program's lock before it waits
    // in the queue instead: a window must not stand still.
    static constexpr int iLockWaitMs = 300;
    // A lock older than this is a dead program's, even on another computer.
    static constexpr int iStaleLockMs = 30000;
    // The largest list file read: a laboratory's lists take well under 1 MB.
    static constexpr qint64 iMaxListFileBytes = 8 * 1024 * 1024;
    // Folders on other computers send no change notices: the files are
    // looked at this often as well.
    static constexpr int iPollMs = 1000;

    // sDir holds the files; sFallbackDir (the program's own directory)
    // offers those sDir does not hold yet.
    CReferenceStore(const QString& sDir, const QString& sFallbackDir, QObject* pParent = nullptr);
    ~CReferenceStore() override;

    QString dir() const { return sDir; }
    QString pathOf(const QString& sFile) const;
    static QString fileName(EListFile eFile);
    // Where the last good copies of the list files are kept; none until set.
    void setCopyDir(const QString& sDir);
    // The folder of the last good copies in the user's own folder sOwnDir.
    static QString copyDirIn(const QString& sOwnDir);

    // Whether the folder can be reached, and is not standing empty in the
    // place of the laboratory's (standsEmpty).
    bool isReachable() const;
    // Whether sDir is there but holds nothing at all, though the last good
    // copies in sCopyDir were taken from it: a share not mounted leaves its
    // empty mount point behind, which must not become a laboratory folder
    // of its own.
    static bool standsEmpty(const QString& sDir, const QString& sCopyDir);
    // The copies in sCopyDir no longer speak for their folder: the
    // laboratory starts its lists there anew.
    static void forgetFolder(const QString& sCopyDir);
    // What is said of a folder that stands empty, after its name.
    static QString emptiness();
    // "Папка справочников «…» недоступна" or "… пуста, …" while the folder
    // cannot be used (isReachable), and empty when it can.
    QString folderProblem() const;
    // Reads the files; a file damaged, too large or out of reach is named in
    // problems(), and a folder out of reach gives the last good copies.
    SLists load();
    // What is wrong with the files as last read or written, a line each.
    QStringList problems() const;
    // A line naming the file and what went wrong at its last read or
    // write; empty when nothing did.
    QString problem(const QString& sFile) const;

    // Applies pApply to the lists of eFile as the folder holds them now and
    // to the actions remembered beside it, under the file's lock, and writes
    // whatever it changed. lists then hold the file's lists.
    EWrite change(EListFile eFile, const std::function<EApplied(SLists&, CEntryActions&)>& pApply,
                  SLists& lists);

    // The list files the folder does not hold yet are written, with what is
    // shipped beside the program: a laboratory starts its lists so.
    void createMissing();

    // The list files another program changed since they were last read,
    // read again into lists (EListFile flags; 0 for none).
    int refresh(SLists& lists);

    // The last laboratory header written, as its record's bytes; a file too
    // large to be one is not read, and *pProblem says so.
    QByteArray loadHeader(QString* pProblem = nullptr);
    EWrite writeHeader(const QByteArray& header);

signals:
    // A list file of the folder was replaced or changed.
    void filesChanged();

private:
    // What a file was when last read or written: another program's write
    // changes it.
    struct SStamp {
        qint64 iSize = -1;
        qint64 iModified = 0; // nanoseconds
        quint64 iInode = 0;
        bool operator==(const SStamp& o) const {
            return iSize == o.iSize && iModified == o.iModified && iInode == o.iInode;
        }
        bool operator!=(const SStamp& o) const { return !(*this == o); }
    };
    static SStamp stampOf(const QString& sPath);
    // How a file was read.
    enum class ERead { Whole, Damaged, Unreadable };
    // Reads the lists of eFile from sPath: damaged or too large (problem
    // says which), read as far as it is sound; or not read at all.
    ERead readFile(EListFile eFile, const QString& sPath, SLists& lists, QByteArray* pBytes);
    // The lists of eFile as the folder holds them, or as shipped beside the
    // program while the folder holds none.
    ERead readCurrent(EListFile eFile, SLists& lists, QByteArray* pBytes);
    CEntryActions readActions(EListFile eFile) const;
    EWrite lockFailure(const QLockFile& lock, const QString& sFile);
    // The lists beside a damaged file, joined with what another program
    // left there.
    void writeRecovered(EListFile eFile, const SLists& lists);
    // The bytes of a file read or written whole, as the last good copy.
    void keepCopy(EListFile eFile, const QByteArray& bytes);
    void watch();
    void checkStamps();

    QString sDir;
    QString sFallbackDir;
    QString sCopyDir;
    bool bCopyMarked = false;              // the copies name this folder as theirs
    QHash<QString, SStamp> hashStamps;     // by file name: as last read or written
    QHash<QString, QByteArray> hashCopies; // by file name: the copy kept
    QByteArray baseHeader;
    QHash<QString, QString> hashProblems; // by file name
    QFileSystemWatcher watcher;
    QTimer pollTimer;
};
