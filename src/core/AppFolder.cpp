#include "core/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString& folderOverride()
{
    static QString value;
    return value;
}
QString& baseNameOverride()
{
    static QString value;
    return value;
}
} // namespace

bool AppFolder::isInstalledLayout()
{
#ifdef ZENTRIVO_INSTALLED_LAYOUT
    return true;
#else
    return false;
#endif
}

QString AppFolder::path()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    if (!isInstalledLayout())
        return QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA")) +
           QStringLiteral("/Zentrivo");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zentrivo");
#endif
}

QString AppFolder::installedLibraryPath()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/zentrivo"));
}

namespace {
bool copyTree(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return true;
}
} // namespace

Outcome AppFolder::prepare()
{
    if (!isInstalledLayout() || !folderOverride().isEmpty())
        return {};
    const QString folder = path();
    if (QFileInfo::exists(folder))
        return {};
    // Seed a folder beside it, then rename it into place, so an interrupted first start
    // never leaves a half-filled library behind.
    const QString seed = folder + QStringLiteral(".seeding");
    QDir(seed).removeRecursively();
    const QString source = installedLibraryPath();
    bool ok = copyTree(source + QStringLiteral("/plugins"), seed + QStringLiteral("/plugins"));
    if (ok && QFileInfo::exists(source + QStringLiteral("/FileNames.txt")))
        ok = QFile::copy(source + QStringLiteral("/FileNames.txt"),
                         seed + QStringLiteral("/FileNames.txt"));
    if (ok)
        ok = QDir().rename(seed, folder);
    if (!ok) {
        QDir(seed).removeRecursively();
        if (!QDir().mkpath(folder))
            return Outcome::failed(QStringLiteral("could not be made"));
    }
    return {};
}

void AppFolder::setOverride(const QString& folder)
{
    folderOverride() = folder;
}

QString AppFolder::baseName()
{
    if (!baseNameOverride().isEmpty())
        return baseNameOverride();
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return name.isEmpty() ? QStringLiteral("zentrivo") : name;
}

void AppFolder::setBaseNameOverride(const QString& name)
{
    baseNameOverride() = name;
}
