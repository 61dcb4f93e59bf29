#pragma once

#include "document/validity.h" // normalisedValidity

#include <QDate>
#include <QStringList>

class QComboBox;

// What the specialist and instrument panels share in reading and offering
// their entries.

// Makes a box take typed text or not (a stored entry chosen shows
// read-only); a box that takes text compares typed texts with its entries
// exactly, case included, as every list of the program does (Qt's completer
// would match regardless of case on Enter and on leaving).
void setBoxEditable(QComboBox* pBox, bool bEditable);
bool isBoxEditable(const QComboBox* pBox);

// Fills a box with its blank first entry (a new text typed by the user)
// followed by the texts; the blank entry becomes current.
void refillWithBlank(QComboBox* pBox, const QStringList& lstTexts);
