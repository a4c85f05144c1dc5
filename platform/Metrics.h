#pragma once
// The shared look: colours, fonts and sizes by numeric id, sized for a finger on the
// touch screen. Workstation mode (TRELLIS_WORKSTATION=1) shrinks some dialogs and hides
// options that only make sense on the server's own screen.

#include <QColor>
#include <QFont>

// Colour ids.
enum FrmwkColorId : int {
    COLOR_TEXT = 104,
    COLOR_TEXT_SELECTED = 105,
    COLOR_TEXT_DIM = 106,
    COLOR_CHECK_MARK = 202,
    COLOR_TAB = 300,
    COLOR_SCROLL_BUTTON = 303,
    COLOR_TAB_SELECTED = 306,
    COLOR_SELECTION_EDGE = 309,
    COLOR_CHANGED = 310, // marks what this session changed
    COLOR_SELECTION = 400,
    COLOR_BACKGROUND = 700,
};

// Font ids.
enum FrmwkFontId : int {
    FONT_NORMAL = 100,
    FONT_SMALL = 101,
    FONT_HEADING = 111,
};

// Size ids, in pixels.
enum FrmwkMetricId : int {
    METRIC_ROW_PADDING = 111,
    METRIC_BUTTON_HEIGHT = 113,
    METRIC_MARGIN = 114,
    METRIC_CHECKBOX_SIZE = 115,
    METRIC_ROW_HEIGHT = 116,
    METRIC_DIALOG_WIDTH = 550,
    METRIC_DIALOG_HEIGHT = 551,
    METRIC_WIDE_DIALOG_WIDTH = 552,
    METRIC_WIDE_DIALOG_HEIGHT = 553,
    METRIC_SCROLL_BUTTON_WIDTH = 570,
    METRIC_HEADING_HEIGHT = 600,
    METRIC_CAPTION_HEIGHT = 601,
    METRIC_TRACK_ROW_HEIGHT = 652,
};

// A colour for an id; an unknown id gives the text colour.
QColor FrmwkGetColor(int id);
// A font for an id; an unknown id gives the normal font.
QFont FrmwkGetFont(int id);
// A size in pixels for an id; an unknown id gives 0.
int FrmwkGetMetrics(int id);

bool IsWorkstationMode();

// The smallest height of anything a finger must hit.
int TouchTargetHeight();
