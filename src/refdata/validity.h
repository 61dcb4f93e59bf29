#pragma once

#include "document/validity.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Tones the date editor and gives it the tooltip of the mark.
void showValidity(QWidget* pDateEdit, EValidity eValidity, const QDate& dtValidity);
