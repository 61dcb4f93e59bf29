#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Whether a certificate or verification is valid on the protocol's date. A
// protocol signed on an expired certificate, or made with an instrument
// whose verification has expired, has to be withdrawn, so the panels mark
// such dates and the print asks first.
enum class EValidity {
    Valid,
    ExpiringSoon, // valid on the protocol date, but for at most iExpiringDays more
    Expired,      // ended before the protocol date
    Missing,      // not given although the panel names someone or something
};

// How many days after the protocol date a validity counts as ending soon.
constexpr int iExpiringDays = 30;

// dtValidity is the panel's (unset: 2000-01-01); bNamed tells whether the
// panel names a specialist or an instrument, without which an unset date
// is no fault.
EValidity validityAt(const QDate& dtValidity, const QDate& dtProtocol, bool bNamed);

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
