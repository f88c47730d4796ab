#pragma once

#include "library/LibraryTypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The message library on disk: one file per program in `<folder>/plugins`, and the
// selection list `<folder>/FileNames.txt`. Every write replaces the whole file at once and
// returns an empty string on success, else what happened, as words that follow the file's
// name: "could not be written (No space left on device)". A file that exists but cannot be
// read is never written over: what it holds would be lost.
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
    // one. A name the user types keeps the stricter rules of ProgramNames::refusal.
    static bool isSafeName(const QString& name);

    // The program's file, found without regard to the letter case of its name; empty for
    // a name that is not safe.
    QString programPath(const QString& name) const;
    bool programExists(const QString& name) const;

    // All records of the program's file; nothing when it is missing or cannot be read, and
    // then *error says why it could not be read (empty when it is missing).
    std::optional<QList<MessageEntry>> readProgram(const QString& name,
                                                   QString* error = nullptr) const;
    // A file read as UTF-8 whose messages Windows-1252 cannot all hold is written back as
    // UTF-8, so no message loses a character.
    QString writeProgram(const QString& name, const QList<MessageEntry>& messages) const;
    QString createProgram(const QString& name) const;
    bool deleteProgram(const QString& name) const;

    bool hasSelectionList() const;
    // The records of `FileNames.txt`; nothing when it is missing or cannot be read, and then
    // *error says why it could not be read (empty when it is missing).
    std::optional<QList<SelectionEntry>> readSelectionList(QString* error = nullptr) const;
    // A program whose name the file cannot hold (a character outside Windows-1252, a double
    // quote) is left out, so one such file never keeps the others' ticks from being saved;
    // *unstorable receives those names.
    QString writeSelectionList(const QList<SelectionEntry>& entries,
                               QStringList* unstorable = nullptr) const;

    struct ProgramList
    {
        QList<SelectionEntry> entries;
        QString readError;  // the selection list exists but could not be read
        QString writeError; // its rewrite failed
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
