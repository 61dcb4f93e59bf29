#include "fuzztargets.h"

#include "composer/fusionwidget.h"
#include "refdata/referencefiles.h"

#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>

namespace fuzz {
namespace {

// One application, one scratch directory and one composer for every input,
// as in the program: a document read after a damaged one must come out right.
struct CState {
    CState() {
        if (!QCoreApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int iArgc = 1;
            static char sName[] = "fuzz";
            static char* argv[] = {sName, nullptr};
            new QApplication(iArgc, argv);
        }
        pComposer = new CFusionWidget(dir.path());
    }
    QTemporaryDir dir;
    CFusionWidget* pComposer = nullptr;
};

CState& state() {
    static CState s_state;
    return s_state;
}

// Puts the input where a reference file is looked for.
QString placeFile(const QString& sName, const uint8_t* pData, size_t iSize) {
    const QString sPath = CReferenceFiles::filePath(state().dir.path(), sName);
    QFile file(sPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(pData), qint64(iSize));
    return state().dir.path();
}

} // namespace

QString targetName(ETarget eTarget) {
    static const char* const s_names[] = {"document", "technicians", "tools", "optional",
                                          "workdir"};
    return QString::fromLatin1(s_names[int(eTarget)]);
}

int runDocument(const uint8_t* pData, size_t iSize) {
    // the reference lists learn from every document read, as in a long day
    // of work; a fresh composer now and then keeps a fuzzing run's memory
    // bounded while documents still follow damaged ones
    constexpr int iInputsPerComposer = 256;
    static int s_iInputs = 0;
    if (++s_iInputs % iInputsPerComposer == 0) {
        delete state().pComposer;
        state().pComposer = new CFusionWidget(state().dir.path());
    }
    CFusionWidget* pComposer = state().pComposer;
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(pData), qsizetype(iSize));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QDataStream in(&buffer);
    pComposer->readDocument(in);
    // what was read must write, print and judge as any protocol does
    pComposer->buildProtocolHtml();
    documentWrittenBack();
    return 0;
}

QByteArray documentWrittenBack() {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    state().pComposer->writeDocument(out);
    return bytes;
}

QString protocolHtml() {
    return state().pComposer->buildProtocolHtml();
}

int runTechnicians(const uint8_t* pData, size_t iSize) {
    QList<Specialist> lst;
    CReferenceFiles::loadTechnicians(placeFile(CReferenceFiles::sTechniciansFile, pData, iSize),
                                     lst);
    CReferenceFiles::saveTechnicians(state().dir.path(), lst);
    return 0;
}

int runTools(const uint8_t* pData, size_t iSize) {
    QList<Tool> lst;
    CReferenceFiles::loadTools(placeFile(CReferenceFiles::sToolsFile, pData, iSize), lst);
    CReferenceFiles::saveTools(state().dir.path(), lst);
    return 0;
}

int runOptional(const uint8_t* pData, size_t iSize) {
    QList<Organization> lstOrganizations;
    QStringList lstStandards;
    QStringList lstAssessments;
    CReferenceFiles::loadOptional(placeFile(CReferenceFiles::sOptionalFile, pData, iSize),
                                  lstOrganizations, lstStandards, lstAssessments);
    CReferenceFiles::saveOptional(state().dir.path(), lstOrganizations, lstStandards,
                                  lstAssessments);
    return 0;
}

int runWorkDir(const uint8_t* pData, size_t iSize) {
    const QString sDir =
        CReferenceFiles::loadWorkDir(placeFile(CReferenceFiles::sWorkDirFile, pData, iSize));
    CReferenceFiles::saveWorkDir(state().dir.path(), sDir);
    return 0;
}

int run(ETarget eTarget, const QByteArray& input) {
    using FRun = int (*)(const uint8_t*, size_t);
    static const FRun s_runs[] = {runDocument, runTechnicians, runTools, runOptional, runWorkDir};
    return s_runs[int(eTarget)](reinterpret_cast<const uint8_t*>(input.constData()),
                                size_t(input.size()));
}

} // namespace fuzz
