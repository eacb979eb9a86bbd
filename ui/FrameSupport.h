#pragma once
// Small helpers shared by the left-pane frames: the background colours an
// edit box uses to show its state, buttons that keep their caption readable
// in a narrow row, a dialog's OK and Cancel row, pages of a stacked widget,
// and the larger font of page titles.
#include <QColor>
#include <QFont>

class QDialog;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QWidget;

// The colour of a disabled entry box (the colour of button faces).
QColor ButtonFaceColor();
// Colours the background of the box in every state (enabled or not), so the
// colour shows even while the box is disabled.
void SetEditColor(QLineEdit &edit, const QColor &color);
QColor EditColor(const QLineEdit &edit);

// Lets a push button shrink below the style's preferred width, but never so
// far that its caption is cut off.
void FitButtonToCaption(QPushButton &button);

// The OK and Cancel buttons of a settings dialog, right-aligned in a row:
// OK is the default button, Cancel rejects the dialog. OK's handler is the
// caller's, since it closes the dialog only when every field is valid.
QHBoxLayout *NewOkCancelRow(QDialog &dialog, QPushButton *&ok, QPushButton *&cancel);

// A new last page of a stacked widget: an empty widget named `name` with a
// vertical layout without margins or spacing, for the page's frames.
QWidget *NewPage(QStackedWidget &pages, const char *name);

// A bold, somewhat larger form of the given font.
QFont TitleFont(const QFont &base);
