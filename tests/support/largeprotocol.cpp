#include "support/largeprotocol.h"

#include "composer/fusionwidget.h"
#include "refdata/measuringtool.h"
#include "refdata/widgetspecial.h"
#include "refdata/widgettool.h"
#include "results/conclusion.h"
#include "storage/referencelists.h"
#include "storage/referencestore.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSaveFile>
#include <QTextEdit>
#include <QToolButton>

QList<Specialist> knownSpecialists(int n) {
    QList<Specialist> lst;
    for (int i = 0; i < n; ++i) {
        Specialist specialist{QStringLiteral("Специалист %1").arg(i), {}};
        for (int c = 0; c < 3; ++c)
            specialist.lstCertificates.append(
                {QStringLiteral("%1-%2").arg(i).arg(c),
                 QStringLiteral("НАКС"),
                 {{QStringLiteral("ультразвуковому"), QDate(2027, 1, 1 + c), c % 3}}});
        lst.append(specialist);
    }
    return lst;
}

void writeListFiles(const QString& sDir, const SReferenceLists& lists, int iFiles) {
    for (EListFile eFile : g_aListFiles) {
        if (!(iFiles & eFile))
            continue;
        QSaveFile file(QDir(sDir).filePath(CReferenceStore::fileName(eFile)));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(listFileBytes(eFile, lists));
            file.commit();
        }
    }
}

void writeSpecialists(const QString& sDir, const QList<Specialist>& lst) {
    SReferenceLists lists;
    lists.lstTechnicians = lst;
    writeListFiles(sDir, lists, eTechniciansFile);
}

SLabLists::SLabLists(const SReferenceLists& seed) {
    writeListFiles(dir.path(), seed);
    pLists = new CReferenceLists(dir.path(), QString());
}

SLabLists::~SLabLists() {
    delete pLists;
}

void fillProtocol(CFusionWidget& form, const SProtocolSize& size) {
    QWidget* pMethods = form.sections()[CFusionWidget::iMethodsIndex];
    while (form.conclusions().size() < size.iMethods)
        pMethods->findChild<QToolButton*>("btn_add")->click();
    QStringList lstTitles;
    for (int c = 0; c < size.iColumns; ++c)
        lstTitles << QStringLiteral("Колонка %1").arg(c + 1);
    QStringList lstCells;
    for (int r = 0; r < size.iRows; ++r)
        for (int c = 0; c < size.iColumns; ++c)
            lstCells << QStringLiteral("Шов %1-%2").arg(r + 1).arg(c + 1);
    for (CConclusion* pConclusion : form.conclusions()) {
        pConclusion->setData(size.iRows, size.iColumns, lstTitles, lstCells);
        pConclusion->findChild<QTextEdit*>("tedt_description")
            ->setPlainText(QStringLiteral("Дефектов не обнаружено."));
        while (pConclusion->panels().size() < size.iSpecialistsPerConclusion)
            pConclusion->findChild<QPushButton*>("btn_addTechnician")->click();
        for (int i = 0; i < pConclusion->panels().size(); ++i)
            pConclusion->panels()[i]->findChild<QComboBox*>("cmb_name")->setCurrentIndex(i + 1);
    }
    auto pTools = form.findChild<CMeasuringTool*>();
    while (pTools->panels().size() < size.iInstruments)
        pTools->findChild<QPushButton*>("btn_addDevice")->click();
    for (int i = 0; i < pTools->panels().size(); ++i) {
        CWidgetTool* pPanel = pTools->panels()[i];
        pPanel->setEntry({QStringLiteral("Прибор %1").arg(i), QString::number(1000 + i),
                          QStringLiteral("С-%1").arg(i), QDate(2027, 3, 1), i % 2 == 0});
    }
    for (int i = 0; i < size.iUserItems; ++i)
        form.slot_addNewStdItem(form.lastNumber() + 1, QStringLiteral("Пункт %1:").arg(i),
                                QStringLiteral("значение"));
}
