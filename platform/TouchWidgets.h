#pragma once
// Small factories for finger-sized buttons and edit lines, shared by the platform dialogs.

#include <functional>

class QAbstractScrollArea;
class QDialog;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QString;
class QWidget;

QPushButton* makeTouchButton(const QString& text, QWidget* parent);
QLineEdit* makeTouchEdit(QWidget* parent);
// Masks an edit line for a password: never shown, nor offered to input methods, in clear.
void maskAsSecret(QLineEdit* edit);
// A field filled only through the on-screen keyboard or keypad: it takes no typing or focus
// of its own, and a touch on it (while it is enabled) calls onTouch, which opens the entry.
QLineEdit* makeKeyboardField(QWidget* parent, std::function<void()> onTouch);
// A touch on the widget (when the finger lifts) calls onTouch; it takes typing and focus
// as before, so a physical keyboard still works in an edit line.
void openOnTouch(QWidget* widget, std::function<void()> onTouch);
// A transparent area that calls onTouch when touched: it widens the reach of a control
// whose own size is fixed to what a finger can hit.
QWidget* makeTouchArea(QWidget* parent, std::function<void()> onTouch);
// OK (the default button) and Cancel at the right, accepting or rejecting the dialog.
QHBoxLayout* makeOkCancelRow(QDialog* dialog);
// A note in small, wrapped text that tells what a dialog cannot show or do; hidden until
// showNote gives it something to say.
QLabel* makeNoteLabel(QWidget* parent, const QString& objectName);
// Gives the note its text and shows it, or hides it when the text is empty.
void showNote(QLabel* note, const QString& text);
// Gives the area a vertical scroll bar wide enough for a finger to drag.
void makeScrollBarWide(QAbstractScrollArea* area);
// A heading that shows the window's title inside it, and follows it when the title
// changes: a touch screen without a window manager shows no title bars. Named "Caption".
QLabel* makeCaptionHeading(QWidget* window);
// The style of the headings inside windows: light text on the selection colour.
QString headingStyleSheet();
// Gives the widget the program's background colour.
void applyTouchBackground(QWidget* widget);
// The style sheet fragment that makes a standard dialog's buttons and menus touch-sized.
QString touchStyleSheet();
