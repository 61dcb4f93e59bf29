#include "composer/fusionwidget.h"
#include "refdata/measuringtool.h"
#include "refdata/widgetspecial.h"
#include "refdata/widgettool.h"
#include "results/conclusion.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QDate dtProtocol(2026, 6, 10);

QDateEdit* validityEdit(QWidget* pPanel) {
    return pPanel->findChild<QDateEdit*>(QStringLiteral("dedt_validity"));
}
QDateEdit* protocolDateEdit(CFusionWidget& form) {
    return form.sections()[eDate]->findChild<QDateEdit*>(QStringLiteral("dedt_date"));
}
void nameSpecialist(CWidgetSpecial* pPanel, const QString& sName, const QString& sNumber,
                    const QDate& dt) {
    typeText(pPanel->findChild<QComboBox*>("cmb_name")->lineEdit(), sName);
    typeText(pPanel->findChild<QComboBox*>("cmb_licenseNum")->lineEdit(), sNumber);
    validityEdit(pPanel)->setDate(dt);
}
void nameTool(CWidgetTool* pPanel, const QString& sName, const QString& sNumber, const QDate& dt) {
    typeText(pPanel->findChild<QComboBox*>("cmb_tools")->lineEdit(), sName);
    typeText(pPanel->findChild<QComboBox*>("cmb_numbers")->lineEdit(), sNumber);
    validityEdit(pPanel)->setDate(dt);
}
QByteArray documentOf(CFusionWidget& form) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    form.writeDocument(out);
    return bytes;
}
} // namespace

class TestValidity : public QObject {
    Q_OBJECT
private slots:
    void marksOnTheBoundaryDays() {
        CWidgetSpecial panel(nullptr, {}, QStringLiteral("ультразвуковому"), eControler, false, 0);
        panel.setProtocolDate(dtProtocol);
        // an unset date is no fault until someone is named
        QCOMPARE(panel.validity(), EValidity::Valid);
        QVERIFY(validityEdit(&panel)->toolTip().isEmpty());
        typeText(panel.findChild<QComboBox*>("cmb_name")->lineEdit(), QStringLiteral("Иванов"));
        QCOMPARE(panel.validity(), EValidity::Missing);
        QCOMPARE(validityEdit(&panel)->toolTip(), QStringLiteral("Срок действия не указан"));

        const struct {
            QDate dt;
            EValidity e;
            QString sTip;
        } cases[] = {
            {dtProtocol.addDays(-1), EValidity::Expired,
             QStringLiteral("Срок действия истек 09.06.2026")},
            {dtProtocol, EValidity::ExpiringSoon,
             QStringLiteral("Срок действия истекает 10.06.2026")},
            {dtProtocol.addDays(30), EValidity::ExpiringSoon,
             QStringLiteral("Срок действия истекает 10.07.2026")},
            {dtProtocol.addDays(31), EValidity::Valid, QString()},
        };
        for (const auto& c : cases) {
            validityEdit(&panel)->setDate(c.dt);
            QCOMPARE(panel.validity(), c.e);
            QCOMPARE(validityEdit(&panel)->toolTip(), c.sTip);
            QCOMPARE(validityEdit(&panel)->palette().color(QPalette::Base) ==
                         panel.palette().color(QPalette::Base),
                     c.e == EValidity::Valid);
        }
        // the same rule for an instrument
        CWidgetTool tool(nullptr, QStringLiteral("a."), {});
        tool.setProtocolDate(dtProtocol);
        nameTool(&tool, QStringLiteral("Толщиномер"), "5", dtProtocol.addDays(-1));
        QCOMPARE(tool.validity(), EValidity::Expired);
        validityEdit(&tool)->setDate(QDate(2000, 1, 1));
        QCOMPARE(tool.validity(), EValidity::Missing);
    }

