#include "PulseConnection.h"

#include "Log.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <pulse/error.h>
#include <pulse/glib-mainloop.h>
#include <pulse/operation.h>

#include <algorithm>

namespace {

constexpr int firstRetryMs = 250;
constexpr int longestRetryMs = 8000;

} // namespace

PulseConnection::PulseConnection(QString server, QObject *parent)
    : QObject(parent)
    , m_server(std::move(server))
    , m_retryPauseMs(firstRetryMs)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &PulseConnection::retry);
}

PulseConnection::~PulseConnection()
{
    dropContext();
    if (m_mainloop)
        pa_glib_mainloop_free(m_mainloop);
}

void PulseConnection::release(pa_operation *operation)
{
    if (operation)
        pa_operation_unref(operation);
}

void PulseConnection::start()
{
    if (m_started)
        return;
    m_started = true;
    // libpulse is driven by GLib's default context, which only Qt's GLib
    // dispatcher runs; any other dispatcher would leave it silent forever.
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib")) {
        qCWarning(lcAudio).noquote().nospace()
            << "audio server not watched: Qt is not running the GLib event loop (is QT_NO_GLIB set?)";
        return;
    }
    m_mainloop = pa_glib_mainloop_new(nullptr);
    connectToServer();
}

void PulseConnection::subscribe(pa_subscription_mask_t facilities)
{
    const int before = m_mask;
    m_mask |= facilities;
    if (m_mask != before)
        applySubscription();
}

void PulseConnection::applySubscription()
{
    if (!m_ready || m_mask == PA_SUBSCRIPTION_MASK_NULL)
        return;
    release(pa_context_subscribe(m_context, pa_subscription_mask_t(m_mask), nullptr, nullptr));
}

void PulseConnection::connectToServer()
{
    dropContext();
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tarnwick");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, QCoreApplication::applicationName().toUtf8().constData());
    m_context = pa_context_new_with_proplist(pa_glib_mainloop_get_api(m_mainloop), "Tarnwick", props);
    pa_proplist_free(props);
    if (!m_context) {
        qCWarning(lcAudio).noquote().nospace() << "audio server: cannot create a libpulse context";
        return;
    }
    pa_context_set_state_callback(
        m_context, [](pa_context *, void *self) { static_cast<PulseConnection *>(self)->onStateChanged(); },
        this);
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context *, pa_subscription_event_type_t type, uint32_t index, void *self) {
            static_cast<PulseConnection *>(self)->onEvent(type, index);
        },
        this);
    // NOFAIL: a missing server is waited for instead of failing at once.
    const QByteArray server = m_server.toUtf8();
    const pa_context_flags_t flags = pa_context_flags_t(PA_CONTEXT_NOAUTOSPAWN | PA_CONTEXT_NOFAIL);
    // A connection that fails at once may have reported it already (and the
    // context is gone), or not.
    if (pa_context_connect(m_context, server.isEmpty() ? nullptr : server.constData(), flags, nullptr) < 0 &&
        m_context)
        onStateChanged();
    if (!m_ready)
        armRetry();
}

void PulseConnection::armRetry()
{
    if (m_retry.isActive())
        return;
    m_retry.start(m_retryPauseMs);
    m_retryPauseMs = std::min(m_retryPauseMs * 2, longestRetryMs);
}

void PulseConnection::retry()
{
    if (m_ready)
        return;
    const pa_context_state_t state = m_context ? pa_context_get_state(m_context) : PA_CONTEXT_FAILED;
    if (state == PA_CONTEXT_AUTHORIZING || state == PA_CONTEXT_SETTING_NAME) {
        armRetry(); // on its way: leave it be
        return;
    }
    connectToServer();
}

void PulseConnection::dropContext()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

void PulseConnection::onStateChanged()
{
    const pa_context_state_t state = pa_context_get_state(m_context);
    if (state == PA_CONTEXT_READY) {
        m_ready = true;
        m_retry.stop();
        m_retryPauseMs = firstRetryMs;
        qCInfo(lcAudio).noquote().nospace() << "audio server connected: " << pa_context_get_server(m_context);
        applySubscription();
        Q_EMIT ready();
        return;
    }
    if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED)
        return;
    // libpulse holds its own reference while it calls us, so the context may go now.
    const bool wasReady = m_ready;
    m_ready = false;
    if (wasReady) {
        qCInfo(lcAudio).noquote().nospace()
            << "audio server lost: " << pa_strerror(pa_context_errno(m_context));
        dropContext();
        Q_EMIT lost();
        // A fresh NOFAIL connection waits for the server's return where libpulse can.
        QMetaObject::invokeMethod(this, &PulseConnection::connectToServer, Qt::QueuedConnection);
        return;
    }
    if (m_retryPauseMs == firstRetryMs)
        qCInfo(lcAudio).noquote().nospace()
            << "audio server not reachable (" << pa_strerror(pa_context_errno(m_context))
            << "), waiting for it";
    dropContext();
    armRetry();
}

void PulseConnection::onEvent(pa_subscription_event_type_t type, quint32 index)
{
    Q_EMIT subscriptionEvent(type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK,
                             type & PA_SUBSCRIPTION_EVENT_TYPE_MASK, index);
}
