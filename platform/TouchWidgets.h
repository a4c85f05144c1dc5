#pragma once
// Small factories for finger-sized buttons and edit lines, shared by the platform dialogs.

class QDialog;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QString;
class QWidget;

QPushButton* makeTouchButton(const QString& text, QWidget* parent);
QLineEdit* makeTouchEdit(QWidget* parent);
// OK (the default button) and Cancel at the right, accepting or rejecting the dialog.
QHBoxLayout* makeOkCancelRow(QDialog* dialog);
// Gives the widget the program's background colour.
void applyTouchBackground(QWidget* widget);
// The style sheet fragment that makes a standard dialog's buttons and menus touch-sized.
QString touchStyleSheet();
