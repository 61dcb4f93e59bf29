#include "fuzztargets.h"

#include "document/protocoldocument.h"
#include "storage/listchange.h"
#include "storage/referencefiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace fuzz {
namespace {

// One application and one scratch directory for every input.
struct CState {
    CState() {
        if (!QCoreApplication::instance()) {
            static int iArgc = 1;
            static char sName[] = "fuzz";
            static char* argv[] = {sName, nullptr};
            new QCoreApplication(iArgc, argv);
        }
    }
    QTemporaryDir dir;
};

CState& state() {
    static CState s_state;
    return s_state;
}

// Puts the input where a reference file is looked for; the folder holding it.
QString placeFile(const QString& sName, const uint8_t* pData, size_t iSize) {
    const QString sPath = CReferenceFiles::filePath(state().dir.path(), sName);
    QFile file(sPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(pData), qint64(iSize));
    return state().dir.path();
}

// What is read of a list file writes back to bytes that read again the
// same; a file read whole writes back byte for byte. The same bytes taken as
// the actions file beside a list do likewise.
void checkListRoundTrip(EListFile eFile, const uint8_t* pData, size_t iSize) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(pData), qsizetype(iSize));
    SReferenceLists lists;
    const bool bWhole = readListFile(eFile, bytes, lists);
    const QByteArray written = listFileBytes(eFile, lists);
    SReferenceLists again;
    if (!readListFile(eFile, written, again) || !(again == lists) || (bWhole && written != bytes))
        std::abort();
    CEntryActions lstActions;
    const bool bActionsWhole = readEntryActions(bytes, lstActions);
    const QByteArray actions = entryActionsBytes(lstActions);
    CEntryActions lstAgain;
    if (!readEntryActions(actions, lstAgain) || lstAgain != lstActions ||
        (bActionsWhole && actions != bytes))
        std::abort();
}

} // namespace

QString targetName(ETarget eTarget) {
    static const char* const s_names[] = {"document", "technicians", "tools", "optional",
                                          "workdir"};
    return QString::fromLatin1(s_names[int(eTarget)]);
}

int runDocument(const uint8_t* pData, size_t iSize) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(pData), qsizetype(iSize));
    const SProtocolRead read = readProtocol(bytes);
    // what was read whole writes back as it was read, and reads again the
    // same; a record taken in part after damage keeps the count it was
    // read with, so only the records before it must come back
    const QByteArray written = protocolBytes(read.document);
    const SProtocolRead again = readProtocol(written);
    if (read.bSound && (written != bytes || !again.bSound || again.document != read.document))
        std::abort();
    if (again.iRecords < read.iRecords)
        std::abort();
    for (int i = 0; i < read.iRecords; ++i) {
        if (again.document.lstRecords.at(i) != read.document.lstRecords.at(i))
            std::abort();
    }
    return 0;
}

int runTechnicians(const uint8_t* pData, size_t iSize) {
    checkListRoundTrip(eTechniciansFile, pData, iSize);
    return 0;
}

int runTools(const uint8_t* pData, size_t iSize) {
    checkListRoundTrip(eToolsFile, pData, iSize);
    return 0;
}

int runOptional(const uint8_t* pData, size_t iSize) {
    checkListRoundTrip(eOptionalFile, pData, iSize);
    return 0;
}

int runWorkDir(const uint8_t* pData, size_t iSize) {
    const QString sDir = placeFile(CReferenceFiles::sWorkDirFile, pData, iSize);
    const QString sWorkDir = CReferenceFiles::readWorkDir(sDir);
    if (!sWorkDir.isEmpty())
        CReferenceFiles::saveWorkDir(sDir, sWorkDir);
    return 0;
}

int run(ETarget eTarget, const QByteArray& input) {
    using FRun = int (*)(const uint8_t*, size_t);
    static const FRun s_runs[] = {runDocument, runTechnicians, runTools, runOptional, runWorkDir};
    return s_runs[int(eTarget)](reinterpret_cast<const uint8_t*>(input.constData()),
                                size_t(input.size()));
}

} // namespace fuzz
