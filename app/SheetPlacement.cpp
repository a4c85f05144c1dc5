#include "SheetPlacement.h"

#include <QDialog>
#include <QEvent>
#include <QScreen>

#include <algorithm>

QPoint CentredPosition(const QRect& available, const QSize& window) {
    const int x = std::max(0, (available.width() - window.width()) / 2);
    const int y = std::max(0, (available.height() - window.height()) / 2);
    return available.topLeft() + QPoint(x, y);
}

bool FitOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        return false;
    const QRect available = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size();
    const QSize fitted = frame.boundedTo(available.size());
    const bool shrunk = fitted != frame;
    if (shrunk)
        window.resize(window.size() - (frame - fitted));
    window.move(CentredPosition(available, window.frameGeometry().size()));
    return shrunk;
}

bool CDialogScreenFit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && dialog->isWindow() && dialog->screen() &&
            !dialog->screen()->availableGeometry().contains(dialog->frameGeometry()))
            FitOnScreen(*dialog);
    }
    return QObject::eventFilter(watched, event);
}
