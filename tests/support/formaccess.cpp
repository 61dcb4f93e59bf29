#include "support/formaccess.h"

#include "storage/referencelists.h"

#include "composer/fusionwidget.h"
#include "items/reportitemwidget.h"
#include "results/conclusion.h"
#include "support/typing.h"

#include <QToolButton>
#include <QtTest>

void click(QWidget* pWidget) {
    QTest::mouseClick(pWidget, Qt::LeftButton);
}

QLineEdit* valueEdit(QWidget* pSection) {
    return child<QLineEdit>(pSection, "edt_value");
}

QComboBox* choiceBox(QWidget* pSection) {
    if (auto pBox = child<QComboBox>(pSection, "cmb_values"))
        return pBox;
    // a list section: its last sub-item
    const auto lstBoxes = pSection->findChildren<QComboBox*>(Qt::FindDirectChildrenOnly);
    return lstBoxes.isEmpty() ? nullptr : lstBoxes.last();
}

void enterChoice(QWidget* pSection, const QString& sText) {
    QComboBox* pBox = choiceBox(pSection);
    pBox->setCurrentIndex(0);
    pBox->lineEdit()->clear();
    typeText(pBox->lineEdit(), sText);
    QTest::keyClick(pBox->lineEdit(), Qt::Key_Return);
}

void enterValue(QWidget* pSection, const QString& sText) {
    QLineEdit* pEdit = valueEdit(pSection);
    pEdit->clear();
    typeText(pEdit, sText);
    QTest::keyClick(pEdit, Qt::Key_Return);
}

QList<int> numbersFrom(const CFusionWidget& form, int iFirst) {
    QList<int> lst;
    for (int i = iFirst; i < form.sections().size(); ++i) {
        if (auto pItem = qobject_cast<CReportItemWidget*>(form.sections()[i]))
            lst.append(pItem->number());
        else if (auto pConclusion = qobject_cast<CConclusion*>(form.sections()[i]))
            lst.append(pConclusion->number());
    }
    return lst;
}

void addMethodRow(CFusionWidget& form) {
    click(child<QToolButton>(form.sections()[eMethods], "btn_add"));
}

QByteArray documentOf(CFusionWidget& form) {
    return protocolBytes(form.document());
}

bool readInto(CFusionWidget& form, const QByteArray& bytes) {
    const SProtocolRead read = readProtocol(bytes);
    form.setDocument(read.document);
    form.lists().learn(read.document, true); // as opening a file does
    return read.bSound;
}
