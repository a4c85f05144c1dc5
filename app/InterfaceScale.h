#pragma once
// The size of the whole interface, chosen with TRELLIS_SCALE (such as 1.5) for touch
// screens larger than the sheet's design size. Qt scales by QT_SCALE_FACTOR, which it reads
// when the application object is made, so the choice is applied before that.

#include <QByteArray>

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
