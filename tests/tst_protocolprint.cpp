#include "composer/fusionwidget.h"
#include "items/stdcomboitem.h"
#include "support/formaccess.h"
#include "support/scripteddialogs.h"

#include <QFile>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
// Adds method rows until there are n and chooses the vocabulary indices given.
void chooseMethods(CFusionWidget& form, const QList<int>& lstMethods) {
    QWidget* pMethods = form.sections()[eMethods];
    auto pAdd = pMethods->findChild<QToolButton*>("btn_add");
    while (pMethods->findChildren<QComboBox*>(Qt::FindDirectChildrenOnly).size() <
           lstMethods.size())
        QTest::mouseClick(pAdd, Qt::LeftButton);
    const auto lstRows = pMethods->findChildren<QComboBox*>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < lstMethods.size(); ++i)
        lstRows[i]->setCurrentIndex(lstMethods[i]);
}

QString headingText(CFusionWidget& form) {
    QString s = form.protocolHeading();
    s.remove(QStringLiteral("<H4 ALIGN=\"CENTER\">"));
    s.remove(QStringLiteral("<BR></H4>\n"));
    return s;
}
} // namespace

class TestProtocolPrint : public QObject {
    Q_OBJECT
private slots:
    void headingNamesTheMethods() {
        QTemporaryDir dir;
        CFusionWidget form(dir.path());
        const QString sToday = QDate::currentDate().toString("dd.MM.yyyy");
        // an empty protocol number gives "№" directly followed by " от"
        QCOMPARE(form.protocolHeading(),
                 QStringLiteral("<H4 ALIGN=\"CENTER\">Протокол по проведению контроля "
                                "ультразвуковым методом № от %1 г.<BR></H4>\n").arg(sToday));
        // the number is read from the editor, committed or not; typed text is no placeholder
        valueEdit(form.sections()[eNumber])->setText(QStringLiteral("%3<"));
        chooseMethods(form, {0, 2});
        QCOMPARE(headingText(form), QStringLiteral("Протокол по проведению контроля ультразвуковым "
                                                   "и визуальным и измерительным методами №%3&lt; от %1 г.")
                                        .arg(sToday));
        chooseMethods(form, {0, 4, 7});
        QVERIFY(headingText(form).contains(
            QStringLiteral("ультразвуковым, магнитным и тепловым методами")));
    }

    void emptyCustomerShiftsTheNumbers() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        QString sHtml = form.buildProtocolHtml();
        // no customer, no protocol number item; the items after the customer print one lower
        QVERIFY(!sHtml.contains(QStringLiteral("Заказчик:")) && !sHtml.contains(QStringLiteral("Номер протокола")));
        QVERIFY(sHtml.contains(QStringLiteral("<p>2. Адрес проведения контроля: .</p>\n")));
        enterChoice(form.sections()[eCustomer], QStringLiteral("ООО \"Ромашка\" & Ко"));
        sHtml = form.buildProtocolHtml();
        QVERIFY(sHtml.contains(QStringLiteral("<p>2. Заказчик: ООО &quot;Ромашка&quot; &amp; Ко.</p>\n"
                                              "<p>3. Адрес проведения контроля: .</p>\n")));
        QVERIFY(sHtml.startsWith(QStringLiteral("<H2 ALIGN = \"CENTER\";\"><b></b></H2>")));
    }

    void printsToPdfAndPreviews() {
        QTemporaryDir dir;
        CScriptedDialogs dialogs;
        CFusionWidget form(dir.path());
        QCOMPARE(form.printer()->pageLayout().orientation(), QPageLayout::Landscape);
        enterValue(form.sections()[eStage], QStringLiteral("эксплуатация"));
        // a cancelled print dialog prints nothing
        const QString sPdf = dir.filePath("protocol.pdf");
        form.printer()->setOutputFormat(QPrinter::PdfFormat);
        form.printer()->setOutputFileName(sPdf);
        form.slot_printReport();
        QCOMPARE(dialogs.lstDialogClasses, QStringList({"QPrintDialog"}));
        QVERIFY(!QFile::exists(sPdf));
        dialogs.lstDialogActions << [](QDialog*) { return int(QDialog::Accepted); };
        form.slot_printReport();
        QFile pdf(sPdf);
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");

        int iPages = 0;
        dialogs.lstDialogActions << [&iPages](QDialog* pDialog) {
            auto pPreview = pDialog->findChild<QPrintPreviewWidget*>();
            pPreview->updatePreview();
            iPages = pPreview->pageCount();
            return int(QDialog::Accepted);
        };
        form.printer()->setOutputFormat(QPrinter::NativeFormat);
        form.slot_previewReport();
        QCOMPARE(dialogs.lstDialogClasses.last(), QStringLiteral("QPrintPreviewDialog"));
        QVERIFY(iPages >= 1);
    }
};

QTEST_MAIN(TestProtocolPrint)
#include "tst_protocolprint.moc"
