#include "storage/referencefiles.h"

#include "base/savefile.h"
#include "base/settings.h"
#include "storage/journal.h"
#include "storage/settingskeys.h"

#include <QCoreApplication>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextCodec>

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

QString CReferenceFiles::chosenDir() {
    return openSettings()->value(SettingsKey::sReferenceFolder).toString();
}

QString CReferenceFiles::laboratoryDir() {
    const QString sChosen = chosenDir();
    return sChosen.isEmpty()
               ? dataDirFor(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
               : sChosen;
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

bool CReferenceFiles::saveWorkDir(const QString& sDir, const QString& sWorkDir, QString* pError) {
    QTextCodec* pCodec = workDirCodec();
    QByteArray line = pCodec ? pCodec->fromUnicode(sWorkDir) : sWorkDir.toLocal8Bit();
    line.append('\n');
    return saveFileBytes(filePath(sDir, sWorkDirFile), line, pError);
}
