#include "composer/fusionwidget.h"
#include "items/report.h"
#include "items/stditem.h"
#include "refdata/referencefiles.h"
#include "refdata/widgetspecial.h"
#include "results/conclusion.h"
#include "results/resulttable.h"
#include "support/bytes.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
const QString sUltrasonicDative = QStringLiteral("ультразвуковому");

QToolButton* methodsButton(CFusionWidget& form, const char* pName) {
    return form.sections()[eMethods]->findChild<QToolButton*>(QString::fromLatin1(pName));
}
QList<QComboBox*> methodRows(CFusionWidget& form) {
    return form.sections()[eMethods]->findChildren<QComboBox*>(Qt::FindDirectChildrenOnly);
}
void addMethodRow(CFusionWidget& form) {
    QTest::mouseClick(methodsButton(form, "btn_add"), Qt::LeftButton);
}
QStringList offeredMethods(CConclusion* pConclusion) {
    QComboBox* pBox = pConclusion->findChild<QComboBox*>(QStringLiteral("cmb_methods"));
    QStringList lst;
    for (int i = 0; i < pBox->count(); ++i)
        lst << pBox->itemText(i);
    return lst;
}
QByteArray fileBytes(const QString& sPath) {
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
// Types a new specialist with one certificate into a panel and saves it.
void saveSpecialist(CWidgetSpecial* pPanel, const QString& sName, const QString& sNumber) {
    typeText(pPanel->findChild<QComboBox*>("cmb_name")->lineEdit(), sName);
    typeText(pPanel->findChild<QComboBox*>("cmb_licenseNum")->lineEdit(), sNumber);
    QTest::mouseClick(pPanel->findChild<QPushButton*>("btn_saveSpec"), Qt::LeftButton);
}
} // namespace

class TestMethodConclusions : public QObject {
    Q_OBJECT
private slots:
    void oneConclusionPerChosenMethod() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        addMethodRow(form);
        addMethodRow(form);
        QCOMPARE(form.conclusions().size(), 3);
        // appended at the end, numbered after the last section
        QCOMPARE(form.sections().last(), form.conclusions().last());
        QCOMPARE(numbersFrom(form).mid(10), QList<int>({11, 14, 17}));
        QCOMPARE(form.lastNumber(), 19);
        QCOMPARE(form.conclusions()[1]->dativeMethod(),
                 QStringLiteral("акустико-эмиссионному"));
        QCOMPARE(form.conclusions()[2]->findChild<CResultTable*>()->method(),
                 QStringLiteral("визуального и измерительного"));
        // every conclusion but the first is offered the other methods
        QVERIFY(!form.conclusions()[0]->findChild<QWidget*>("wgt_ask_formTable")->isVisibleTo(
            form.conclusions()[0]));
        QCOMPARE(offeredMethods(form.conclusions()[1]),
                 QStringList({"ультразвукового", "визуального и измерительного"}));
        QCOMPARE(offeredMethods(form.conclusions()[2]),
                 QStringList({"ультразвукового", "акустико-эмиссионного"}));

        // another method in a row: its conclusion follows, its panels start empty
        methodRows(form)[1]->setCurrentIndex(4);
        QCOMPARE(form.conclusions()[1]->dativeMethod(), QStringLiteral("магнитному"));
        QCOMPARE(form.conclusions()[1]->panels()[0]->method(), QStringLiteral("магнитному"));
        QCOMPARE(offeredMethods(form.conclusions()[2]),
                 QStringList({"ультразвукового", "магнитного"}));

