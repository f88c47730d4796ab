#include "display/Placement.h"

#include "core/RoundHalfEven.h"

QPoint Placement::centre(const QSize& screen, const QSize& label)
{
    // Integer halving drops the fraction toward zero, also for a message wider than the
    // screen, so both sides of an odd difference differ by one pixel at most.
    return QPoint((screen.width() - label.width()) / 2, (screen.height() - label.height()) / 2);
}

QPoint Placement::random(const QSize& screen, double rVertical, double rHorizontal)
{
    const int top = int(roundHalfEven(rVertical * double(screen.height() - kDesignSize.height())));
    const int left = int(roundHalfEven(rHorizontal * double(screen.width() - kDesignSize.width())));
    return QPoint(left, top);
}
