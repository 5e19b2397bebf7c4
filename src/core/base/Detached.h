#pragma once

#include <QFuture>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>

// Blocking work off the main thread, on the shared pool, not awaited. The
// work must touch nothing the main thread owns; its result comes back through
// the future (QFutureWatcher, or then() with a context object).
namespace Detached {

template <typename T> QFuture<T> run(std::function<T()> work)
{
    const auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    QThreadPool::globalInstance()->start([promise, work = std::move(work)] {
        promise->start();
        promise->addResult(work());
        promise->finish();
    });
    return future;
}

} // namespace Detached
