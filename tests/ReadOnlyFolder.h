#pragma once

#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QtGlobal>
#include <unistd.h>

// While alive, `folder` (below `root`) refuses this process's writes and deletions, even when
// the tests run as root, who is let through a folder's permissions: a root process then
// reaches files as the unprivileged user "nobody", to whom everything below `root` is handed
// first so that it can still read it. Root takes its identity back at the end.
class ReadOnlyFolder
{
public:
    ReadOnlyFolder(const QString& folder, const QString& root) : m_folder(folder)
    {
        m_active = QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        if (::geteuid() != 0)
            return;
        bool handed = ::chown(qPrintable(root), kNobody, kNobody) == 0;
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            handed = ::chown(qPrintable(it.next()), kNobody, kNobody) == 0 && handed;
        m_droppedGroup = ::setegid(kNobody) == 0;
        m_droppedUser = m_droppedGroup && ::seteuid(kNobody) == 0;
        m_active = m_active && handed && m_droppedUser;
    }
    ~ReadOnlyFolder()
    {
        if (m_droppedUser && ::seteuid(0) != 0)
            qFatal("could not become root again");
        if (m_droppedGroup && ::setegid(0) != 0)
            qFatal("could not take root's group again");
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool active() const { return m_active; }

private:
    static constexpr uid_t kNobody = 65534; // "nobody" and "nogroup" on Debian
    QString m_folder;
    bool m_active = false;
    bool m_droppedGroup = false;
    bool m_droppedUser = false;
};
