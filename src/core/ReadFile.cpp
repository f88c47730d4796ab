#include "core/ReadFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ReadFile {

namespace {

Result unreadable(const QString& why)
{
    return Result{Status::Unreadable, {}, Outcome::failed(why)};
}

Result missing()
{
    return Result{
        Status::Missing, {}, Outcome::failed(QString::fromLocal8Bit(std::strerror(ENOENT)))};
}

const QString kNotAFile = QStringLiteral("It is not an ordinary file.");

} // namespace

namespace {

#ifdef Q_OS_UNIX
// Opens path for reading if it is a regular file; the descriptor or -1 with *result set.
int openRegular(const QString& path, Result* result)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        // A symbolic link that leads nowhere is something that is there and cannot be read.
        *result = err == ENOENT && !QFileInfo(path).isSymLink()
                      ? missing()
                      : unreadable(QString::fromLocal8Bit(std::strerror(err)));
        return -1;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *result = unreadable(kNotAFile);
        return -1;
    }
    *result = Result{};
    return fd;
}
#endif

} // namespace

Result check(const QString& path)
{
#ifdef Q_OS_UNIX
    Result result;
    const int fd = openRegular(path, &result);
    if (fd >= 0)
        ::close(fd);
    return result;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? unreadable(kNotAFile) : missing();
    if (!info.isFile())
        return unreadable(kNotAFile);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    return Result{};
#endif
}

Outcome mayReplace(const Result& existing)
{
    if (!existing.unreadable())
        return {};
    return Outcome::failed(QStringLiteral("cannot be read (%1), and a file that cannot be read "
                                          "is never written over")
                               .arg(existing.why()));
}

Result read(const QString& path)
{
    QFile file;
#ifdef Q_OS_UNIX
    Result result;
    const int fd = openRegular(path, &result);
    if (fd < 0)
        return result;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(file.errorString());
    }
#else
    const Result checked = check(path);
    if (!checked.ok())
        return checked;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
#endif
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    return Result{Status::Read, std::move(bytes), {}};
}

} // namespace ReadFile
