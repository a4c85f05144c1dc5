#pragma once
// A pair of finger-sized scroll buttons, 0 up and 1 down, placed beside a list. They ask
// the list to scroll by a line; the list enables and disables them.

#include <QWidget>

class QToolButton;

// Scroll requests.
constexpr int SB_LINEUP = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_TOP = 6;
constexpr int SB_BOTTOM = 7;

// Gives the list the area's full height left of the button, and the button the area's
// right edge, centred vertically and then raised by lift pixels.
void PlaceBesideScrollButton(QWidget* list, QWidget* button, QSize area, int lift);

class CTouchScrollBtn : public QWidget {
    Q_OBJECT
public:
    explicit CTouchScrollBtn(QWidget* parent = nullptr);

    void EnableButton(int index, bool enabled);
    bool IsButtonEnabled(int index) const;
    // Both buttons in one colour.
    void SetColor(const QColor& color);
    // Presses a button as a touch would.
    void Press(int index);

signals:
    void scrollRequested(int request);

private:
    QToolButton* m_buttons[2] = {};
};