        // removing a row removes the last conclusion; the rest are renumbered after it
        form.slot_addNewStdItem(20, QStringLiteral("После:"), QString());
        QTest::mouseClick(methodsButton(form, "btn_delete"), Qt::LeftButton);
        QCOMPARE(form.conclusions().size(), 2);
        QCOMPARE(qobject_cast<CStdItem*>(form.sections().last())->number(), 17);
        QCOMPARE(offeredMethods(form.conclusions()[1]), QStringList({"ультразвукового"}));
    }

    void resultsTableFormedFromAnotherMethod() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        addMethodRow(form);
        CConclusion* pFirst = form.conclusions()[0];
        CConclusion* pSecond = form.conclusions()[1];
        pFirst->setData(7, 2, {"Шов", "Оценка"}, QStringList(14, QStringLiteral("г")));
        QPushButton* pFill = pSecond->findChild<QPushButton*>("btn_fill");
        QTest::mouseClick(pFill, Qt::LeftButton);
        int iRows, iColumns;
        QStringList lstTitles, lstCells;
        pSecond->getData(iRows, iColumns, lstTitles, lstCells);
        QCOMPARE(iRows, 7);
        QCOMPARE(lstTitles, QStringList({"Шов", "Оценка"}));
        QCOMPARE(lstCells, QStringList(14, QStringLiteral("г")));
        // the copied table moved what stands below it
        QCOMPARE(form.sections().last()->height(), pSecond->height());
        QCOMPARE(form.height(), form.layOutSections());
    }

    void numbersInsideAConclusionAreRefused() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        const int iCount = form.sections().size();
        form.slot_addNewStdItem(12, QStringLiteral("Внутри:"), QString());
        form.slot_addNewStdItem(13, QStringLiteral("Внутри:"), QString());
        QCOMPARE(form.sections().size(), iCount);
        QCOMPARE(dialogs.lstMessages.size(), 2);
        QCOMPARE(dialogs.lstMessages[0].sTitle, QStringLiteral("Добавить пункт"));
        QCOMPARE(dialogs.texts()[0],
                 QStringLiteral("Нельзя вставить новый пункт между результатами контроля и\n"
                                "данными специалиста!"));
        // the conclusion's first number goes before it
        form.slot_addNewStdItem(11, QStringLiteral("Перед:"), QString());
        QCOMPARE(qobject_cast<CStdItem*>(form.sections()[eConclusion])->number(), 11);
        QCOMPARE(form.conclusions()[0]->number(), 12);
        QCOMPARE(form.lastNumber(), 14);
        // deleting it numbers the conclusion from 11 again
        QTest::mouseClick(form.sections()[eConclusion]->findChild<QToolButton*>("btn_deleteItem"),
                          Qt::LeftButton);
        QCOMPARE(form.conclusions()[0]->number(), 11);
        QCOMPARE(form.conclusions()[0]->specialistNumber(), 13);
    }

    void writtenConclusionSwitchKeepsTheNumberingWhole() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        addMethodRow(form);
        form.slot_addNewStdItem(17, QStringLiteral("Примечание:"), QStringLiteral("нет"));
        // the second one's written conclusion off: 11–13, 14–15, then 16
        QTest::mouseClick(form.conclusions()[1]->findChild<QCheckBox*>("cb_reportOn"),
                          Qt::LeftButton);
        QCOMPARE(form.conclusions()[1]->specialistNumber(), 15);
        auto pLast = qobject_cast<CStdItem*>(form.sections().last());
        QCOMPARE(pLast->number(), 16);
        QCOMPARE(form.lastNumber(), 16);
        // the print shows no specialist's number and leaves no gap
        enterChoice(form.sections()[eCustomer], QStringLiteral("ООО Ромашка"));
        const QString sHtml = form.buildProtocolHtml();
        QVERIFY(sHtml.contains(QStringLiteral("<p>11. Результаты ультразвукового контроля.</p>")));
        QVERIFY(sHtml.contains(QStringLiteral("<p>12. Заключение по результатам ультразвукового")));
        QVERIFY(sHtml.contains(QStringLiteral("<p>13. Результаты акустико-эмиссионного контроля.</p>")));
        QVERIFY(sHtml.contains(QStringLiteral("<p>14. Примечание: нет.</p>")));
        QVERIFY(!sHtml.contains(QStringLiteral("<p>15.")));
        // an empty customer lowers everything after it by one more
        QVERIFY(form.buildProtocolHtml().contains(QStringLiteral("<p>10. Приборы и оборудование:")));
    }

    void specialistsReachEveryConclusionAndTheFile() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        addMethodRow(form);
        QTest::mouseClick(form.conclusions()[0]->findChild<QPushButton*>("btn_addTechnician"),
                          Qt::LeftButton);
        saveSpecialist(form.conclusions()[0]->panels()[0], QStringLiteral("Иванов"), "01");
        // the other panel of the same conclusion and the other conclusion offer it
        QCOMPARE(form.conclusions()[0]->panels()[1]->specialists().size(), 1);
        QCOMPARE(form.conclusions()[1]->panels()[0]->specialists().size(), 1);
        QCOMPARE(form.technicians().size(), 1);
        // written at once, before any protocol is saved
        const QByteArray expected =
            CBytes().i32(1).str(QStringLiteral("Иванов")).i32(1).str("01").str("")
                .i32(1).str(sUltrasonicDative).date(QDate(2000, 1, 1)).i16(1).data;
        QCOMPARE(fileBytes(dir.filePath("technicians.hmdb")).toHex(), expected.toHex());
        QVERIFY(dialogs.lstMessages.isEmpty());
        // a file that cannot be written is reported
        QFile::remove(dir.filePath("technicians.hmdb"));
        QVERIFY(QDir(dir.path()).mkdir("technicians.hmdb"));
        saveSpecialist(form.conclusions()[1]->panels()[0], QStringLiteral("Петров"), "02");
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QVERIFY(dialogs.texts()[0].contains(dir.filePath("technicians.hmdb")));
        QCOMPARE(form.conclusions()[0]->specialists().size(), 2);
    }

    void anOldDocumentLosesNoSpecialist() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        const Certificate known{"01", QStringLiteral("НАКС"),
                                {{sUltrasonicDative, QDate(2027, 1, 1), 1}}};
        QVERIFY(CReferenceFiles::saveTechnicians(
            dir.path(), {{QStringLiteral("Иванов"), {known}}, {QStringLiteral("Петров"), {}}}));
        CFusionWidget form(dir.path());
        // a document whose conclusion carries an older list: Ivanov with other
        // data for his certificate and one more certificate, and Sidorov
        QByteArray doc;
        {
            CFusionWidget writer(QDir(dir.path()).filePath("nowhere"));
            Certificate changed = known;
            changed.sIssuedBy = QStringLiteral("другой");
            Certificate extra{"09", QString(), {}};
            QDataStream out(&doc, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_6);
            out << qint16(8) << qint32(1);
            writeRecordList(out, QList<Specialist>({{QStringLiteral("Иванов"), {changed, extra}},
                                                     {QStringLiteral("Сидоров"), {}}}));
            const QByteArray conclusion = [&] {
                QByteArray b;
                QDataStream o(&b, QIODevice::WriteOnly);
                o.setVersion(QDataStream::Qt_4_6);
                writer.conclusions()[0]->writeRecord(o);
                return b;
            }();
            // the new writer's own (empty) list is replaced by the old document's
            out.writeRawData(conclusion.constData() + 4, conclusion.size() - 4);
        }
        QDataStream in(doc);
        QVERIFY(form.readDocument(in));
        const QList<Specialist> lstMerged = form.technicians();
        QCOMPARE(lstMerged.size(), 3);
        QCOMPARE(lstMerged[0].lstCertificates.size(), 2);
        QCOMPARE(lstMerged[0].lstCertificates[0], known); // known data kept
        QCOMPARE(lstMerged[2].sName, QStringLiteral("Сидоров"));
        QCOMPARE(form.conclusions()[0]->panels()[0]->specialists(), lstMerged);
        // a specialist saved now keeps every one the file had
        saveSpecialist(form.conclusions()[0]->panels()[0], QStringLiteral("Новиков"), "05");
        QList<Specialist> lstFile;
        QVERIFY(CReferenceFiles::loadTechnicians(dir.path(), lstFile));
        QCOMPARE(lstFile.size(), 4);
        QCOMPARE(lstFile[1].sName, QStringLiteral("Петров"));
    }
};

QTEST_MAIN(TestMethodConclusions)
#include "tst_methodconclusions.moc"
