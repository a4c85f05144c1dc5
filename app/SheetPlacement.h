#pragma once
// Where a window goes on its screen: in the middle of the screen's free area.

#include <QPoint>
#include <QRect>
#include <QSize>

// The top-left corner that centres a window of the size in the available area. Along a
// side where the window does not fit, it starts at the area's edge, so that its title and
// left side stay on the screen.
QPoint CentredPosition(const QRect& available, const QSize& window);
