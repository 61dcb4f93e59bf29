#include "refdata/widgetspecial.h"
#include "support/bytes.h"
#include "support/scripteddialogs.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

namespace {
const QString sUltrasonic = QStringLiteral("ультразвуковому");
const QString sMagnetic = QStringLiteral("магнитному");

// Ivanov holds certificate 0001 for the ultrasonic method (level II, valid
// until 2027-05-01) and certificate 0002 for the magnetic and ultrasonic ones.
QList<Specialist> storedSpecialists() {
    Certificate first{
        QStringLiteral("0001"), QStringLiteral("НАКС"), {{sUltrasonic, QDate(2027, 5, 1), 1}}};
    Certificate second{QStringLiteral("0002"),
                       QStringLiteral("РОНКТД"),
                       {{sMagnetic, QDate(2026, 1, 1), 2}, {sUltrasonic, QDate(2026, 2, 1), 0}}};
    return {Specialist{QStringLiteral("Иванов И.И."), {first, second}},
            Specialist{QStringLiteral("Петров П.П."), {}}};
}

template <typename T> T* child(QWidget* pPanel, const char* pName) {
    return pPanel->findChild<T*>(QString::fromLatin1(pName));
}
QComboBox* nameBox(QWidget* p) {
    return child<QComboBox>(p, "cmb_name");
}
QComboBox* licenseBox(QWidget* p) {
    return child<QComboBox>(p, "cmb_licenseNum");
}
QPushButton* saveButton(QWidget* p) {
    return child<QPushButton>(p, "btn_saveSpec");
}

void click(QWidget* pWidget) {
    QTest::mouseClick(pWidget, Qt::LeftButton);
}
} // namespace

class TestWidgetSpecial : public QObject {
    Q_OBJECT
private slots:
    void newSpecialistIsSavedAndShownStored() {
        CWidgetSpecial panel(nullptr, {}, sUltrasonic, eControlerAndAuthor, true, 13);
        QSignalSpy spy(&panel, &CWidgetSpecial::specListEdited);
        typeText(nameBox(&panel)->lineEdit(), QStringLiteral("Сидоров С.С."));
        QVERIFY(!saveButton(&panel)->isEnabled()); // no certificate number yet
        typeText(licenseBox(&panel)->lineEdit(), QStringLiteral("0007"));
        QVERIFY(saveButton(&panel)->isEnabled());
        child<QDateEdit>(&panel, "dedt_validity")->setDate(QDate(2028, 3, 4));
        child<QComboBox>(&panel, "cmb_qual")->setCurrentIndex(2);
        typeText(child<QLineEdit>(&panel, "edt_certlab"), QStringLiteral("НАКС"));
        click(saveButton(&panel));

        QCOMPARE(spy.size(), 1);
        const Certificate certificate{
            QStringLiteral("0007"), QStringLiteral("НАКС"), {{sUltrasonic, QDate(2028, 3, 4), 2}}};
        QCOMPARE(panel.specialists(),
                 QList<Specialist>({{QStringLiteral("Сидоров С.С."), {certificate}}}));
        QCOMPARE(nameBox(&panel)->currentIndex(), 1);
        QVERIFY(!nameBox(&panel)->isEditable());
        QCOMPARE(licenseBox(&panel)->currentIndex(), 1);
        QVERIFY(!saveButton(&panel)->isEnabled());
        QVERIFY(child<QPushButton>(&panel, "btn_deleteData")->isEnabled());
    }

    void choosingAStoredSpecialistShowsTheCertificateOfTheMethod() {
        CWidgetSpecial panel(nullptr, storedSpecialists(), sMagnetic, eControler, false, 0);
        nameBox(&panel)->setCurrentIndex(1);
        // the first certificate covering the magnetic method is the second one
        QCOMPARE(licenseBox(&panel)->currentText(), QStringLiteral("0002"));
        QCOMPARE(child<QLineEdit>(&panel, "edt_certlab")->text(), QStringLiteral("РОНКТД"));
        QCOMPARE(panel.currentEntry().dtValidity, QDate(2026, 1, 1));
        QCOMPARE(panel.currentEntry().iLevel, 2);
        QVERIFY(!saveButton(&panel)->isEnabled());
        // a specialist whose certificates do not cover the method: blank certificate fields
        nameBox(&panel)->setCurrentIndex(2);
        QCOMPARE(licenseBox(&panel)->currentIndex(), 0);
        QCOMPARE(child<QLineEdit>(&panel, "edt_certlab")->text(), QString());
        QCOMPARE(panel.currentEntry().dtValidity, QDate(2000, 1, 1));
        QCOMPARE(panel.currentEntry().iLevel, 1);
    }

