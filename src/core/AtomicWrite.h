#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's content all at once: the bytes go to a temporary file that is renamed
// over the old one, so a crash, a kill or a full disk leaves either the old file or the
// new one, never a mix. Returns an empty string on success, else what went wrong.
namespace AtomicWrite {
QString write(const QString& path, const QByteArray& bytes);
}
