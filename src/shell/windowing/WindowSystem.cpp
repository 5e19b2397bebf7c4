#include "WindowSystem.h"

#include "Log.h"

#include <QGuiApplication>
#include <QScreen>

namespace WindowSystem {

QByteArray platformFor(const QProcessEnvironment &env)
{
    if (!env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return {};
    const bool wayland = env.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland") ||
                         !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (!wayland || env.value(QStringLiteral("DISPLAY")).isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

void choosePlatform()
{
    const QByteArray platform = platformFor(QProcessEnvironment::systemEnvironment());
    if (platform.isEmpty())
        return;
    qCInfo(lcShell) << "a Wayland session: windows go through XWayland";
    qputenv("QT_QPA_PLATFORM", platform);
}

Kind current()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return Kind::Other;
    // XWayland names every output after itself.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen && screen->name().startsWith(QLatin1String("XWAYLAND")))
        return Kind::XWayland;
    return Kind::X11;
}

Qt::WindowFlags overlayFlags()
{
    if (current() == Kind::XWayland)
        return Qt::X11BypassWindowManagerHint;
    return {};
}

} // namespace WindowSystem
