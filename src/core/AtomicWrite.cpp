#include "core/AtomicWrite.h"

#include "core/FileStamp.h"

#include <QSaveFile>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace AtomicWrite {

namespace {

Step g_failAt = Step::None;

Result failure(Step step, QFileDevice::FileError error, const QString& text)
{
    // The user is always told something, even when the system gave no words.
    return Result{step, error == QFileDevice::NoError ? QFileDevice::WriteError : error,
                  Outcome::failed(text.isEmpty() ? QStringLiteral("Unknown error") : text)};
}

bool injected(Step step)
{
    return g_failAt == step;
}

QString injectedText()
{
    return QString::fromLocal8Bit(std::strerror(ENOSPC));
}

} // namespace

Result replace(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Never fall back to writing the file in place: that would truncate it first.
    file.setDirectWriteFallback(false);
    if (injected(Step::Open))
        return failure(Step::Open, QFileDevice::OpenError, injectedText());
    if (!file.open(QIODevice::WriteOnly))
        return failure(Step::Open, file.error(), file.errorString());

    // After a failure the temporary file is dropped and the old file stays as it was.
    const auto cancel = [&file](Step step, QFileDevice::FileError error, const QString& text) {
        file.cancelWriting();
        return failure(step, error, text);
    };
    if (injected(Step::Write))
        return cancel(Step::Write, QFileDevice::WriteError, injectedText());
    if (file.write(bytes) != bytes.size())
        return cancel(Step::Write, file.error(), file.errorString());

    // QSaveFile keeps small writes in a buffer that only commit() flushes, and commit() then
    // renames the temporary file over the old one even when that flush failed: on a full disk
    // the old file would be replaced by an empty or cut one. Flush here, where a failure can
    // still cancel.
    if (injected(Step::Flush))
        return cancel(Step::Flush, QFileDevice::WriteError, injectedText());
    if (!file.flush())
        return cancel(Step::Flush, file.error(), file.errorString());

#ifdef Q_OS_UNIX
    // File systems that allocate late report a full disk only when the data goes to the disk;
    // commit() ignores a failed sync, so sync here too.
    if (injected(Step::Sync))
        return cancel(Step::Sync, QFileDevice::WriteError, injectedText());
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS)
        return cancel(Step::Sync, QFileDevice::WriteError,
                      QString::fromLocal8Bit(std::strerror(errno)));
#endif

    if (injected(Step::Commit))
        return cancel(Step::Commit, QFileDevice::RenameError, injectedText());
#ifdef Q_OS_UNIX
    // The program's own writes are known by the stamp of the temporary file that the rename
    // puts in place, taken before it is there: nothing another program writes can pass for it.
    FileStamp::noteOwnWrite(FileStamp::ofOpen(file.handle()));
#endif
    if (!file.commit())
        return failure(Step::Commit, file.error(), file.errorString());
#ifndef Q_OS_UNIX
    FileStamp::noteOwnWrite(FileStamp::of(path));
#endif
    return {};
}

Outcome write(const QString& path, const QByteArray& bytes)
{
    return replace(path, bytes).outcome;
}

void failAtForTests(Step step)
{
    g_failAt = step;
}

} // namespace AtomicWrite
