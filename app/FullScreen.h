#pragma once
// TRELLIS_FULLSCREEN=1, for a touch screen that shows nothing but the utility: a plain
// window covers the whole screen behind the sheet, so that neither the console nor a
// desktop shows around it. The sheet keeps its own size, centred on the screen.

#include <QByteArray>
#include <QWidget>

#include <memory>
#include <string>

struct FullScreenChoice {
    bool on = false;
    std::string refusal; // why the value asked for was not taken; empty when it was
};

// Reads a TRELLIS_FULLSCREEN value: "1" or "0"; empty asks for nothing. Anything else is
// refused and leaves the screen as it is.
FullScreenChoice ParseFullScreen(const QByteArray& value);

// The window behind the sheet, shown full-screen on the primary screen. It takes no focus
// and stays below every other window of the utility.
std::unique_ptr<QWidget> ShowFullScreenBackdrop();
