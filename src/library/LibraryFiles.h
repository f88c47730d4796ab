#pragma once

#include "core/Outcome.h"
#include "library/Record.h"
#include "library/RecordStore.h"

#include <QList>
#include <QString>
#include <QStringList>

// The message library on disk: one file per program in `<folder>/plugins`, and the
// selection list `<folder>/FileNames.txt`. Every write replaces the whole file at once. A step
// that fails says why in words that follow the file's name: "could not be written (No space
// left on device)". A file that exists but cannot be read is never written over: what it
// holds would be lost.
class LibraryFiles
{
public:
    explicit LibraryFiles(QString appFolder);

    QString appFolder() const { return m_folder; }
    QString pluginsPath() const;
    QString selectionPath() const;
    bool hasPluginsFolder() const;

    // Program names in listing order: the ordinary, non-hidden "*.txt" files of `plugins`
    // (any letter case), sorted by name without regard to letter case.
    QStringList listPrograms() const;

    // A name that names a file inside `plugins` and nothing outside it: not empty, not "." or
    // "..", no path separator, no control character. Every name the folder listing gives is
    // one. A name the user types keeps the stricter rules of ProgramNames::checkNewName.
    static bool isSafeName(const QString& name);

    // The program's file, found without regard to the letter case of its name; empty for
    // a name that is not safe.
    QString programPath(const QString& name) const;
    bool programExists(const QString& name) const;

    // The records a file held; none when the read failed. A missing file (or a name that names
    // none) fails with `missing` set: there was nothing to read, and writing loses nothing. A
    // file that is there but cannot be read fails without it.
    struct [[nodiscard]] Read
    {
        QList<Record> records;
        bool missing = false;
        Outcome outcome;

        bool ok() const { return outcome.ok(); }
        const QString& why() const { return outcome.why(); }
    };

    // All records of the program's file, its messages.
    Read readProgram(const QString& name) const;
    // The same, held compactly for the message list. Touches nothing but the file, so it may
    // run on another thread.
    struct [[nodiscard]] Messages
    {
        RecordStore records;
        bool missing = false;
        Outcome outcome;

        bool ok() const { return outcome.ok(); }
        const QString& why() const { return outcome.why(); }
    };
    Messages readMessages(const QString& name) const;
    // A file read as UTF-8 whose messages Windows-1252 cannot all hold is written back as
    // UTF-8, so no message loses a character.
    Outcome writeProgram(const QString& name, const QList<Record>& messages) const;
    Outcome writeMessages(const QString& name, const RecordStore& messages) const;
    Outcome createProgram(const QString& name) const;
    Outcome deleteProgram(const QString& name) const;

    bool hasSelectionList() const;
    // The records of `FileNames.txt`: program names and their ticks.
    Read readSelectionList() const;
    // A program whose name the file cannot hold (RecordFormat::firstUnstorable) is left out,
    // so one such file never keeps the others' ticks from being saved.
    Outcome writeSelectionList(const QList<Record>& programs) const;
    // `programs` ticked as `FileNames.txt` holds them now; all unticked when it cannot be read.
    QList<Record> withStoredTicks(QList<Record> programs) const;

    struct ProgramList
    {
        QList<Record> entries;
        Outcome selectionRead;    // fails when the selection list exists but cannot be read
        Outcome selectionRewrite; // fails when its rewrite failed
    };
    // The program list built at start-up and after a delete: every listed program, ticked
    // as the selection list says (names matched without regard to letter case, the last
    // record deciding). The selection list is rewritten only when it already exists and
    // could be read, so a first run leaves no trace and ticks that could not be read are
    // never overwritten.
    ProgramList LoadProgramList() const;

private:
    QString m_folder;
};
