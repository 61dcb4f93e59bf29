#pragma once

#include <QString>

// The names of the reference files, where they are kept, and "program_wd"
// (the directory the document dialogs start in, one line in Windows-1251).
// The lists themselves are read and written by the reference store.
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
    // The laboratory's folder chosen in "Настройки"; empty for the
    // program's own choice.
    static QString chosenDir();
    // The folder the program keeps the laboratory's files in: the one
    // chosen, or the data folder of the program run (dataDirFor).
    static QString laboratoryDir();
    // The directory a file is read from: sDataDir when it holds the file,
    // otherwise sAppDir.
    static QString readDirFor(const QString& sAppDir, const QString& sDataDir,
                              const QString& sFile);

    // sDir + "/" + sFile, with no doubled separator.
    static QString filePath(const QString& sDir, const QString& sFile);

    // The working directory: the first line of "program_wd" when it names an
    // existing directory, sDir otherwise (readWorkDir: empty otherwise).
    static QString loadWorkDir(const QString& sDir);
    static QString readWorkDir(const QString& sDir);
    static bool saveWorkDir(const QString& sDir, const QString& sWorkDir,
                            QString* pError = nullptr);
};
