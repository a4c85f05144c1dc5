#include "SheetPlacement.h"

#include <algorithm>

QPoint CentredPosition(const QRect& available, const QSize& window) {
    const int x = std::max(0, (available.width() - window.width()) / 2);
    const int y = std::max(0, (available.height() - window.height()) / 2);
    return available.topLeft() + QPoint(x, y);
}
