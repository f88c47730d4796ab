#pragma once

#include "library/LibraryFiles.h"

#include <QHash>
#include <QObject>
#include <QStringList>

class FileFollower;

// Tells when the library changes on disk through another program while this one runs: a
// program file comes, goes or is rewritten, or `FileNames.txt` is. The program's own writes are
// not told.
class LibraryWatch : public QObject
{
    Q_OBJECT
public:
    explicit LibraryWatch(LibraryFiles files, QObject* parent = nullptr);

signals:
    // `listChanged`: program files came or went, or the ticks of `FileNames.txt` may have
    // changed. `programs`: the programs whose files were rewritten or removed.
    void changed(bool listChanged, const QStringList& programs);

private:
    void settled(const QStringList& files, bool folderChanged);
    void followListed();

    LibraryFiles m_files;
    FileFollower* m_follower;
    QStringList m_names;                 // the programs listed when last looked
    QHash<QString, QString> m_programOf; // their files' paths, and the program of each
};
