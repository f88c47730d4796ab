#pragma once

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>

// One goal slot's file in the application folder (goal1.txt, goal2.txt): the goal's text in
// Windows-1252 with CR LF line ends, followed by one CR LF. A text box holds line breaks as
// "\n"; the file holds them as CR LF, and the conversion runs both ways, so a goal loaded and
// saved again unchanged leaves its file byte for byte as it was.
class GoalFile
{
public:
    // `slot` is 1 or 2.
    static QString fileName(int slot);
    static QString pathIn(const QString& appFolder, int slot);

    struct Goal
    {
        QString text;      // as the text box holds it
        bool utf8 = false; // the file was UTF-8 behind a byte-order mark
    };

    // The goal held at `path`. A missing file is created empty, so the slot's file exists
    // from the first start on.
    static Produced<Goal> load(const QString& path);
    // The goal held at `path`, touching nothing; a missing file fails.
    static Produced<Goal> read(const QString& path);

    // Replaces the file's content all at once with `text`. When the goal cannot be saved the
    // old file is left as it was, and so is a file that exists but cannot be read. A goal read
    // from a UTF-8 file (`keepUtf8`) is written in Windows-1252 when every character fits,
    // else as UTF-8 again.
    static Outcome save(const QString& path, const QString& text, bool keepUtf8 = false);

    // The file's bytes for a text box's text: leading and trailing spaces (only the space
    // character) removed, line breaks as CR LF, one CR LF after the text. It fails, naming the
    // character, when the text holds one that Windows-1252 cannot represent.
    static Produced<QByteArray> encode(const QString& text, bool keepUtf8 = false);
    // The text box's text for a file's bytes: the final CR LF that saving adds is dropped.
    static QString decode(const QByteArray& bytes);
};
