#include "TouchTab.h"

#include "Metrics.h"
#include "WindowMessages.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr int kDotSize = 9;
} // namespace

CTouchTab::CTouchTab(QWidget* parent) : QTabBar(parent) {
    setDrawBase(false);
    setUsesScrollButtons(true);
}

void CTouchTab::SetTabStyle(int minimumWidth, const QFont& font, const QColor& tab,
                            const QColor& selectedTab, const QColor& edge,
                            const QColor& selectedText, const QColor& text) {
    setFont(font);
    setStyleSheet(
        QStringLiteral("QTabBar::tab { min-height: %1px; min-width: %2px; background: %3;"
                       " color: %4; padding: 0 8px; border: 1px solid %5; }"
                       "QTabBar::tab:selected { background: %6; color: %7; }")
            .arg(FrmwkGetMetrics(METRIC_ROW_HEIGHT))
            .arg(minimumWidth)
            .arg(tab.name(), text.name(), edge.name(), selectedTab.name(), selectedText.name()));
}

void CTouchTab::SetStandardStyle(int minimumWidth) {
    SetTabStyle(minimumWidth, FrmwkGetFont(FONT_SMALL), FrmwkGetColor(COLOR_TAB),
                FrmwkGetColor(COLOR_TAB_SELECTED), FrmwkGetColor(COLOR_BACKGROUND),
                FrmwkGetColor(COLOR_TEXT), FrmwkGetColor(COLOR_TEXT_DIM));
}

void CTouchTab::setTabIn(std::vector<int>& tabs, int index, bool in) {
    const bool was = std::find(tabs.begin(), tabs.end(), index) != tabs.end();
    if (index < 0 || index >= count() || was == in)
        return;
    if (in)
        tabs.push_back(index);
    else
        std::erase(tabs, index);
    update();
}

void CTouchTab::SetTabMarked(int index, bool marked) {
    setTabIn(m_marked, index, marked);
}

bool CTouchTab::IsTabMarked(int index) const {
    return std::find(m_marked.begin(), m_marked.end(), index) != m_marked.end();
}

void CTouchTab::SetTabOffline(int index, bool offline) {
    setTabIn(m_offline, index, offline);
}

bool CTouchTab::IsTabOffline(int index) const {
    return std::find(m_offline.begin(), m_offline.end(), index) != m_offline.end();
}

bool CTouchTab::MarkTabs(int count, const std::function<bool(int)>& changed) {
    bool any = false;
    for (int index = 0; index < count; ++index) {
        const bool marked = changed(index);
        SetTabMarked(index, marked);
        any = any || marked;
    }
    return any;
}

void CTouchTab::paintEvent(QPaintEvent* event) {
    QTabBar::paintEvent(event);
    if (m_marked.empty() && m_offline.empty())
        return;
    QPainter painter(this);
    // The note is three quarters of the tab's text, however that font gives its size.
    QFont small = font();
    if (small.pixelSize() > 0)
        small.setPixelSize(std::max(8, small.pixelSize() * 3 / 4));
    else
        small.setPointSizeF(small.pointSizeF() * 0.75);
    small.setBold(true);
    painter.setFont(small);
    for (int index : m_offline) {
        if (index >= count())
            continue;
        const QRect tab = tabRect(index);
        painter.fillRect(tab.adjusted(1, 1, -1, -1), QColor(128, 128, 128, 96));
        painter.setPen(QColor(160, 0, 0));
        painter.drawText(tab.adjusted(0, 0, 0, -2), Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("offline"));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(FrmwkGetColor(COLOR_CHANGED));
    for (int index : m_marked) {
        if (index >= count())
            continue;
        const QRect tab = tabRect(index);
        painter.drawEllipse(QRect(tab.right() - kDotSize - 4, tab.top() + 4, kDotSize, kDotSize));
    }
}

void PlaceUnderTabs(const QWidget& page, CTouchTab* tabs, const std::vector<QWidget*>& dialogs) {
    const int margin = FrmwkGetMetrics(METRIC_MARGIN);
    const int tabHeight = FrmwkGetMetrics(METRIC_ROW_HEIGHT);
    if (tabs)
        tabs->setGeometry(margin, 0, page.width() - 2 * margin, tabHeight);
    for (QWidget* dialog : dialogs) {
        if (dialog)
            dialog->setGeometry(0, tabHeight, page.width(), page.height() - tabHeight);
    }
}

void ShowChosenTab(QWidget* shown, QWidget* hidden) {
    SendMessage(shown, WM_CONFIG_RELAYOUT, 0, 0);
    shown->show();
    if (hidden && hidden != shown)
        hidden->hide();
}