    void marksFollowTheProtocolDate() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        protocolDateEdit(form)->setDate(dtProtocol);
        CWidgetSpecial* pPanel = form.conclusions()[0]->panels()[0];
        nameSpecialist(pPanel, QStringLiteral("Иванов"), "1", QDate(2026, 6, 20));
        QCOMPARE(pPanel->validity(), EValidity::ExpiringSoon);
        // the protocol date changes, still being typed: the mark follows
        protocolDateEdit(form)->setDate(QDate(2026, 7, 1));
        QCOMPARE(pPanel->validity(), EValidity::Expired);
        protocolDateEdit(form)->setDate(QDate(2026, 1, 1));
        QCOMPARE(pPanel->validity(), EValidity::Valid);
        // panels and conclusions added later judge by the same date
        QTest::mouseClick(form.conclusions()[0]->findChild<QPushButton*>("btn_addTechnician"),
                          Qt::LeftButton);
        CWidgetSpecial* pSecond = form.conclusions()[0]->panels()[1];
        nameSpecialist(pSecond, QStringLiteral("Петров"), "2", QDate(2025, 12, 31));
        QCOMPARE(pSecond->validity(), EValidity::Expired);
        QWidget* pTools = form.sections()[eTools];
        QTest::mouseClick(pTools->findChild<QPushButton*>("btn_addDevice"), Qt::LeftButton);
        auto lstTools = pTools->findChildren<CWidgetTool*>();
        nameTool(lstTools.last(), QStringLiteral("Толщиномер"), "5", QDate(2025, 12, 1));
        QCOMPARE(lstTools.last()->validity(), EValidity::Expired);
    }

    void printAsksFirstAndNoPrintsNothing() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        protocolDateEdit(form)->setDate(dtProtocol);
        form.printer()->setOutputFormat(QPrinter::PdfFormat);
        form.printer()->setOutputFileName(dir.filePath("p.pdf"));
        // nothing expired: printed without a question
        nameSpecialist(form.conclusions()[0]->panels()[0], QStringLiteral("Иванов И.И."),
                       "0001-123", QDate(2027, 5, 1));
        dialogs.lstDialogActions << [](QDialog*) { return int(QDialog::Accepted); };
        form.slot_printReport();
        QVERIFY(dialogs.lstMessages.isEmpty());
        QVERIFY(QFile::exists(dir.filePath("p.pdf")));
        QFile::remove(dir.filePath("p.pdf"));

        validityEdit(form.conclusions()[0]->panels()[0])->setDate(QDate(2026, 5, 1));
        nameTool(form.sections()[eTools]->findChild<CWidgetTool*>(),
                 QStringLiteral("Дефектоскоп УД2-12"), "1234", QDate(2026, 1, 15));
        dialogs.lstAnswers << QMessageBox::No;
        form.slot_printReport();
        QCOMPARE(dialogs.lstMessages.size(), 1);
        QCOMPARE(dialogs.lstMessages[0].eIcon, QMessageBox::Warning);
        QCOMPARE(
            dialogs.texts()[0],
            QStringLiteral("Сроки действия истекли или не указаны:\n"
                           "Специалист Иванов И.И., удостоверение № 0001-123: истекло 01.05.2026\n"
                           "Прибор Дефектоскоп УД2-12 № 1234: свидетельство истекло 15.01.2026\n\n"
                           "Печатать протокол все равно?"));
        QVERIFY(dialogs.lstDialogClasses.size() == 1); // no print dialog after No
        QVERIFY(!QFile::exists(dir.filePath("p.pdf")));
        // the preview asks the same, and the default answer is No
        form.slot_previewReport();
        QCOMPARE(dialogs.lstMessages.size(), 2);
        QCOMPARE(dialogs.lstDialogClasses.size(), 1);
        // the marks reach neither the print nor the document
        const QByteArray marked = documentOf(form);
        const QString sMarked = form.buildProtocolHtml();
        form.conclusions()[0]->setProtocolDate(QDate());
        form.sections()[eTools]->findChild<CWidgetTool*>()->setProtocolDate(QDate());
        QCOMPARE(form.conclusions()[0]->panels()[0]->validity(), EValidity::Valid);
        QCOMPARE(documentOf(form), marked);
        QCOMPARE(form.buildProtocolHtml(), sMarked);
    }
};

QTEST_MAIN(TestValidity)
#include "tst_validity.moc"
