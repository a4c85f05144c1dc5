#pragma once
// The on-screen keyboard and keypad: an edit line above a grid of large keys, with OK
// and Cancel. A physical keyboard works in the edit line as well.

#include <QDialog>

class QLineEdit;

class TouchEntryDialog : public QDialog {
    Q_OBJECT
public:
    enum class Layout { Keyboard, Keypad };

    TouchEntryDialog(Layout layout, const QString& title, const QString& text,
                     QWidget* parent = nullptr);

    QString text() const;
    // Masks the text, for a password: it is never shown or offered to input methods in clear.
    void HideText();

private:
    void addKeys(Layout layout);
    void press(const QString& key);

    QLineEdit* m_edit = nullptr;
    bool m_shift = false;
};
