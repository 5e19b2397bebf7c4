#include "PulseDrain.h"

#include "PulseConnection.h"

#include <QEventLoop>
#include <QTimer>

#include <pulse/context.h>
#include <pulse/operation.h>

namespace PulseDrain {

bool wait(PulseConnection &connection, int timeoutMs)
{
    pa_context *context = connection.context();
    if (!context || !pa_context_is_pending(context))
        return true;
    QEventLoop loop;
    bool drained = false;
    struct Waiter {
        QEventLoop *loop;
        bool *drained;
    } waiter{&loop, &drained};
    pa_operation *operation = pa_context_drain(
        context,
        [](pa_context *, void *data) {
            auto *w = static_cast<Waiter *>(data);
            *w->drained = true;
            w->loop->quit();
        },
        &waiter);
    if (!operation)
        return true;
    // A server that goes away meanwhile answers nothing more.
    QObject::connect(&connection, &PulseConnection::lost, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!drained)
        loop.exec();
    if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return drained;
}

} // namespace PulseDrain
