#include "display/PlatformChoice.h"

#include <QByteArray>
#include <QString>

void choosePlatformBeforeQApplication()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    const bool wayland = qEnvironmentVariable("XDG_SESSION_TYPE")
                                 .compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 ||
                         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}
