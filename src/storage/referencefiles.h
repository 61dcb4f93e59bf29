#pragma once

#include "document/records.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QDataStream;

// The reference files kept in the program's directory: "program_wd" (the
// directory the document dialogs start in, one line in Windows-1251),
// "technicians.hmdb", "tools.hmdb" and "optional.hmdb" (Qt 4.6 data streams
// with no header). Every operation takes the directory holding the files.
//
// Loading never reports anything: a missing or unreadable file leaves the
// target lists as they are, a damaged or cut file yields what can be read
// whole. Saving writes through a temporary file, so a failed write leaves
// the old file intact; it returns false when the file could not be written.
class CReferenceFiles {
public:
    static const QString sWorkDirFile;     // "program_wd"
    static const QString sTechniciansFile; // "technicians.hmdb"
    static const QString sToolsFile;       // "tools.hmdb"
    static const QString sOptionalFile;    // "optional.hmdb"
    static const QString sHeaderFile;      // "laboratory.hmdb": the last saved header

    // Where the reference files, the journal and the dictionary are
    // written: the application directory when a laboratory put its
    // reference files there, it can be written and is none of the system's
    // (/usr); otherwise sUserDir (the user's data location), which is
    // created when needed, for this user alone.
    static QString dataDirFor(const QString& sAppDir, const QString& sUserDir);
    // The directory a file is read from: sDataDir when it holds the file,
    // otherwise sAppDir.
    static QString readDirFor(const QString& sAppDir, const QString& sDataDir,
                              const QString& sFile);

    // Reads a Qt 4.6 stream file through pRead; false when it cannot be opened.
    static bool readStreamFile(const QString& sPath,
                               const std::function<void(QDataStream&)>& pRead);
    // Writes a Qt 4.6 stream file through pWrite into a temporary file that
    // replaces the old one only when everything was written; *pError says
    // why it was not.
    static bool writeStreamFile(const QString& sPath,
                                const std::function<void(QDataStream&)>& pWrite,
                                QString* pError = nullptr);

    // sDir + "/" + sFile, with no doubled separator.
    static QString filePath(const QString& sDir, const QString& sFile);

    // The working directory: the first line of "program_wd" when it names an
    // existing directory, sDir otherwise (readWorkDir: empty otherwise).
    static QString loadWorkDir(const QString& sDir);
    static QString readWorkDir(const QString& sDir);
    // These clear and fill the lists when the file opens; they return false,
    // leaving the lists untouched, when it does not.
    static bool loadTechnicians(const QString& sDir, QList<Specialist>& lstTechnicians);
    static bool loadTools(const QString& sDir, QList<Tool>& lstTools);
    static bool loadOptional(const QString& sDir, QList<Organization>& lstOrganizations,
                             QStringList& lstStandards, QStringList& lstAssessments);

    static bool saveWorkDir(const QString& sDir, const QString& sWorkDir,
                            QString* pError = nullptr);
    static bool saveTechnicians(const QString& sDir, const QList<Specialist>& lstTechnicians);
    static bool saveTools(const QString& sDir, const QList<Tool>& lstTools);
    static bool saveOptional(const QString& sDir, const QList<Organization>& lstOrganizations,
                             const QStringList& lstStandards, const QStringList& lstAssessments);

    // Writes "program_wd", "technicians.hmdb", "tools.hmdb" and "optional.hmdb"
    // in this order, each regardless of the others. Returns true when all four
    // were written; otherwise the paths of those that were not are appended to
    // *pFailed when it is given.
    static bool
    saveReferenceFiles(const QString& sDir, const QString& sWorkDir,
                       const QList<Specialist>& lstTechnicians, const QList<Tool>& lstTools,
                       const QList<Organization>& lstOrganizations, const QStringList& lstStandards,
                       const QStringList& lstAssessments, QStringList* pFailed = nullptr);
};
