#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

class CFusionWidget;

// Indices of the sections of a new protocol form.
// clang-format off
enum ESectionIndex {
    eBar, eHeader, eSeparator, eNumber, eDate, eMethods, eControlDates, eCustomer, eAddress,
    eReason, eObjectName, eObject, eStage, eStandards, eAssessment, eTools, eConclusion
};
// clang-format on

// A child widget by object name.
template <typename T = QWidget> T* child(const QObject* pParent, const char* pName) {
    return pParent->findChild<T*>(QString::fromLatin1(pName));
}
// A left click in the middle of the widget, as the user gives it.
void click(QWidget* pWidget);
// The value editor of a name/value section.
QLineEdit* valueEdit(QWidget* pSection);
// The combo box of a list-choice section, or the last one of a list section.
QComboBox* choiceBox(QWidget* pSection);
// Types sText into the choice box's blank entry and presses Enter.
void enterChoice(QWidget* pSection, const QString& sText);
// Types sText into a name/value section's editor and presses Enter.
void enterValue(QWidget* pSection, const QString& sText);
// The numbers shown by the sections from index 6 on (a conclusion's first).
QList<int> numbersFrom(const CFusionWidget& form, int iFirst = 6);
// Adds a row to the methods of the form with its "+".
void addMethodRow(CFusionWidget& form);
// The form's document, and the form reading one.
QByteArray documentOf(CFusionWidget& form);
bool readInto(CFusionWidget& form, const QByteArray& bytes);
