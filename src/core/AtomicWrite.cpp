#include "core/AtomicWrite.h"

#include <QSaveFile>

namespace AtomicWrite {

QString write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Never fall back to writing the file in place: that would truncate it first.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace AtomicWrite
