#pragma once

#include <cmath>

// The nearest whole number, a value exactly halfway going to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2): the rounding of the random message and place and of a stored
// number. It is worked out here rather than left to the floating-point rounding mode, so
// nothing that changes the mode can change which message or place comes up.
inline double roundHalfEven(double value)
{
    const double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        return whole + 1.0;
    return whole;
}
