#pragma once

#include <QStringList>

// The nine control methods in the four grammatical forms the protocol uses.
// Entry i of every list names the same method; the index identifies a
// method everywhere.
QStringList methodsNominative();   // choices of the methods selector
QStringList methodsInstrumental(); // the protocol heading
QStringList methodsGenitive();     // conclusion titles, forming results tables
QStringList methodsDative();       // conclusions and specialists
