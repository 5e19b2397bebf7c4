#include "PulseInputDeviceControl.h"

#include "Log.h"
#include "PulseConnection.h"
#include "PulseDrain.h"
#include "QuietMicDriver.h"

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/volume.h>

// What a write's callback needs.
struct PulseInputDeviceControl::Write : PulseOperations::Data {
    PulseInputDeviceControl *owner = nullptr;
    QString uid;
    Done done;
};

PulseInputDeviceControl::PulseInputDeviceControl(PulseConnection &connection, QObject *parent)
    : InputDeviceControl(parent)
    , m_connection(connection)
{}

PulseInputDeviceControl::~PulseInputDeviceControl() = default;

std::optional<InputDevice> PulseInputDeviceControl::inputFrom(const pa_source_info &info)
{
    const QString name = QString::fromUtf8(info.name);
    if (info.monitor_of_sink != PA_INVALID_INDEX || name == QLatin1String(QuietMicDriver::uid))
        return std::nullopt;
    InputDevice device;
    device.uid = name;
    device.name = info.description ? QString::fromUtf8(info.description) : QString();
    device.mute = info.mute != 0;
    for (quint8 channel = 0; channel < info.volume.channels; ++channel)
        device.volumes.append(info.volume.values[channel]);
    return device;
}

void PulseInputDeviceControl::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(&m_connection, &PulseConnection::ready, this, &PulseInputDeviceControl::readAll);
    connect(&m_connection, &PulseConnection::lost, this, &PulseInputDeviceControl::onLost);
    connect(&m_connection, &PulseConnection::subscriptionEvent, this, &PulseInputDeviceControl::onEvent);
    m_connection.subscribe(PA_SUBSCRIPTION_MASK_SOURCE);
    m_connection.start();
    if (m_connection.isReady())
        readAll();
}

void PulseInputDeviceControl::readAll()
{
    pa_context *context = m_connection.context();
    if (!context)
        return;
    m_sources.clear();
    m_operations.keep(pa_context_get_source_info_list(
        context,
        [](pa_context *, const pa_source_info *info, int eol, void *self) {
            auto *control = static_cast<PulseInputDeviceControl *>(self);
            if (eol)
                control->finishListRead();
            else
                control->take(info->index, *info);
        },
        this));
}

void PulseInputDeviceControl::finishListRead()
{
    setAvailable(true);
    Q_EMIT devicesChanged();
}

void PulseInputDeviceControl::readSource(quint32 index)
{
    if (pa_context *context = m_connection.context()) {
        m_operations.keep(pa_context_get_source_info_by_index(
            context, index,
            [](pa_context *, const pa_source_info *info, int eol, void *self) {
                auto *control = static_cast<PulseInputDeviceControl *>(self);
                if (!eol && control->take(info->index, *info))
                    Q_EMIT control->devicesChanged();
            },
            this));
    }
}

void PulseInputDeviceControl::readSource(const QString &uid)
{
    if (pa_context *context = m_connection.context()) {
        m_operations.keep(pa_context_get_source_info_by_name(
            context, uid.toUtf8().constData(),
            [](pa_context *, const pa_source_info *info, int eol, void *self) {
                auto *control = static_cast<PulseInputDeviceControl *>(self);
                if (!eol && control->take(info->index, *info))
                    Q_EMIT control->devicesChanged();
            },
            this));
    }
}

bool PulseInputDeviceControl::take(quint32 index, const pa_source_info &info)
{
    const std::optional<InputDevice> device = inputFrom(info);
    if (!device)
        return m_sources.remove(index) > 0;
    // Possibly read before a write of ours; read again once it is confirmed.
    if (m_unconfirmedWrites.value(device->uid) > 0)
        return false;
    const auto existing = m_sources.constFind(index);
    if (existing != m_sources.constEnd() && *existing == *device)
        return false;
    m_sources.insert(index, *device);
    return true;
}

void PulseInputDeviceControl::onEvent(int facility, int type, quint32 index)
{
    if (facility != PA_SUBSCRIPTION_EVENT_SOURCE || !m_available)
        return;
    if (type == PA_SUBSCRIPTION_EVENT_REMOVE) {
        if (m_sources.remove(index) > 0)
            Q_EMIT devicesChanged();
        return;
    }
    readSource(index);
}

