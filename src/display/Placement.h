#pragma once

#include <QPoint>
#include <QSize>

// Where the display window goes, in device-independent pixels of the monitor it shows on.
class Placement
{
public:
    // The display window's size as loaded, before it is fitted to its message.
    static constexpr QSize kDesignSize{219, 29};

    // The top-left corner of a message of size `label` centred on the screen. A message
    // wider or higher than the screen starts left of or above its edge.
    static QPoint centre(const QSize& screen, const QSize& label);

    // The top-left corner for the random place: top from rVertical, left from rHorizontal
    // (each 0 <= r < 1), over the ranges the design size leaves, rounded half to even. A long
    // message may therefore reach past the right or bottom edge.
    static QPoint random(const QSize& screen, double rVertical, double rHorizontal);
};
