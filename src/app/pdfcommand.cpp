#include "app/pdfcommand.h"

#include "base/constants.h"
#include "base/translations.h"
#include "composer/printsettings.h"
#include "document/protocoldocument.h"
#include "render/pdfexporter.h"
#include "storage/referencefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QPrinter>

#include <cstdio>

namespace {
void printLine(FILE* pStream, const QString& sLine) {
    std::fprintf(pStream, "%s\n", sLine.toUtf8().constData());
    std::fflush(pStream);
}

// The records of a document whole; empty with *pProblem saying why not.
SProtocolRead readWhole(const QString& sPath, QString* pProblem) {
    *pProblem = sizeProblem(sPath, g_iMaxDocumentBytes);
    if (!pProblem->isEmpty())
        return {};
    QFile file(sPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *pProblem = QStringLiteral("не читается: %1").arg(file.errorString());
        return {};
    }
    const SProtocolRead read = readProtocol(file.readAll());
    if (read.iRecords == 0)
        *pProblem = QStringLiteral("не является протоколом");
    else if (!read.bSound)
        *pProblem =
            QStringLiteral("поврежден: прочитано %1 байт из %2").arg(read.iBytes).arg(file.size());
    return read;
}

} // namespace

QString CPdfCommand::usage() {
    return QStringLiteral(
        "Подготовка отчета: протоколы неразрушающего контроля.\n"
        "\n"
        "  ndt-protocol                          редактор с новым протоколом\n"
        "  ndt-protocol ФАЙЛ.rpt                 редактор с этим протоколом\n"
        "  ndt-protocol --pdf ПАПКА ФАЙЛ.rpt...  без окна: каждый протокол в ПАПКА/ИМЯ.pdf,\n"
        "                                        как его записывает «Сохранить в PDF»\n"
        "  ndt-protocol --help                   эта справка\n");
}

void CPdfCommand::keepQtQuiet() {
    qInstallMessageHandler([](QtMsgType eType, const QMessageLogContext&, const QString& sText) {
        if (eType == QtCriticalMsg || eType == QtFatalMsg)
            printLine(stderr, sText);
    });
}

int CPdfCommand::run(const QStringList& lstArgs) {
    if (lstArgs.size() < 2) {
        std::fprintf(stderr, "%s", usage().toUtf8().constData());
        return 2;
    }
    const QDir target(lstArgs.first());
    if (QFileInfo(target.path()).exists() && !QFileInfo(target.path()).isDir()) {
        printLine(stderr, QStringLiteral("%1: это файл, а не папка").arg(target.path()));
        return 1;
    }
    QDir().mkpath(target.path());
    // the page set-up the print dialogs chose, at the resolution of a
    // form's printer (a printer is no widget, and nothing here is), and the
    // statement of the laboratory's folder as the window uses it
    const QPrinter printer(QPrinter::ScreenResolution);
    const SPrintSetup setup = printSetup(CReferenceFiles::laboratoryDir(), printer.resolution());
    int iStatus = 0;
    // two documents of one name from different folders: the second would
    // replace the first one's PDF
    QHash<QString, QString> written;
    for (const QString& sPath : lstArgs.mid(1)) {
        const QString sName = QFileInfo(sPath).fileName();
        QString sProblem;
        const SProtocolRead read = readWhole(sPath, &sProblem);
        if (!sProblem.isEmpty()) {
            printLine(stderr, QStringLiteral("%1: %2").arg(sPath, sProblem));
            iStatus = 1;
            continue;
        }
        const QString sPdf =
            target.filePath(QFileInfo(sPath).completeBaseName() + QStringLiteral(".pdf"));
        if (written.contains(sPdf)) {
            printLine(stderr, QStringLiteral("%1: %2 уже записан из %3")
                                  .arg(sPath, QFileInfo(sPdf).fileName(), written.value(sPdf)));
            iStatus = 1;
            continue;
        }
        CPdfExporter exporter(read.document, setup);
        if (!exporter.write(sPdf, &sProblem)) {
            printLine(stderr, QStringLiteral("%1: %2").arg(sPath, sProblem));
            iStatus = 1;
            continue;
        }
        written.insert(sPdf, sPath);
        printLine(stdout, QStringLiteral("%1 → %2, %3 стр.")
                              .arg(sName, QFileInfo(sPdf).fileName())
                              .arg(exporter.pages()));
    }
    return iStatus;
}

int CPdfCommand::exec(int argc, char* argv[]) {
    // no display is needed: the offscreen platform, unless told otherwise
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    keepQtQuiet();
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ndt-protocol"));
    installRussianTranslations(app);
    return run(QCoreApplication::arguments().mid(2));
}
