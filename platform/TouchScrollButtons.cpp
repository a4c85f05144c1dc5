#include "TouchScrollButtons.h"

#include "platform/Metrics.h"

#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Held down, a button repeats after a pause, then ever faster down to a row per 40 ms.
constexpr int kRepeatDelayMs = 400;
constexpr int kFirstRepeatIntervalMs = 150;
constexpr int kFastestRepeatIntervalMs = 40;

} // namespace

CScrollPositionBar::CScrollPositionBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ScrollPosition"));
    setMinimumHeight(8);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CScrollPositionBar::SetPosition(int first, int shown, int total) {
    double from = 0.0;
    double to = 1.0;
    if (total > 0 && shown < total) {
        from = std::clamp(static_cast<double>(first) / total, 0.0, 1.0);
        to = std::clamp(static_cast<double>(first + std::max(shown, 0)) / total, from, 1.0);
    }
    if (from != m_from || to != m_to) {
        m_from = from;
        m_to = to;
        update();
    }
}

void CScrollPositionBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int barWidth = 12;
    const QRect track((width() - barWidth) / 2, 2, barWidth, std::max(0, height() - 4));
    painter.fillRect(track, FrmwkGetColor(COLOR_SCROLL_BUTTON).lighter(150));
    // The part in view is never thinner than an eye can find; at the end it stays inside.
    const int least = std::min(6, track.height());
    const int bottom = track.top() + static_cast<int>(m_to * track.height());
    const int top = std::min(track.top() + static_cast<int>(m_from * track.height()),
                             track.top() + track.height() - least);
    painter.fillRect(QRect(track.left(), top, barWidth, std::max(least, bottom - top)),
                     FrmwkGetColor(COLOR_SCROLL_BUTTON));
}

CTouchScrollBtn::CTouchScrollBtn(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const QString arrows[2] = {QStringLiteral("\u25B2"), QStringLiteral("\u25BC")};
    const QString names[2] = {QStringLiteral("ScrollUp"), QStringLiteral("ScrollDown")};
    const int side = FrmwkGetMetrics(METRIC_SCROLL_BUTTON_WIDTH);
    m_position = new CScrollPositionBar(this);
    for (int i = 0; i < 2; ++i) {
        QToolButton* button = new QToolButton(this);
        m_buttons[i] = button;
        button->setObjectName(names[i]);
        button->setText(arrows[i]);
        button->setAutoRepeat(true);
        button->setAutoRepeatDelay(kRepeatDelayMs);
        button->setAutoRepeatInterval(kFirstRepeatIntervalMs);
        button->setMinimumSize(side, side);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        // A repeat clicks while the button is still down: each one comes sooner. The click
        // of the lift after repeats is no further step: the list stops where the finger let go.
        connect(button, &QToolButton::clicked, this, [this, button, i] {
            if (button->isDown()) {
                m_repeated[i] = true;
                button->setAutoRepeatInterval(
                    std::max(kFastestRepeatIntervalMs, button->autoRepeatInterval() * 3 / 4));
            } else if (m_repeated[i]) {
                return;
            }
            emit scrollRequested(i == 0 ? SB_LINEUP : SB_LINEDOWN);
        });
        connect(button, &QToolButton::pressed, this, [this, button, i] {
            if (!m_repeated[i])
                button->setAutoRepeatInterval(kFirstRepeatIntervalMs);
        });
        connect(button, &QToolButton::released, this, [this, button, i] {
            if (!button->isDown())
                QMetaObject::invokeMethod(
                    this, [this, i] { m_repeated[i] = false; }, Qt::QueuedConnection);
        });
    }
    column->addWidget(m_buttons[0]);
    column->addWidget(m_position, 1);
    column->addWidget(m_buttons[1]);
    SetColor(FrmwkGetColor(COLOR_SCROLL_BUTTON));
}

void CTouchScrollBtn::EnableButton(int index, bool enabled) {
    if (index == 0 || index == 1)
        m_buttons[index]->setEnabled(enabled);
}

bool CTouchScrollBtn::IsButtonEnabled(int index) const {
    return (index == 0 || index == 1) && m_buttons[index]->isEnabled();
}

void CTouchScrollBtn::SetColor(const QColor& color) {
    for (QToolButton* button : m_buttons)
        button->setStyleSheet(
            QStringLiteral("QToolButton { background: %1; border: none; color: white;"
                           " font-size: 24px; }"
                           "QToolButton:disabled { background: %2; color: %1; }")
                .arg(color.name(), color.lighter(150).name()));
}

void CTouchScrollBtn::Press(int index) {
    if ((index == 0 || index == 1) && m_buttons[index]->isEnabled())
        m_buttons[index]->click();
}

void CTouchScrollBtn::SetPosition(int first, int shown, int total) {
    m_position->SetPosition(first, shown, total);
}

void PlaceBesideScrollButton(QWidget* list, QWidget* button, QSize area, int lift) {
    const int w = FrmwkGetMetrics(METRIC_SCROLL_BUTTON_WIDTH);
    const int h = FrmwkGetMetrics(METRIC_BUTTON_HEIGHT) + 2 * w;
    list->setGeometry(0, 0, area.width() - w, area.height());
    button->setGeometry(area.width() - w, area.height() / 2 - h / 2 - lift, w, h);
}
