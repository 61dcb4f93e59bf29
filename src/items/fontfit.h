#pragma once

class QString;
class QWidget;

// Lowers the point size of pWidget's font, one point at a time and not
// below 7 points, until sText fits into iWidth pixels less a small margin.
// Labels and buttons of a fixed width keep their text readable on systems
// whose fonts run wider than those the form was drawn for.
void shrinkFontToFit(QWidget* pWidget, const QString& sText, int iWidth);
