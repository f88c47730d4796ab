#pragma once

#include <QString>

// The application folder: the folder that holds the program's library (`plugins`,
// `FileNames.txt`) and its goal files. Tests point it at a temporary folder.
class AppFolder
{
public:
    static QString path();
    static void setOverride(const QString& folder);

    // The executable's base name: file name without folder and extension. It names the
    // settings store, the log-on entry and the single-instance server.
    static QString baseName();
    static void setBaseNameOverride(const QString& name);
};
