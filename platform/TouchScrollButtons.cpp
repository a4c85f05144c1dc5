#include "TouchScrollButtons.h"

#include "platform/Metrics.h"

#include <QToolButton>
#include <QVBoxLayout>

CTouchScrollBtn::CTouchScrollBtn(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    const QString arrows[2] = {QStringLiteral("\u25B2"), QStringLiteral("\u25BC")};
    for (int i = 0; i < 2; ++i) {
        m_buttons[i] = new QToolButton(this);
        m_buttons[i]->setText(arrows[i]);
        m_buttons[i]->setAutoRepeat(true);
        m_buttons[i]->setMinimumSize(FrmwkGetMetrics(METRIC_SCROLL_BUTTON_WIDTH),
                                     FrmwkGetMetrics(METRIC_SCROLL_BUTTON_WIDTH));
        m_buttons[i]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(m_buttons[i], &QToolButton::clicked, this,
                [this, i] { emit scrollRequested(i == 0 ? SB_LINEUP : SB_LINEDOWN); });
        column->addWidget(m_buttons[i]);
    }
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

void PlaceBesideScrollButton(QWidget* list, QWidget* button, QSize area, int lift) {
    const int w = FrmwkGetMetrics(METRIC_SCROLL_BUTTON_WIDTH);
    const int h = FrmwkGetMetrics(METRIC_BUTTON_HEIGHT) + 2 * w;
    list->setGeometry(0, 0, area.width() - w, area.height());
    button->setGeometry(area.width() - w, area.height() / 2 - h / 2 - lift, w, h);
}
