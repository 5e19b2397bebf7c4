#pragma once

#include <QFuture>
#include <QPromise>

#include <functional>
#include <memory>
#include <thread>

// Blocking work off the main thread, on a thread of its own that nobody
// waits for: a call that hangs (a D-Bus service that never answers) cannot
// hold up quitting, as work on Qt's shared pool would, whose threads are
// awaited at exit. The work must touch nothing the main thread owns; its
// result comes back through the future (QFutureWatcher, or then() with a
// context object).
namespace Detached {

template <typename T> QFuture<T> run(std::function<T()> work)
{
    const auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    std::thread([promise, work = std::move(work)] {
        promise->start();
        promise->addResult(work());
        promise->finish();
    }).detach();
    return future;
}

} // namespace Detached
