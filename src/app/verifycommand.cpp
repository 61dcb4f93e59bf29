#include "app/verifycommand.h"

#include "storage/journal.h"
#include "storage/referencefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {
void printLine(FILE* pStream, const QString& sLine) {
    std::fprintf(pStream, "%s\n", sLine.toUtf8().constData());
    std::fflush(pStream);
}
} // namespace

QString CVerifyCommand::usage() {
    return QStringLiteral(
        "  ndt-protocol --verify ФАЙЛ.pdf...     без окна: выдан ли каждый PDF, по журналу\n"
        "                                        протоколов из настроек\n");
}

QString CVerifyCommand::journalFile(QString* pProblem) {
    // the folder the program keeps its journal in: the laboratory's, chosen
    // in "Настройки", or its own data folder
    const QString sFile = CJournal::fileIn(CReferenceFiles::laboratoryDir());
    // a journal is never made to be asked: none there has issued nothing
    if (!QFileInfo::exists(sFile))
        *pProblem =
            QStringLiteral("Журнал протоколов «%1» не найден").arg(QDir::toNativeSeparators(sFile));
    return sFile;
}

int CVerifyCommand::verify(CJournal& journal, const QStringList& lstFiles) {
    int iStatus = 0;
    for (const QString& sFile : lstFiles) {
        const SPdfCheck check = journal.checkPdf(sFile);
        printLine(stdout, check.line(sFile));
        if (check.eVerdict == SPdfCheck::EVerdict::Unreachable)
            return 2; // the files after it are not asked about in vain
        if (!check.isIssued())
            iStatus = 1;
    }
    return iStatus;
}

int CVerifyCommand::exec(int argc, char* argv[]) {
    // the standard output is the answer: Qt's own notes stay out of it
    qInstallMessageHandler([](QtMsgType eType, const QMessageLogContext&, const QString& sText) {
        if (eType == QtCriticalMsg || eType == QtFatalMsg)
            printLine(stderr, sText);
    });
    QCoreApplication app(argc, argv);
    // names the user's data location: ~/.local/share/ndt-protocol
    QCoreApplication::setApplicationName(QStringLiteral("ndt-protocol"));
    const QStringList lstFiles = QCoreApplication::arguments().mid(2);
    if (lstFiles.isEmpty()) {
        std::fprintf(stderr, "%s", usage().toUtf8().constData());
        return 2;
    }
    const SJournalPlace place = SJournalPlace::load();
    QString sProblem;
    const QString sFile = place.bServer ? QString() : journalFile(&sProblem);
    if (!sProblem.isEmpty()) {
        printLine(stderr, sProblem);
        return 2;
    }
    // only read: the queue of this workstation has nothing to do with it
    CJournal journal(sFile, QString(), place);
    if (!journal.database().isValid()) {
        printLine(stderr, QStringLiteral("Журнал недоступен: %1").arg(journal.problem()));
        return 2;
    }
    return verify(journal, lstFiles);
}
