#pragma once

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <utility>

// The screen as the rig's display server shows it (RIG_DISPLAY): the X
// server's root window on Xvfb; on a Wayland compositor its own picture,
// since XWayland's root window holds nothing of what is shown.
namespace Screenshot {

inline QImage take()
{
    QTemporaryDir folder;
    const QString session = qEnvironmentVariable("RIG_DISPLAY");
    QProcess tool;
    tool.setWorkingDirectory(folder.path());
    if (session == QLatin1String("weston")) // names the picture itself, in its folder
        tool.start(QStringLiteral("weston-screenshooter"), {});
    else if (session == QLatin1String("sway"))
        tool.start(QStringLiteral("grim"), {QStringLiteral("screen.png")});
    else
        tool.start(QStringLiteral("import"),
                   {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("screen.png")});
    if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
        return {};
    const QStringList pictures = QDir(folder.path()).entryList({QStringLiteral("*.png")});
    return pictures.isEmpty() ? QImage() : QImage(folder.filePath(pictures.first()));
}

// The run of black pixels in row `y` around `x` (the halo's shape and
// card): its first and last column, -1 for both when `x` is not black.
inline std::pair<int, int> blackRun(const QImage &image, int x, int y)
{
    const auto black = [&](int at) {
        const QColor colour = image.pixelColor(at, y);
        return at >= 0 && at < image.width() && qMax(colour.red(), qMax(colour.green(), colour.blue())) <= 16;
    };
    if (y >= image.height() || !black(x))
        return {-1, -1};
    int first = x;
    int last = x;
    while (black(first - 1))
        --first;
    while (black(last + 1))
        ++last;
    return {first, last};
}

} // namespace Screenshot
