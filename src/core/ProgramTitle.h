#pragma once

#include <QString>

// The program's name and version as its windows and the About page show it.
inline QString programTitle()
{
    return QStringLiteral("Zentrivo v1.0");
}
