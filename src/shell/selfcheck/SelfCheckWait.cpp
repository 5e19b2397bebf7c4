#include "SelfCheckWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace SelfCheckWait {

bool until(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    // Some of what is waited for (another client's view of our windows) sends no
    // signal here, so it is looked at again every few milliseconds.
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

} // namespace SelfCheckWait
