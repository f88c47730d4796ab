#pragma once

#include "library/LibraryTypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The message library on disk: one file per program in `<folder>/plugins`, and the
// selection list `<folder>/FileNames.txt`. Every write replaces the whole file at once;
// every write returns an empty string on success, else a text that says what failed.
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

    // A name that may become a file name inside `plugins`: no path separator, no "..", no
    // drive or colon, no control character, not empty.
    static bool isSafeName(const QString& name);

    // The program's file, found without regard to the letter case of its name; empty for
    // a name that is not safe.
    QString programPath(const QString& name) const;
    bool programExists(const QString& name) const;

    // All records of the program's file; nothing when it is missing or unreadable.
    std::optional<QList<MessageEntry>> readProgram(const QString& name) const;
    QString writeProgram(const QString& name, const QList<MessageEntry>& messages) const;
    QString createProgram(const QString& name) const;
    bool deleteProgram(const QString& name) const;

    bool hasSelectionList() const;
    // The records of `FileNames.txt`; nothing when it is missing.
    std::optional<QList<SelectionEntry>> readSelectionList() const;
    QString writeSelectionList(const QList<SelectionEntry>& entries) const;

    // The program list built at start-up and after a delete: every listed program, ticked
    // as the selection list says (names matched without regard to letter case, the last
    // record deciding). The selection list is rewritten only when it already exists, so a
    // first run leaves no trace; *writeError receives what a failed rewrite reported.
    QList<SelectionEntry> LoadProgramList(QString* writeError = nullptr) const;

private:
    QString m_folder;
};
