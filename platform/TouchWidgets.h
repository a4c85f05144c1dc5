#pragma once
// Small factories for finger-sized buttons and edit lines, shared by the platform dialogs.

class QLineEdit;
class QPushButton;
class QString;
class QWidget;

QPushButton* makeTouchButton(const QString& text, QWidget* parent);
QLineEdit* makeTouchEdit(QWidget* parent);
// The style sheet fragment that makes a standard dialog's buttons and menus touch-sized.
QString touchStyleSheet();
