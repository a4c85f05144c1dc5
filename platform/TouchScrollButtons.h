#pragma once
// A pair of finger-sized scroll buttons, 0 up and 1 down, placed beside a list, with a
// position indicator between them. They ask the list to scroll by a line, again and again
// ever faster while held; the list enables and disables them and tells where it stands.

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

// A bar that shows which part of a list its rows show: the whole bar when all of it fits.
class CScrollPositionBar : public QWidget {
    Q_OBJECT
public:
    explicit CScrollPositionBar(QWidget* parent = nullptr);
    void SetPosition(int first, int shown, int total);
    // The shown part as fractions of the list, from 0 to 1.
    double ShownFrom() const { return m_from; }
    double ShownTo() const { return m_to; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_from = 0.0;
    double m_to = 1.0;
};

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
    // Where the list stands: the index of its top row's item among total items, shown rows.
    void SetPosition(int first, int shown, int total);
    const CScrollPositionBar* PositionBar() const { return m_position; }

signals:
    void scrollRequested(int request);

private:
    QToolButton* m_buttons[2] = {};
    // Whether the button's press has repeated.
    bool m_repeated[2] = {};
    CScrollPositionBar* m_position = nullptr;
};
