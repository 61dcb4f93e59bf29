#include "storage/referencefiles.h"

#include "base/savefile.h"
#include "storage/journal.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextCodec>

#include <functional>

const QString CReferenceFiles::sWorkDirFile = QStringLiteral("program_wd");
const QString CReferenceFiles::sTechniciansFile = QStringLiteral("technicians.hmdb");
const QString CReferenceFiles::sToolsFile = QStringLiteral("tools.hmdb");
const QString CReferenceFiles::sOptionalFile = QStringLiteral("optional.hmdb");
const QString CReferenceFiles::sHeaderFile = QStringLiteral("laboratory.hmdb");

namespace {

// "program_wd" holds one path; a first line longer than this names no directory.
constexpr qint64 g_iMaxWorkDirLine = 32 * 1024;

QTextCodec* workDirCodec() {
    return QTextCodec::codecForName("Windows-1251");
}

} // namespace

// Opens the file of a reference list for reading as a Qt 4.6 stream and
// hands the stream to pRead. False when the file cannot be opened.
bool CReferenceFiles::readStreamFile(const QString& sPath,
                                     const std::function<void(QDataStream&)>& pRead) {
    QFile file(sPath);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_4_6);
    pRead(in);
    return true;
}

// Writes a reference file through a temporary file that replaces the old one
// only when everything was written.
bool CReferenceFiles::writeStreamFile(const QString& sPath,
                                      const std::function<void(QDataStream&)>& pWrite,
                                      QString* pError) {
    QSaveFile file(sPath);
    bool bWritten = file.open(QIODevice::WriteOnly);
    if (bWritten) {
        QDataStream out(&file);
        out.setVersion(QDataStream::Qt_4_6);
        pWrite(out);
        if (out.status() != QDataStream::Ok)
            file.cancelWriting();
        bWritten = out.status() == QDataStream::Ok && commitSaveFile(file);
    }
    if (!bWritten && pError)
        *pError = writeFailure(file);
    return bWritten;
}

QString CReferenceFiles::dataDirFor(const QString& sAppDir, const QString& sUserDir) {
    // the program's folder keeps the laboratory's records only where the
    // laboratory put them there, and the folder can be written: a build
    // folder, or a program's own bin, holds none by chance. A program
    // installed among the system's own (a Debian package) keeps nothing
    // beside itself, even when root runs it; elsewhere a file that can be
    // created is the only sure test, whoever runs the program.
    const bool bSystemProgram = QDir::cleanPath(sAppDir).startsWith(QStringLiteral("/usr/"));
    bool bRecordsThere = false;
    for (const QString& sFile :
         {sTechniciansFile, sToolsFile, sOptionalFile, sHeaderFile, CJournal::sFileName})
        bRecordsThere = bRecordsThere || QFileInfo::exists(filePath(sAppDir, sFile));
    QTemporaryFile probe(filePath(sAppDir, QStringLiteral(".write-probe-XXXXXX")));
    if (!bSystemProgram && bRecordsThere && probe.open())
        return sAppDir;
    makePrivateFolder(sUserDir);
    return sUserDir;
}

QString CReferenceFiles::readDirFor(const QString& sAppDir, const QString& sDataDir,
                                    const QString& sFile) {
    return QFileInfo::exists(filePath(sDataDir, sFile)) ? sDataDir : sAppDir;
}

QString CReferenceFiles::filePath(const QString& sDir, const QString& sFile) {
    if (sDir.endsWith(QLatin1Char('/')))
        return sDir + sFile;
    return sDir + QLatin1Char('/') + sFile;
}

QString CReferenceFiles::readWorkDir(const QString& sDir) {
    QFile file(filePath(sDir, sWorkDirFile));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray line = file.readLine(g_iMaxWorkDirLine);
    if (line.endsWith('\n'))
        line.chop(1);
    else if (!file.atEnd())
        return QString(); // a first line too long to be a path
    file.close();
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return QString();
    QTextCodec* pCodec = workDirCodec();
    const QString sLine = pCodec ? pCodec->toUnicode(line) : QString::fromLocal8Bit(line);
    return QFileInfo(sLine).isDir() ? sLine : QString();
}

