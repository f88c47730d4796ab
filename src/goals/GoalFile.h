#pragma once

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

    struct Loaded
    {
        QString text;      // as the text box holds it
        QString error;     // empty when the file was read (or created)
        bool utf8 = false; // the file was UTF-8 behind a byte-order mark
    };

    // The goal held at `path`. A missing file is created empty, so the slot's file exists
    // from the first start on.
    static Loaded load(const QString& path);

    // Replaces the file's content all at once with `text`. Returns an empty string on
    // success, else why the goal could not be saved; the old file is then left as it was,
    // and so is a file that exists but cannot be read. A goal read from a UTF-8 file
    // (`keepUtf8`) is written in Windows-1252 when every character fits, else as UTF-8 again.
    static QString save(const QString& path, const QString& text, bool keepUtf8 = false);

    // The file's bytes for a text box's text: leading and trailing spaces (only the space
    // character) removed, line breaks as CR LF, one CR LF after the text. Empty when the text
    // holds a character Windows-1252 cannot represent; *error then says which.
    static QByteArray encode(const QString& text, QString* error = nullptr, bool keepUtf8 = false);
    // The text box's text for a file's bytes: the final CR LF that saving adds is dropped.
    static QString decode(const QByteArray& bytes);
};
