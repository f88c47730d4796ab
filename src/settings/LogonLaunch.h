#pragma once

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>

class QSettings;

// Launching the program when the user logs on. On Windows a value under the current user's
// Run key, elsewhere an XDG autostart entry; both are named after the executable's base name,
// and the entry on disk is the only record of the choice. The launched command line is the
// executable, quoted, followed by " /STARTUP", by which start-up recognises a log-on launch.
class LogonLaunch
{
public:
    // Writes (run true) or removes (run false) the log-on entry called `name` for the
    // executable of that file name in `folder`. When writing fails, why() is the whole text
    // the user is shown, with the number of the step that failed; a missing entry to remove,
    // or one that could not be removed, is no failure.
    static Outcome UpdateRunValue(const QString& name, const QString& folder, bool run);
    // Whether a log-on entry called `name` exists; every failure answers false.
    static bool HasRunValue(const QString& name);

    // The executable the entry launches: the running one unless a test says otherwise.
    static QString executablePath();
    static void setExecutablePathOverride(const QString& path); // empty restores the default

    // The Run value on any QSettings opened at the Run key (the registry on Windows, an INI
    // file in tests).
    static QString runValueData(const QString& executablePath);
    static Outcome writeRunValue(QSettings& runKey, const QString& name,
                                 const QString& executablePath, bool run);
    static bool hasRunValue(QSettings& runKey, const QString& name);

    // The XDG autostart entry.
    static QString autostartFilePath(const QString& name);
    static QByteArray autostartEntry(const QString& executablePath);
    static Outcome writeAutostartEntry(const QString& name, const QString& executablePath,
                                       bool run);
    static bool hasAutostartEntry(const QString& name);
};