    void savingAStoredCertificate() {
        CScriptedDialogs dialogs;
        CWidgetSpecial panel(nullptr, storedSpecialists(), sMagnetic, eControler, false, 0);
        QSignalSpy spy(&panel, &CWidgetSpecial::specListEdited);
        // a certificate that does not cover the method gains it silently
        nameBox(&panel)->setCurrentIndex(1);
        licenseBox(&panel)->setCurrentIndex(1);
        child<QDateEdit>(&panel, "dedt_validity")->setDate(QDate(2029, 1, 1));
        typeText(child<QLineEdit>(&panel, "edt_certlab"), QStringLiteral("Новый орган"));
        QVERIFY(saveButton(&panel)->isEnabled());
        click(saveButton(&panel));
        QVERIFY(dialogs.lstMessages.isEmpty());
        QCOMPARE(spy.size(), 1);
        const Certificate& first = panel.specialists()[0].lstCertificates[0];
        QCOMPARE(first.sIssuedBy, QStringLiteral("Новый орган"));
        QCOMPARE(first.lstMethods.last(), CertificateMethod({sMagnetic, QDate(2029, 1, 1), 1}));
        QVERIFY(!saveButton(&panel)->isEnabled());

        // a changed date of a covered method asks first; No changes nothing
        child<QDateEdit>(&panel, "dedt_validity")->setDate(QDate(2030, 6, 1));
        QVERIFY(saveButton(&panel)->isEnabled());
        const QList<Specialist> lstBefore = panel.specialists();
        dialogs.lstAnswers << QMessageBox::No;
        click(saveButton(&panel));
        QCOMPARE(dialogs.lstMessages.last().sTitle,
                 QStringLiteral("Редактирование данных специалиста"));
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("В существующей базе данных присутствует специалист Иванов И.И. с "
                                "удостоверением № 0001,\nпо методу контроля \"магнитному\"!\n"
                                "Желаете переписать его данные?"));
        QCOMPARE(panel.specialists(), lstBefore);
        QCOMPARE(spy.size(), 1);
        dialogs.lstAnswers << QMessageBox::Yes;
        click(saveButton(&panel));
        QCOMPARE(panel.specialists()[0].lstCertificates[0].lstMethods.last().dtValidity,
                 QDate(2030, 6, 1));
        QCOMPARE(spy.size(), 2);

