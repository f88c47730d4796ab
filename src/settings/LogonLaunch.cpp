#include "settings/LogonLaunch.h"

#include "core/AtomicWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
QString& executableOverride()
{
    static QString value;
    return value;
}

// The user is told the number of the step that failed, for the Run key and the autostart entry
// alike.
Outcome failedOpening(int number)
{
    return Outcome::failed(QStringLiteral("Error ") + QString::number(number) +
                           QStringLiteral(" opening key\r\n"));
}

Outcome failedSetting(int number)
{
    return Outcome::failed(QStringLiteral("Error ") + QString::number(number) +
                           QStringLiteral(" setting key\r\n"));
}

Outcome failedOther(int number, const QString& description)
{
    return Outcome::failed(QString::number(number) + QLatin1Char(' ') + description);
}

// One argument of a desktop entry's Exec line, quoted so that spaces and the characters the
// launcher treats specially reach the program as they are.
QString quotedExecArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%'); // a lone % would start a field code
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

// A desktop entry's values are read with the string escapes undone before the Exec quoting
// is applied, so each backslash of the quoted line must be written twice (and a launcher that
// meets an unknown escape such as "\$" rejects the whole line).
QString escapedStringValue(const QString& value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else
            escaped += c;
    }
    return escaped;
}
} // namespace

QString LogonLaunch::executablePath()
{
    if (!executableOverride().isEmpty())
        return executableOverride();
    return QCoreApplication::applicationFilePath();
}

void LogonLaunch::setExecutablePathOverride(const QString& path)
{
    executableOverride() = path;
}

Outcome LogonLaunch::UpdateRunValue(const QString& name, const QString& folder, bool run)
{
    // The folder is where the program runs from now, so a program that was moved registers
    // its new place.
    const QString fileName = QFileInfo(executablePath()).fileName();
    const QString executable =
        folder.isEmpty() ? executablePath() : QDir(folder).absoluteFilePath(fileName);
#ifdef Q_OS_WIN
    QSettings runKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                    "CurrentVersion\\Run"),
                     QSettings::NativeFormat);
    return writeRunValue(runKey, name, executable, run);
#else
    return writeAutostartEntry(name, executable, run);
#endif
}

bool LogonLaunch::HasRunValue(const QString& name)
{
#ifdef Q_OS_WIN
    QSettings runKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                    "CurrentVersion\\Run"),
                     QSettings::NativeFormat);
    return hasRunValue(runKey, name);
#else
    return hasAutostartEntry(name);
#endif
}

QString LogonLaunch::runValueData(const QString& executablePath)
{
    QString path = executablePath;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (path.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        path.chop(4);
    // Unquoted, a path with spaces would make Windows try "C:\Program" first.
    return QLatin1Char('"') + path + QStringLiteral(".exe\" /STARTUP");
}

Outcome LogonLaunch::writeRunValue(QSettings& runKey, const QString& name,
                                   const QString& executablePath, bool run)
{
    if (!runKey.isWritable())
        return failedOpening(QSettings::AccessError);
    if (run)
        runKey.setValue(name, runValueData(executablePath));
    else
        runKey.remove(name);
    runKey.sync();
    // A value that could not be deleted is not reported: the next start-up shows it again.
    if (!run)
        return {};
    switch (runKey.status()) {
    case QSettings::NoError:
        break;
    case QSettings::AccessError:
        return failedSetting(QSettings::AccessError);
    case QSettings::FormatError:
        return failedOther(QSettings::FormatError, QStringLiteral("The Run key could not be read"));
    }
    return {};
}

bool LogonLaunch::hasRunValue(QSettings& runKey, const QString& name)
{
    runKey.sync();
    return runKey.status() == QSettings::NoError && runKey.contains(name);
}

QString LogonLaunch::autostartFilePath(const QString& name)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return {};
    return config + QStringLiteral("/autostart/") + name + QStringLiteral(".desktop");
}

QByteArray LogonLaunch::autostartEntry(const QString& executablePath)
{
    const QString exec =
        escapedStringValue(quotedExecArgument(executablePath) + QStringLiteral(" /STARTUP"));
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Zentrivo\n"
                             "Exec=") +
           exec.toUtf8() + '\n';
}

Outcome LogonLaunch::writeAutostartEntry(const QString& name, const QString& executablePath,
                                         bool run)
{
    const QString path = autostartFilePath(name);
    if (!run) {
        // A missing entry is no error, and a failure to delete is not reported.
        if (!path.isEmpty())
            QFile::remove(path);
        return {};
    }
    if (path.isEmpty())
        return failedOther(QFileDevice::OpenError,
                           QStringLiteral("The folder for autostart entries is unknown"));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return failedOpening(QFileDevice::OpenError);
    const AtomicWrite::Result written = AtomicWrite::replace(path, autostartEntry(executablePath));
    if (written.failedStep == AtomicWrite::Step::Open)
        return failedOpening(written.error);
    if (!written.ok())
        return failedSetting(written.error);
    return {};
}

bool LogonLaunch::hasAutostartEntry(const QString& name)
{
    const QString path = autostartFilePath(name);
    return !path.isEmpty() && QFileInfo(path).isFile();
}
