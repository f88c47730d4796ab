#include "core/FileFollower.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <algorithm>
#include <utility>

FileFollower::FileFollower(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this))
{
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &FileFollower::settle);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FileFollower::touched);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileFollower::touched);
}

void FileFollower::follow(const QStringList& files)
{
    QHash<QString, FileStamp> seen;
    for (const QString& file : files) {
        if (!file.isEmpty())
            seen.insert(file, m_seen.contains(file) ? m_seen.value(file) : FileStamp::of(file));
    }
    const QStringList gone = m_watcher->files();
    for (const QString& file : gone) {
        if (!seen.contains(file))
            m_watcher->removePath(file);
    }
    m_seen = std::move(seen);
    for (const QString& file : m_seen.keys()) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!m_folders.contains(folder))
            m_folders.append(folder);
    }
    rewatch();
}

void FileFollower::followFolder(const QString& folder)
{
    const QString path = QFileInfo(folder).absoluteFilePath();
    if (!m_listedFolders.contains(path))
        m_listedFolders.append(path);
    if (!m_folders.contains(path))
        m_folders.append(path);
    rewatch();
}

void FileFollower::rewatch()
{
    const QStringList watchedFiles = m_watcher->files();
    const QStringList watchedFolders = m_watcher->directories();
    QStringList add;
    for (auto it = m_seen.cbegin(); it != m_seen.cend(); ++it) {
        if (!watchedFiles.contains(it.key()) && QFileInfo(it.key()).isFile())
            add.append(it.key());
    }
    for (const QString& folder : std::as_const(m_folders)) {
        if (!watchedFolders.contains(folder) && QFileInfo(folder).isDir())
            add.append(folder);
    }
    if (!add.isEmpty())
        m_watcher->addPaths(add);
}

void FileFollower::touched(const QString& path)
{
    if (m_listedFolders.contains(path))
        m_folderTouched = true;
    if (!m_settle.isActive())
        m_burst.start();
    m_settle.start(std::clamp(kLongestMs - int(m_burst.elapsed()), 0, kQuietMs));
}

void FileFollower::settle()
{
    // A synced folder deletes a file and makes it again: give it the whole burst to come back,
    // so a file that was only replaced is not told as gone.
    const int left = kLongestMs - int(m_burst.elapsed());
    for (auto it = m_seen.cbegin(); left > 0 && it != m_seen.cend(); ++it) {
        if (it.value().exists && !QFileInfo::exists(it.key())) {
            m_settle.start(left);
            return;
        }
    }
    QStringList files;
    for (auto it = m_seen.begin(); it != m_seen.end(); ++it) {
        const FileStamp now = FileStamp::of(it.key());
        if (now == it.value())
            continue;
        // A file replaced by a rename may still be watched as the old one, which is gone or
        // kept only by whoever still holds it open.
        if ((now.inode != it.value().inode || now.device != it.value().device) &&
            m_watcher->files().contains(it.key()))
            m_watcher->removePath(it.key());
        it.value() = now;
        if (!FileStamp::isOwnWrite(now))
            files.append(it.key());
    }
    rewatch();
    const bool folderChanged = std::exchange(m_folderTouched, false);
    if (!files.isEmpty() || folderChanged)
        emit changed(files, folderChanged);
}
