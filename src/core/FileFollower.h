#pragma once

#include "core/FileStamp.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QFileSystemWatcher;

// Tells when files change on disk through other programs: a text editor that rewrites a file in
// place or saves it by renaming another file over it, a synced folder that deletes a file and
// makes it again. The folder of every followed file is followed too, since a file replaced by a
// rename is no longer the file the system was watching; it is watched again once it is back.
// Nothing runs while nothing changes: the system wakes the program, and a burst of changes (an
// editor that writes a file in several steps) is told once, when it has settled. The program's
// own writes (FileStamp::noteOwnWrite) are not told.
class FileFollower : public QObject
{
    Q_OBJECT
public:
    // A burst has settled once nothing changed for kQuietMs, or kLongestMs after it began.
    static constexpr int kQuietMs = 150;
    static constexpr int kLongestMs = 600;

    explicit FileFollower(QObject* parent = nullptr);

    // Follows these files from now on, in place of those followed before. A file followed
    // before keeps what was last seen of it, so a change made meanwhile is still told.
    void follow(const QStringList& files);
    // Also tells when files come or go in this folder (`changed` with `folderChanged` set).
    void followFolder(const QString& folder);

signals:
    // After a burst: the followed files that changed (gone, made, or rewritten), and whether
    // anything happened in a folder given to followFolder.
    void changed(const QStringList& files, bool folderChanged);

private:
    void touched(const QString& path);
    void settle();
    // Watches every followed file and folder that is there and not watched yet.
    void rewatch();

    QFileSystemWatcher* m_watcher;
    QTimer m_settle;
    QElapsedTimer m_burst;
    QHash<QString, FileStamp> m_seen;
    QStringList m_folders;       // the folders of followed files
    QStringList m_listedFolders; // the folders whose entries are followed
    bool m_folderTouched = false;
};