        // a new certificate number of a stored specialist is appended to it
        licenseBox(&panel)->setCurrentIndex(0);
        typeText(licenseBox(&panel)->lineEdit(), QStringLiteral("0003"));
        click(saveButton(&panel));
        QCOMPARE(panel.specialists()[0].lstCertificates.size(), 3);
        QCOMPARE(licenseBox(&panel)->currentIndex(), 3);
        QCOMPARE(spy.size(), 3);
    }

    void deletingThroughTheSmallDialog() {
        CScriptedDialogs dialogs;
        CWidgetSpecial panel(nullptr, storedSpecialists(), sUltrasonic, eControler, false, 0);
        QSignalSpy spy(&panel, &CWidgetSpecial::specListEdited);
        nameBox(&panel)->setCurrentIndex(1);
        licenseBox(&panel)->setCurrentIndex(2); // covers two methods
        click(child<QPushButton>(&panel, "btn_deleteData"));
        CAskDeleteSD* pAsk = panel.deleteDialog();
        QVERIFY(pAsk && pAsk->isVisible() && !pAsk->parent());
        QCOMPARE(pAsk->windowTitle(), QStringLiteral("Удаление информации о специалисте"));
        QVERIFY(child<QRadioButton>(pAsk, "rb_delData")->isChecked());
        QPointer<CAskDeleteSD> pGone = pAsk;
        click(child<QPushButton>(pAsk, "btn_delete"));
        QVERIFY(!panel.deleteDialog());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!pGone);
        // the whole certificate went, with both of its methods; the panel is empty
        QCOMPARE(spy.size(), 1);
        QCOMPARE(panel.specialists()[0].lstCertificates.size(), 1);
        QCOMPARE(nameBox(&panel)->currentIndex(), 0);
        QCOMPARE(nameBox(&panel)->currentText(), QString());

        // a certificate of another method asks; No leaves everything
        CWidgetSpecial other(nullptr, storedSpecialists(), sMagnetic, eControler, false, 0);
        QSignalSpy otherSpy(&other, &CWidgetSpecial::specListEdited);
        nameBox(&other)->setCurrentIndex(1);
        licenseBox(&other)->setCurrentIndex(1); // 0001 covers only the ultrasonic method
        click(child<QPushButton>(&other, "btn_deleteData"));
        dialogs.lstAnswers << QMessageBox::No;
        click(child<QPushButton>(other.deleteDialog(), "btn_delete"));
        QCOMPARE(dialogs.lstMessages.last().sTitle, QStringLiteral("Удаление данных специалиста"));
        QCOMPARE(other.specialists(), storedSpecialists());
        QCOMPARE(other.currentEntry().sLicenseNum, QStringLiteral("0001"));
        QCOMPARE(otherSpy.size(), 0);

        // "Всю информацию о специалисте" removes the specialist
        click(child<QPushButton>(&other, "btn_deleteData"));
        child<QRadioButton>(other.deleteDialog(), "rb_delSpec")->setChecked(true);
        click(child<QPushButton>(other.deleteDialog(), "btn_delete"));
        QCOMPARE(other.specialists().size(), 1);
        QCOMPARE(other.specialists()[0].sName, QStringLiteral("Петров П.П."));
        QCOMPARE(nameBox(&other)->count(), 2);

        // "Отмена" only closes; a dialog still open closes with its panel
        auto pPanel =
            new CWidgetSpecial(nullptr, storedSpecialists(), sMagnetic, eControler, false, 0);
        nameBox(pPanel)->setCurrentIndex(1);
        click(child<QPushButton>(pPanel, "btn_deleteData"));
        click(child<QPushButton>(pPanel->deleteDialog(), "btn_escape"));
        QVERIFY(!pPanel->deleteDialog()->isVisible());
        click(child<QPushButton>(pPanel, "btn_deleteData"));
        QPointer<CAskDeleteSD> pOpen = pPanel->deleteDialog();
        delete pPanel;
        QVERIFY(!pOpen);
    }

    void rolesFollowTheBoxes() {
        CWidgetSpecial locked(nullptr, {}, sUltrasonic, eControlerAndAuthor, true, 0);
        QVERIFY(!child<QCheckBox>(&locked, "chb_controler")->isEnabled());
        QVERIFY(child<QCheckBox>(&locked, "chb_controler")->isChecked());
        QVERIFY(child<QCheckBox>(&locked, "chb_author")->isChecked());

        CWidgetSpecial panel(nullptr, {}, sUltrasonic, eControler, false, 0);
        QSignalSpy spy(&panel, &CWidgetSpecial::specPositionChanged);
        // unticking the only role ticked passes to the other one
        click(child<QCheckBox>(&panel, "chb_controler"));
        QCOMPARE(panel.role(), eAuthor);
        QVERIFY(child<QCheckBox>(&panel, "chb_author")->isChecked());
        click(child<QCheckBox>(&panel, "chb_controler"));
        QCOMPARE(panel.role(), eControlerAndAuthor);
        // the head excludes the other two, and another role replaces the head
        click(child<QCheckBox>(&panel, "chb_boss"));
        QCOMPARE(panel.role(), eBoss);
        QVERIFY(!child<QCheckBox>(&panel, "chb_controler")->isChecked());
        QVERIFY(!child<QCheckBox>(&panel, "chb_author")->isChecked());
        click(child<QCheckBox>(&panel, "chb_author"));
        QCOMPARE(panel.role(), eAuthor);
        click(child<QCheckBox>(&panel, "chb_author"));
        QCOMPARE(panel.role(), eControler);
        QCOMPARE(spy.size(), 5);
        QCOMPARE(spy.at(2).at(1).value<ERankState>(), eBoss);
    }

    void printAndRecord() {
        CWidgetSpecial panel(nullptr, {}, sUltrasonic, eControler, false, 14);
        typeText(nameBox(&panel)->lineEdit(), QStringLiteral("Кузнецов <К.К.>"));
        typeText(licenseBox(&panel)->lineEdit(), QStringLiteral("12&3"));
        child<QComboBox>(&panel, "cmb_qual")->setCurrentIndex(2);
        // a validity before 2002 counts as never given
        child<QDateEdit>(&panel, "dedt_validity")->setDate(QDate(2001, 6, 30));
        typeText(child<QLineEdit>(&panel, "edt_certlab"), QStringLiteral("НАКС"));
        QCOMPARE(panel.toHtml(),
                 QStringLiteral("<p><b>Провел контроль:</b></p>\n"
                                "<p>Специалист 3 уровня НК, удостоверение №12&amp;3, выданное "
                                "НАКС, действительно до 01.01.2000</p>\n"
                                "<p>____________________Кузнецов &lt;К.К.&gt;</p>\n"));
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_6);
        panel.writeRecord(out);
        const QByteArray expected = CBytes()
                                        .i32(14)
                                        .i16(1)
                                        .u8(0)
                                        .str(QStringLiteral("Кузнецов <К.К.>"))
                                        .str("12&3")
                                        .str(sUltrasonic)
                                        .date(QDate(2000, 1, 1))
                                        .i16(2)
                                        .str(QStringLiteral("НАКС"))
                                        .data;
        QCOMPARE(bytes.toHex(), expected.toHex());

        // read into a panel that offers the specialist: chosen, with the record's data
        CWidgetSpecial read(nullptr, storedSpecialists(), QString(), eControlerAndAuthor, true, 0);
        QDataStream in(CBytes()
                           .i32(15)
                           .i16(4)
                           .u8(1)
                           .str(QStringLiteral("Иванов И.И."))
                           .str("0001")
                           .str(sUltrasonic)
                           .date(QDate(2027, 5, 1))
                           .i16(1)
                           .str("НАКС")
                           .data);
        in.setVersion(QDataStream::Qt_4_6);
        CWidgetSpecial::Record record;
        QVERIFY(CWidgetSpecial::readRecord(in, record));
        read.applyRecord(record);
        QCOMPARE(read.role(), eBoss);
        QVERIFY(read.isRoleLocked());
        QCOMPARE(read.number(), 15);
        QCOMPARE(nameBox(&read)->currentIndex(), 1);
        QCOMPARE(licenseBox(&read)->currentIndex(), 1);
        QVERIFY(!saveButton(&read)->isEnabled());

        // a role outside the four, or a level outside I to III, is damage
        for (const QByteArray& damaged : {CBytes()
                                              .i32(1)
                                              .i16(0)
                                              .u8(0)
                                              .str("")
                                              .str("")
                                              .str("")
                                              .date(QDate(2000, 1, 1))
                                              .i16(1)
                                              .str("")
                                              .data,
                                          CBytes()
                                              .i32(1)
                                              .i16(5)
                                              .u8(0)
                                              .str("")
                                              .str("")
                                              .str("")
                                              .date(QDate(2000, 1, 1))
                                              .i16(1)
                                              .str("")
                                              .data,
                                          CBytes()
                                              .i32(1)
                                              .i16(1)
                                              .u8(0)
                                              .str("")
                                              .str("")
                                              .str("")
                                              .date(QDate(2000, 1, 1))
                                              .i16(3)
                                              .str("")
                                              .data}) {
            QDataStream bad(damaged);
            bad.setVersion(QDataStream::Qt_4_6);
            QVERIFY(!CWidgetSpecial::readRecord(bad, record));
            QCOMPARE(bad.status(), QDataStream::ReadCorruptData);
        }
    }

    void theWheelChangesNothing() {
        CWidgetSpecial panel(nullptr, storedSpecialists(), sUltrasonic, eControler, false, 0);
        QComboBox* pLevel = child<QComboBox>(&panel, "cmb_qual");
        QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pLevel, &wheel);
        QApplication::sendEvent(nameBox(&panel), &wheel);
        QCOMPARE(pLevel->currentIndex(), 1);
        QCOMPARE(nameBox(&panel)->currentIndex(), 0);
    }
};

QTEST_MAIN(TestWidgetSpecial)
#include "tst_widgetspecial.moc"
