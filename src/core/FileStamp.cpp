#include "core/FileStamp.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <array>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

#ifdef Q_OS_UNIX
FileStamp fromStat(const struct stat& st)
{
#ifdef Q_OS_MACOS
    const timespec modified = st.st_mtimespec;
#else
    const timespec modified = st.st_mtim;
#endif
    return FileStamp{true, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                     qint64(modified.tv_sec) * 1000000000 + modified.tv_nsec};
}
#endif

// A background writer may note several files before anyone looks at them; a few dozen cover
// every write of one burst.
constexpr std::size_t kKept = 64;

struct OwnWrites
{
    QMutex mutex;
    std::array<FileStamp, kKept> stamps{};
    std::size_t next = 0;
};

OwnWrites& ownWrites()
{
    static OwnWrites writes;
    return writes;
}

} // namespace

FileStamp FileStamp::of(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return fromStat(st);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return FileStamp{true, 0, quint64(info.birthTime().toMSecsSinceEpoch()), info.size(),
                     info.lastModified().toMSecsSinceEpoch() * 1000000};
#endif
}

FileStamp FileStamp::ofOpen(int descriptor)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (descriptor < 0 || ::fstat(descriptor, &st) != 0)
        return {};
    return fromStat(st);
#else
    Q_UNUSED(descriptor);
    return {};
#endif
}

void FileStamp::noteOwnWrite(const FileStamp& written)
{
    if (!written.exists)
        return;
    OwnWrites& own = ownWrites();
    const QMutexLocker lock(&own.mutex);
    own.stamps[own.next] = written;
    own.next = (own.next + 1) % kKept;
}

bool FileStamp::isOwnWrite(const FileStamp& stamp)
{
    if (!stamp.exists)
        return false;
    OwnWrites& own = ownWrites();
    const QMutexLocker lock(&own.mutex);
    return std::find(own.stamps.begin(), own.stamps.end(), stamp) != own.stamps.end();
}
