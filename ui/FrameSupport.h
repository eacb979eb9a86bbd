#pragma once
// Small helpers shared by the left-pane frames: the background colours an
// edit box uses to show its state, buttons that keep their caption readable
// in a narrow row, and the larger font of page titles.
#include <QColor>
#include <QFont>

class QLineEdit;
class QPushButton;

// The colour of a disabled entry box (the colour of button faces).
QColor ButtonFaceColor();
// Colours the background of the box in every state (enabled or not), so the
// colour shows even while the box is disabled.
void SetEditColor(QLineEdit &edit, const QColor &color);
QColor EditColor(const QLineEdit &edit);

// Lets a push button shrink below the style's preferred width, but never so
// far that its caption is cut off.
void FitButtonToCaption(QPushButton &button);

// A bold, somewhat larger form of the given font.
QFont TitleFont(const QFont &base);
