#pragma once

class QWidget;

// Lowers the point size of pWidget's font, one point at a time and not
// below 7 points, while its text does not fit its width. Labels and buttons
// of a fixed width keep their text readable on systems whose fonts run
// wider than those the form was drawn for; their geometry stays as it is.
void shrinkFontToFit(QWidget* pWidget);
// For a text that changes: the font is first set back to iPoints points
// (to the parent's font when 0), then shrunk to fit the new text.
void fitFontToText(QWidget* pWidget, int iPoints = 0);

// Gives pWidget the font of pModel, unless it shows that font already: a
// font set on a combo box builds its drop-down list there and then.
void matchFont(QWidget* pWidget, const QWidget* pModel);
