#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

class CFusionWidget;

// Indices of the sections of a new protocol form.
enum ESectionIndex {
    eBar, eHeader, eSeparator, eNumber, eDate, eMethods, eControlDates, eCustomer, eAddress,
    eReason, eObjectName, eObject, eStage, eStandards, eAssessment, eTools, eConclusion
};

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