QString CReferenceFiles::loadWorkDir(const QString& sDir) {
    const QString sWorkDir = readWorkDir(sDir);
    return sWorkDir.isEmpty() ? sDir : sWorkDir;
}

bool CReferenceFiles::loadTechnicians(const QString& sDir, QList<Specialist>& lstTechnicians) {
    return CReferenceFiles::readStreamFile(filePath(sDir, sTechniciansFile), [&](QDataStream& in) {
        readRecordList(in, lstTechnicians);
    });
}

bool CReferenceFiles::loadTools(const QString& sDir, QList<Tool>& lstTools) {
    return CReferenceFiles::readStreamFile(filePath(sDir, sToolsFile),
                                           [&](QDataStream& in) { readRecordList(in, lstTools); });
}

bool CReferenceFiles::loadOptional(const QString& sDir, QList<Organization>& lstOrganizations,
                                   QStringList& lstStandards, QStringList& lstAssessments) {
    return CReferenceFiles::readStreamFile(filePath(sDir, sOptionalFile), [&](QDataStream& in) {
        // Each list is cleared even when an earlier one ended the data.
        readRecordList(in, lstOrganizations);
        lstStandards.clear();
        lstAssessments.clear();
        if (in.status() != QDataStream::Ok)
            return;
        readRecordList(in, lstStandards);
        if (in.status() != QDataStream::Ok)
            return;
        readRecordList(in, lstAssessments);
    });
}

bool CReferenceFiles::saveWorkDir(const QString& sDir, const QString& sWorkDir, QString* pError) {
    QTextCodec* pCodec = workDirCodec();
    QByteArray line = pCodec ? pCodec->fromUnicode(sWorkDir) : sWorkDir.toLocal8Bit();
    line.append('\n');
    return saveFileBytes(filePath(sDir, sWorkDirFile), line, pError);
}

bool CReferenceFiles::saveTechnicians(const QString& sDir,
                                      const QList<Specialist>& lstTechnicians) {
    return CReferenceFiles::writeStreamFile(
        filePath(sDir, sTechniciansFile),
        [&](QDataStream& out) { writeRecordList(out, lstTechnicians); });
}

bool CReferenceFiles::saveTools(const QString& sDir, const QList<Tool>& lstTools) {
    return CReferenceFiles::writeStreamFile(
        filePath(sDir, sToolsFile), [&](QDataStream& out) { writeRecordList(out, lstTools); });
}

bool CReferenceFiles::saveOptional(const QString& sDir, const QList<Organization>& lstOrganizations,
                                   const QStringList& lstStandards,
                                   const QStringList& lstAssessments) {
    return CReferenceFiles::writeStreamFile(filePath(sDir, sOptionalFile), [&](QDataStream& out) {
        writeRecordList(out, lstOrganizations);
        writeRecordList(out, lstStandards);
        writeRecordList(out, lstAssessments);
    });
}

bool CReferenceFiles::saveReferenceFiles(const QString& sDir, const QString& sWorkDir,
                                         const QList<Specialist>& lstTechnicians,
                                         const QList<Tool>& lstTools,
                                         const QList<Organization>& lstOrganizations,
                                         const QStringList& lstStandards,
                                         const QStringList& lstAssessments, QStringList* pFailed) {
    bool bAll = true;
    const auto note = [&](bool bWritten, const QString& sFile) {
        if (bWritten)
            return;
        bAll = false;
        if (pFailed)
            pFailed->append(filePath(sDir, sFile));
    };
    note(saveWorkDir(sDir, sWorkDir), sWorkDirFile);
    note(saveTechnicians(sDir, lstTechnicians), sTechniciansFile);
    note(saveTools(sDir, lstTools), sToolsFile);
    note(saveOptional(sDir, lstOrganizations, lstStandards, lstAssessments), sOptionalFile);
    return bAll;
}