void PulseInputDeviceControl::onLost()
{
    m_sources.clear();
    m_unconfirmedWrites.clear();
    setAvailable(false);
    Q_EMIT devicesChanged();
}

void PulseInputDeviceControl::setAvailable(bool available)
{
    if (m_available == available)
        return;
    m_available = available;
    Q_EMIT availableChanged(available);
}

bool PulseInputDeviceControl::write(const QString &uid, Done done, const StartWrite &startWrite)
{
    pa_context *context = m_connection.context();
    if (!context)
        return false; // no server: nobody to refuse or confirm
    auto pending = std::make_unique<Write>();
    pending->owner = this;
    pending->uid = uid;
    pending->done = std::move(done);
    Write *w = pending.get();
    const auto confirmed = [](pa_context *, int success, void *data) {
        auto *confirmedWrite = static_cast<Write *>(data);
        confirmedWrite->owner->finishWrite(*confirmedWrite, success != 0);
    };
    pa_operation *operation = startWrite(context, confirmed, w);
    if (!operation) {
        qCWarning(lcAudio).noquote().nospace()
            << "input " << uid << " cannot be changed: " << pa_strerror(pa_context_errno(context));
        if (w->done)
            w->done(false);
        return false;
    }
    ++m_unconfirmedWrites[uid];
    m_operations.keep(operation, std::move(pending));
    return true;
}

void PulseInputDeviceControl::showAsAsked(const QString &uid,
                                          const std::function<void(InputDevice &)> &change)
{
    for (InputDevice &device : m_sources) {
        if (device.uid != uid)
            continue;
        const InputDevice before = device;
        change(device);
        if (device != before)
            Q_EMIT devicesChanged();
    }
}

void PulseInputDeviceControl::finishWrite(Write &write, bool ok)
{
    const auto it = m_unconfirmedWrites.find(write.uid);
    if (it != m_unconfirmedWrites.end() && --*it <= 0) {
        m_unconfirmedWrites.erase(it);
        readSource(write.uid);
    }
    if (!ok)
        qCWarning(lcAudio).noquote().nospace() << "the audio server refused a change of input " << write.uid;
    if (write.done)
        write.done(ok);
}

void PulseInputDeviceControl::setMute(const QString &uid, bool mute, Done done)
{
    const QByteArray name = uid.toUtf8();
    // Only a write on its way is shown: one refused at once would otherwise be
    // taken back by the next read and look like somebody else's change.
    if (write(uid, std::move(done),
              [&name, mute](pa_context *context, pa_context_success_cb_t confirmed, void *data) {
                  return pa_context_set_source_mute_by_name(context, name.constData(), mute ? 1 : 0,
                                                            confirmed, data);
              }))
        showAsAsked(uid, [mute](InputDevice &device) { device.mute = mute; });
}

void PulseInputDeviceControl::setVolumes(const QString &uid, const QList<quint32> &volumes, Done done)
{
    pa_cvolume volume;
    pa_cvolume_init(&volume);
    if (!volumes.isEmpty() && volumes.size() <= PA_CHANNELS_MAX) {
        volume.channels = quint8(volumes.size());
        for (qsizetype channel = 0; channel < volumes.size(); ++channel)
            volume.values[channel] = volumes.at(channel);
    }
    if (!pa_cvolume_valid(&volume)) {
        qCWarning(lcAudio).noquote().nospace() << "input " << uid << " not changed: volumes out of range";
        if (done)
            done(false);
        return;
    }
    const QByteArray name = uid.toUtf8();
    if (write(uid, std::move(done),
              [&name, &volume](pa_context *context, pa_context_success_cb_t confirmed, void *data) {
                  return pa_context_set_source_volume_by_name(context, name.constData(), &volume, confirmed,
                                                              data);
              }))
        showAsAsked(uid, [&volumes](InputDevice &device) {
            if (device.volumes.size() == volumes.size())
                device.volumes = volumes;
        });
}

bool PulseInputDeviceControl::settle(int timeoutMs)
{
    return PulseDrain::wait(m_connection, timeoutMs);
}
