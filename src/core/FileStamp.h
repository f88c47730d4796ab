#pragma once

#include <QString>
#include <QtGlobal>

// What a file is on disk at one moment, without reading it: which file (device and inode), how
// long, and when it was last written. A file saved by renaming another over it is a new file,
// and one rewritten in place has a new time, so a changed stamp means a changed file.
//
// The program notes the stamp of every file it writes itself, so whoever follows a file can
// tell the program's own writes from those of other programs.
struct FileStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;

    static FileStamp of(const QString& path);
    // The stamp of an open file, by its descriptor; a missing one when it cannot be had.
    static FileStamp ofOpen(int descriptor);

    // Notes a file the program wrote itself. Any thread may note; the last few writes are kept.
    static void noteOwnWrite(const FileStamp& written);
    static bool isOwnWrite(const FileStamp& stamp);
};
