#pragma once
// The touch message box: the caption inside at the top (a kiosk screen shows no window
// frame), the icon, the wrapped text and finger-sized buttons. Enter gives the default
// button; closing it without a button gives the answer that changes nothing.

#include <QDialog>

#include <cstdint>
#include <utility>
#include <vector>

class QPushButton;

class CTouchMessageBox : public QDialog {
    Q_OBJECT
public:
    CTouchMessageBox(const QString& text, const QString& caption, std::uint32_t boxStyle,
                     QWidget* parent = nullptr);

    // Runs the box modally and returns the IDOK..IDNO result of the button pressed.
    int Ask();
    QString Text() const;
    // The buttons, in the order they are shown.
    std::vector<QPushButton*> Buttons() const;

protected:
    // A frame around the box: without a window manager nothing else sets it off from the
    // sheet of the same colour behind it.
    void paintEvent(QPaintEvent* event) override;

private:
    void addButton(const QString& label, int result);

    std::uint32_t m_style;
    QString m_text;
    std::vector<std::pair<QPushButton*, int>> m_buttons;
    int m_answer = 0;
};
