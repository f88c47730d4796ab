#pragma once

#include "core/Outcome.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Replaces a file's content all at once: the bytes go to a temporary file that is renamed
// over the old one, so a crash, a kill or a full disk leaves either the old file or the
// new one, never a mix.
namespace AtomicWrite {

enum class Step { None, Open, Write, Flush, Sync, Commit };

// Which step failed, for a caller that reports it by number; `outcome` says what went wrong.
struct [[nodiscard]] Result
{
    Step failedStep = Step::None;
    QFileDevice::FileError error = QFileDevice::NoError;
    Outcome outcome;

    bool ok() const { return outcome.ok(); }
    const QString& why() const { return outcome.why(); }
};

Result replace(const QString& path, const QByteArray& bytes);

// The same, for a caller that needs only whether it worked and why not.
Outcome write(const QString& path, const QByteArray& bytes);

// Makes every later write fail at `step` as if the system had refused it there, until set
// back to Step::None. Lets the tests walk each failure path without a full disk.
void failAtForTests(Step step);

} // namespace AtomicWrite
