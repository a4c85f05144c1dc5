#pragma once
// The on-screen keyboard and keypad: an edit line above a grid of large keys, with OK
// and Cancel. The keyboard has a letters layer (Shift gives capitals) and a symbols layer,
// so that every printable character can be typed by touch. A physical keyboard works in
// the edit line as well.

#include <QDialog>

#include <vector>

class QLineEdit;
class QPushButton;
class QStackedWidget;

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
    QWidget* addKeyLayer(const QStringList& rows);
    void addControlKeys(Layout layout);
    QPushButton* addKey(const QString& label, QWidget* parent);
    void press(const QString& key);
    void setShift(bool on);
    void switchLayer();

    QLineEdit* m_edit = nullptr;
    QStackedWidget* m_layers = nullptr;
    QPushButton* m_shiftKey = nullptr;
    QPushButton* m_layerKey = nullptr;
    std::vector<QPushButton*> m_letterKeys;
    bool m_shift = false;
};
