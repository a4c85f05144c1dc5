#include "FullScreen.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <fmt/format.h>

FullScreenChoice ParseFullScreen(const QByteArray& value) {
    if (value.isEmpty() || value == "0")
        return {};
    if (value == "1")
        return {true, {}};
    return {false, fmt::format("TRELLIS_FULLSCREEN=\"{}\" is neither 1 nor 0; the sheet is shown "
                               "on its own, without covering the screen.",
                               value.toStdString())};
}

std::unique_ptr<QWidget> ShowFullScreenBackdrop() {
    auto backdrop = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint |
                                                           Qt::WindowStaysOnBottomHint |
                                                           Qt::WindowDoesNotAcceptFocus);
    backdrop->setObjectName(QStringLiteral("fullScreenBackdrop"));
    backdrop->setAttribute(Qt::WA_ShowWithoutActivating);
    QPalette palette = backdrop->palette();
    palette.setColor(QPalette::Window, Qt::black);
    backdrop->setPalette(palette);
    backdrop->setAutoFillBackground(true);
    // The screen's size is given as well as the state: without a window manager (X with
    // none, the frame buffer) nothing else would make the window that large.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        backdrop->setGeometry(screen->geometry());
    // Not showFullScreen(): it would activate the window, which takes no focus.
    backdrop->setWindowState(Qt::WindowFullScreen);
    backdrop->setVisible(true);
    return backdrop;
}
