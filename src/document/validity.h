#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

struct ProtocolDocument;
struct SpecialistEntry;
struct ToolEntry;

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

// A validity before 2002 was never really entered: it counts as the unset
// date 2000-01-01.
QDate normalisedValidity(const QDate& dt);

// The line of the question naming an expired or missing validity of a
// specialist or an instrument; empty when there is none.
QString specialistProblem(const SpecialistEntry& entry, const QDate& dtProtocol);
QString toolProblem(const ToolEntry& entry, const QDate& dtProtocol);

// The lines of the question before a print: for every conclusion, that no
// specialist is chosen or the problem of each of its specialists; then the
// problem of each instrument. Judged by the protocol's date.
QStringList validityProblems(const ProtocolDocument& doc);

// The lines of the question on what is left unfilled: for every
// conclusion, a results table without one filled row, and a written
// conclusion switched on but left empty.
QStringList completenessProblems(const ProtocolDocument& doc);
