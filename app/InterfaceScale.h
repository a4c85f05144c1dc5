#pragma once
// The size of the whole interface, chosen with TRELLIS_SCALE (such as 1.5) for touch
// screens larger than the sheet's design size. Qt scales by QT_SCALE_FACTOR, which it reads
// when the application object is made, so the choice is applied before that; a scale at
// which the sheet would not fit the screen is lowered to one at which it does.

#include <QApplication>
#include <QByteArray>
#include <QSize>

#include <memory>
#include <string>

struct InterfaceScale {
    double factor = 1.0;
    std::string refusal; // why the value asked for was not taken; empty when it was
};

// Reads a TRELLIS_SCALE value: a number from 0.5 to 4. Anything else is refused and gives
// scale 1. An empty value asks for nothing.
InterfaceScale ParseInterfaceScale(const QByteArray& value);

// Reads TRELLIS_SCALE and, for a good value, sets QT_SCALE_FACTOR to it. Returns the
// refusal of a bad value for the caller to show; nothing is changed then. A good value
// takes the place of a QT_SCALE_FACTOR set before.
std::string ApplyInterfaceScale();

// The largest scale, at most the one asked for and never below 0.5, at which a window of
// the design size fits in the available area, the area measured at the scale asked for.
// Rounded down to two decimals, so that the rounding never makes it too large.
double FittedScale(double asked, QSize design, QSize available);

// Makes the application object at the scale asked for. When a window of the design size
// (the sheet) would not fit the primary screen's available area at that scale, it ends that
// application object before any window exists, makes it again at the largest scale that
// fits, and says so on standard error. argc and argv are those main was given.
std::unique_ptr<QApplication> MakeApplicationFittingScreen(int& argc, char** argv, QSize design);
