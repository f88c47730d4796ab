#include "core/AppFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

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

QString AppFolder::path()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return QCoreApplication::applicationDirPath();
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
