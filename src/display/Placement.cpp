#include "display/Placement.h"

#include <cmath>

int Placement::roundHalfEven(double value)
{
    const double whole = std::floor(value);
    const double fraction = value - whole;
    double result = whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        result = whole + 1.0;
    return int(result);
}

QPoint Placement::centre(const QSize& screen, const QSize& label)
{
    // Integer halving drops the fraction toward zero, also for a message wider than the
    // screen, so both sides of an odd difference differ by one pixel at most.
    return QPoint((screen.width() - label.width()) / 2, (screen.height() - label.height()) / 2);
}

QPoint Placement::random(const QSize& screen, double rVertical, double rHorizontal)
{
    const int top = roundHalfEven(rVertical * double(screen.height() - kDesignSize.height()));
    const int left = roundHalfEven(rHorizontal * double(screen.width() - kDesignSize.width()));
    return QPoint(left, top);
}
