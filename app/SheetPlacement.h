#pragma once
// Where a window goes on its screen: in the middle of the screen's free area, and never
// larger than that area, so that its bottom row of buttons stays within reach.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The sheet's size at scale 1; TRELLIS_SCALE scales it.
inline constexpr QSize kSheetDesignSize(620, 460);

// The top-left corner that centres a window of the size in the available area. Along a
// side where the window does not fit, it starts at the area's edge, so that its title and
// left side stay on the screen.
QPoint CentredPosition(const QRect& available, const QSize& window);

// Shrinks a window whose frame is larger than its screen's free area to that area (as far
// as its layout lets it) and centres it there. Returns whether it had to be shrunk.
bool FitOnScreen(QWidget& window);

// Installed on the application: every dialog shown larger than its screen's free area is
// fitted to it, whatever made it that large (the interface scale, a long text).
class CDialogScreenFit : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
