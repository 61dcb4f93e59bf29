#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

class CFusionWidget;

// Indices of the sections of a new protocol form.
enum ESectionIndex {
    eBar = 0,
    eHeader = 1,
    eSeparator = 2,
    eNumber = 3,
    eDate = 4,
    eMethods = 5,
    eControlDates = 6,
    eCustomer = 7,
    eAddress = 8,
    eReason = 9,
    eObjectName = 10,
    eObject = 11,
    eStage = 12,
    eStandards = 13,
    eAssessment = 14,
};

// The value editor of a name/value section.
QLineEdit* valueEdit(QWidget* pSection);
// The combo box of a list-choice section, or the last one of a list section.
QComboBox* choiceBox(QWidget* pSection);
// Types sText into the choice box's blank entry and presses Enter.
void enterChoice(QWidget* pSection, const QString& sText);
// Types sText into a name/value section's editor and presses Enter.
void enterValue(QWidget* pSection, const QString& sText);
// The numbers shown by the sections from index 6 on.
QList<int> numbersFrom(const CFusionWidget& form, int iFirst = 6);
