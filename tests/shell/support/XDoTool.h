#pragma once

#include <QEventLoop>
#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTimer>

// Real pointer events on the rig's X server, through xdotool (XTest).
namespace XDoTool {

inline bool run(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// xdotool while this process keeps answering the X server (a drag waits
// for its target's answers).
inline bool drive(const QStringList &arguments)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForStarted())
        return false;
    QEventLoop loop;
    QObject::connect(&xdotool, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

inline QStringList moveTo(QPoint at)
{
    return {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())};
}

inline bool move(QPoint at)
{
    return run(moveTo(at));
}

// Until a window of that name is mapped.
inline bool awaitWindow(const QString &name)
{
    return run({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--name"), name});
}

inline bool click(QPoint at)
{
    return run(moveTo(at) + QStringList{QStringLiteral("click"), QStringLiteral("1")});
}

} // namespace XDoTool
