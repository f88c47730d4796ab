#pragma once

#include "core/Outcome.h"

#include <QString>

// The application folder: the folder that holds the program's library (`plugins`,
// `FileNames.txt`) and its goal files. Tests point it at a temporary folder.
class AppFolder
{
public:
    // The portable build keeps the library beside the executable. The packaged build keeps it
    // in a folder per user ($XDG_DATA_HOME/zentrivo, %LOCALAPPDATA%\Zentrivo on Windows).
    static QString path();
    static bool isInstalledLayout();

    // The packaged build, the first time the per-user folder does not exist: creates it and
    // fills it with the installed starter library (`plugins` and `FileNames.txt`). A folder that
    // exists is left alone, also when it has lost its `plugins` folder. Fails when the folder
    // could not be made.
    static Outcome prepare();
    // Where the packaged build finds its starter library: <prefix>/share/zentrivo.
    static QString installedLibraryPath();
    static void setOverride(const QString& folder);

    // The executable's base name: file name without folder and extension. It names the
    // settings store, the log-on entry and the single-instance server.
    static QString baseName();
    static void setBaseNameOverride(const QString& name);
};
