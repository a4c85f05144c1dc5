#include "TouchTab.h"

#include "Metrics.h"

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
