#pragma once

class QWidget;

// Gives a control of fixed size a smaller font, from its current point size
// down to 8 points, while its text does not fit its width. The sizes of the
// forms are laid out for narrow fonts; on a desktop with a wider font the
// caption would otherwise be cut off.
void fitTextToWidth(QWidget* pWidget);
