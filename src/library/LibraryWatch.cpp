#include "library/LibraryWatch.h"

#include "core/FileFollower.h"

#include <utility>

LibraryWatch::LibraryWatch(LibraryFiles files, QObject* parent)
    : QObject(parent), m_files(std::move(files)), m_follower(new FileFollower(this))
{
    connect(m_follower, &FileFollower::changed, this, &LibraryWatch::settled);
    m_follower->followFolder(m_files.pluginsPath());
    followListed();
}

// Every program file is followed, not only the one shown: a stamp is cheap to take, and the
// Programs page then learns of a change to any program it may show next.
void LibraryWatch::followListed()
{
    m_names = m_files.listPrograms();
    m_programOf.clear();
    for (const QString& name : std::as_const(m_names))
        m_programOf.insert(m_files.programPath(name), name);
    m_follower->follow(QStringList{m_files.selectionPath()} + m_programOf.keys());
}

void LibraryWatch::settled(const QStringList& files, bool folderChanged)
{
    bool listChanged = files.contains(m_files.selectionPath());
    QStringList programs;
    for (const QString& file : files) {
        if (const auto name = m_programOf.constFind(file); name != m_programOf.cend())
            programs.append(*name);
    }
    if (folderChanged) {
        const QStringList before = m_names;
        followListed();
        listChanged = listChanged || m_names != before;
    }
    if (listChanged || !programs.isEmpty())
        emit changed(listChanged, programs);
}
