#pragma once

#include "storage/referencemerge.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>

class QLockFile;

// The reference files of one folder, which the programs of a laboratory may
// share: "technicians.hmdb", "tools.hmdb", "optional.hmdb" and
// "laboratory.hmdb". A write never overwrites what another program added:
// under a lock beside the file it reads the file as it is now, applies what
// this program changed since it last read or wrote it, writes the result and
// takes it as the program's lists. A damaged file is never overwritten: the
// program's lists go beside it as "name.hmdb.recovered". A file replaced on
// disk is announced, so that the lists offered follow it.
class CReferenceStore : public QObject {
    Q_OBJECT
public:
    // The lists a form offers.
    struct SLists {
        QList<Specialist> lstTechnicians;
        QList<Tool> lstTools;
        QList<Organization> lstOrganizations;
        QStringList lstStandards;
        QStringList lstAssessments;
    };
    // How a write of one file ended.
    enum class EWrite { Written, Busy, Damaged, Failed };

    // How long a write waits for another program's lock.
    static constexpr int iLockWaitMs = 5000;
    // A lock older than this is a dead program's, even on another computer.
    static constexpr int iStaleLockMs = 30000;

    // sDir holds the files; sFallbackDir (the program's own directory)
    // offers those sDir does not hold yet.
    CReferenceStore(const QString& sDir, const QString& sFallbackDir, QObject* pParent = nullptr);

    QString dir() const { return sDir; }
    QString pathOf(const QString& sFile) const;

    // Reads the files; what is read is what later writes merge against.
    SLists load();
    // The last laboratory header written, as its record's bytes; a file too
    // large to be one is not read, and *pProblem says so.
    QByteArray loadHeader(QString* pProblem = nullptr);

    // Merged writes; the lists given become the merged ones when written.
    // What the user is to know of the last write of a file that was not
    // written whole is problem(file name).
    EWrite writeTechnicians(QList<Specialist>& lst);
    EWrite writeTools(QList<Tool>& lst);
    EWrite writeOptional(SLists& lists);
    EWrite writeHeader(const QByteArray& header);
    // A line naming the file and what went wrong; empty when it was written.
    QString problem(const QString& sFile) const;

    // Takes in what other programs wrote since: the lists keep what this
    // program changed and has not written. True when anything came in.
    bool refresh(SLists& lists);

signals:
    // A reference file of the folder was replaced or changed.
    void filesChanged();

private:
    using CFileLists = QList<CRefList>;
    struct SKind;
    static const QList<SKind>& kinds();
    // Reads a file into its lists; false when it is damaged (read as far as sound).
    bool readFile(const SKind& kind, const QString& sPath, CFileLists& lists) const;
    bool writeFile(const SKind& kind, const QString& sPath, const CFileLists& lists,
                   QString* pError) const;
    EWrite writeMerged(const SKind& kind, CFileLists& mine);
    // A lock that could not be taken: another program's, or none can be made.
    EWrite lockFailure(const QLockFile& lock, const QString& sFile);
    // The program's lists beside a damaged file, in "name.hmdb.recovered",
    // joined with what another program left there.
    void writeRecovered(const SKind& kind, const CFileLists& mine);
    void watch();

    QString sDir;
    QString sFallbackDir;
    QHash<QString, CFileLists> hashBase; // by file name: what was last read or written
    QByteArray baseHeader;
    QHash<QString, QString> hashProblems; // by file name
    QFileSystemWatcher watcher;
};
