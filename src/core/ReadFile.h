#pragma once

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>

// Reads a whole file that another program may have put in the library's place: only a
// regular file (or a symbolic link to one) is read, and opening never blocks, so a FIFO or a
// device under a library file's name cannot hang the program.
namespace ReadFile {

enum class Status { Read, Missing, Unreadable };

// A missing file and one that is there but cannot be read both fail; a writer treats them
// apart, since only the second holds something that writing would lose.
struct [[nodiscard]] Result
{
    Status status = Status::Read;
    QByteArray bytes; // the content when read
    Outcome outcome;  // why it could not be read

    bool ok() const { return outcome.ok(); }
    const QString& why() const { return outcome.why(); }
    bool missing() const { return status == Status::Missing; }
    bool unreadable() const { return status == Status::Unreadable; }
};

Result read(const QString& path);

// Whether the file could be read now, without reading it: what a writer checks before it
// replaces a file, since a file that cannot be read is never written over.
Result check(const QString& path);

// Whether a writer may replace the file that `existing` describes. It may not when the file is
// there but cannot be read, and then says so in words that follow the file's name ("cannot be
// read (Permission denied), and ...").
Outcome mayReplace(const Result& existing);

} // namespace ReadFile
