#pragma once

#include <QByteArray>
#include <QString>

// Reads a whole file that another program may have put in the library's place: only a
// regular file (or a symbolic link to one) is read, and opening never blocks, so a FIFO or a
// device under a library file's name cannot hang the program.
namespace ReadFile {

enum class Status { Read, Missing, Unreadable };

struct Result
{
    Status status = Status::Missing;
    QByteArray bytes; // the content when read
    QString error;    // why it could not be read

    bool ok() const { return status == Status::Read; }
    bool missing() const { return status == Status::Missing; }
    bool unreadable() const { return status == Status::Unreadable; }
};

Result read(const QString& path);

// Whether the file could be read now, without reading it: what a writer checks before it
// replaces a file, since a file that cannot be read is never written over.
Result check(const QString& path);

// Why a writer leaves the file at path as it is, as words that follow the file's name
// ("cannot be read (Permission denied), and ..."), or an empty string when it may replace it.
QString overwriteRefusal(const Result& existing);

} // namespace ReadFile
