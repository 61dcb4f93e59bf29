#pragma once

#include "document/validity.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The problem lines (validityProblem()) of panels, in order, those without
// one left out.
template <typename TPanel> QStringList validityProblemsOf(const QList<TPanel*>& lstPanels) {
    QStringList lst;
    for (const TPanel* pPanel : lstPanels) {
        const QString sProblem = pPanel->validityProblem();
        if (!sProblem.isEmpty())
            lst.append(sProblem);
    }
    return lst;
}

// Tones the date editor and gives it the tooltip of the mark.
void showValidity(QWidget* pDateEdit, EValidity eValidity, const QDate& dtValidity);
