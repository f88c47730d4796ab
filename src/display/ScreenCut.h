#pragma once

#include <QSize>
#include <QString>

class QFontMetrics;

// The part of a message that fits on the screen. A message wider or taller than the screen
// shows its start: each line ends at the last whole character that fits the width, and the
// lines below the last one that fits the height are left out. Only as much of the text as
// can reach the screen is ever measured, so a message of many megabytes costs no more than
// one that fills the screen.
class ScreenCut
{
public:
    // `room` is the space for the text itself, in pixels. A text that fits is returned
    // unchanged.
    static QString fit(const QString& text, const QFontMetrics& metrics, const QSize& room);

    // How far into a text `fit` can ever look: the first `lines` lines, and of each the first
    // `lineLength` UTF-16 units. A text whose lines are shortened to one unit more than that,
    // and which keeps a line break after the last of them when more lines follow, is cut to
    // the same text as the whole one.
    struct Reach
    {
        qsizetype lines = 0;
        qsizetype lineLength = 0;
    };
    static Reach reach(const QFontMetrics& metrics, const QSize& room);
};
