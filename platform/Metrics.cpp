#include "Metrics.h"

#include <QtGlobal>

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, QRgb>, 11> kColors{{
    {COLOR_TEXT, 0xFF1A1A1A},
    {COLOR_TEXT_SELECTED, 0xFFFFFFFF},
    {COLOR_TEXT_DIM, 0xFF6E6E6E},
    {COLOR_CHECK_MARK, 0xFF0050A0},
    {COLOR_TAB, 0xFFC8D0DC},
    {COLOR_SCROLL_BUTTON, 0xFF7A8CA8},
    {COLOR_TAB_SELECTED, 0xFFF4F6F9},
    {COLOR_SELECTION_EDGE, 0xFF1D3F73},
    {COLOR_CHANGED, 0xFFE08A00},
    {COLOR_SELECTION, 0xFF2F5D9E},
    {COLOR_BACKGROUND, 0xFFF4F6F9},
}};

constexpr std::array<std::pair<int, int>, 13> kMetrics{{
    {METRIC_ROW_PADDING, 12},
    {METRIC_BUTTON_HEIGHT, 48},
    {METRIC_MARGIN, 8},
    {METRIC_CHECKBOX_SIZE, 32},
    {METRIC_ROW_HEIGHT, 36},
    {METRIC_DIALOG_WIDTH, 528},
    {METRIC_DIALOG_HEIGHT, 345},
    {METRIC_WIDE_DIALOG_WIDTH, 580},
    {METRIC_WIDE_DIALOG_HEIGHT, 400},
    {METRIC_SCROLL_BUTTON_WIDTH, 56},
    {METRIC_HEADING_HEIGHT, 28},
    {METRIC_CAPTION_HEIGHT, 30},
    {METRIC_TRACK_ROW_HEIGHT, 44},
}};

} // namespace

QColor FrmwkGetColor(int id) {
    for (const auto& [key, rgb] : kColors) {
        if (key == id)
            return QColor::fromRgba(rgb);
    }
    return QColor::fromRgba(kColors.front().second);
}

QFont FrmwkGetFont(int id) {
    QFont font(QStringLiteral("DejaVu Sans"));
    switch (id) {
    case FONT_SMALL:
        font.setPixelSize(14);
        font.setBold(true);
        break;
    case FONT_HEADING:
        font.setPixelSize(18);
        font.setBold(true);
        break;
    default:
        font.setPixelSize(16);
        break;
    }
    return font;
}

int FrmwkGetMetrics(int id) {
    for (const auto& [key, value] : kMetrics) {
        if (key == id)
            return value;
    }
    return 0;
}

bool IsWorkstationMode() {
    return qEnvironmentVariableIntValue("TRELLIS_WORKSTATION") == 1;
}

int TouchTargetHeight() {
    return FrmwkGetMetrics(METRIC_ROW_HEIGHT) + FrmwkGetMetrics(METRIC_ROW_PADDING);
}
