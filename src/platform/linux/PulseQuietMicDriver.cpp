#include "PulseQuietMicDriver.h"

#include "AudioServerStartup.h"
#include "Log.h"
#include "PulseConnection.h"

#include <pulse/error.h>
#include <pulse/introspect.h>

// What a module load or a default change calls back with.
struct PulseQuietMicDriver::Call : PulseOperations::Data {
    PulseQuietMicDriver *owner = nullptr;
    std::function<void(bool ok)> done;
};

PulseQuietMicDriver::PulseQuietMicDriver(PulseConnection &connection, QString configHome, QObject *parent)
    : QuietMicDriver(parent)
    , m_connection(connection)
    , m_configHome(std::move(configHome))
    , m_noise(connection)
{}

PulseQuietMicDriver::~PulseQuietMicDriver() = default;

QuietMicPersistence PulseQuietMicDriver::persistence() const
{
    pa_context *context = m_connection.context();
    const char *server = context ? pa_context_get_server(context) : nullptr;
    if (const std::optional<AudioServerStartup> startup =
            AudioServerStartup::ofServer(server ? QString::fromUtf8(server) : QString()))
        return QuietMicPersistence(*startup);
    qCInfo(lcAudio).noquote().nospace() << "the audio server's process cannot be seen; keeping the quiet "
                                           "microphone in the configuration under "
                                        << m_configHome;
    return QuietMicPersistence(m_configHome);
}

void PulseQuietMicDriver::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(&m_connection, &PulseConnection::ready, this, &PulseQuietMicDriver::requestRead);
    connect(&m_connection, &PulseConnection::lost, this, &PulseQuietMicDriver::onLost);
    connect(&m_connection, &PulseConnection::subscriptionEvent, this,
            [this](int facility, int type, quint32) {
                // Level changes of sources are many and say nothing about what is read here.
                const bool listChange = type != PA_SUBSCRIPTION_EVENT_CHANGE;
                if (facility == PA_SUBSCRIPTION_EVENT_SERVER ||
                    ((facility == PA_SUBSCRIPTION_EVENT_SOURCE || facility == PA_SUBSCRIPTION_EVENT_SINK) &&
                     listChange))
                    requestRead();
            });
    m_connection.subscribe(pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SOURCE |
                                                  PA_SUBSCRIPTION_MASK_SINK));
    m_connection.start();
    if (m_connection.isReady())
        requestRead();
}

bool PulseQuietMicDriver::isPipeWire() const
{
    return m_state.serverName.contains(QLatin1String("PipeWire"), Qt::CaseInsensitive);
}

void PulseQuietMicDriver::requestRead()
{
    // One read at a time; what changes meanwhile is read once more after it.
    if (m_reading)
        m_readAgain = true;
    else
        read();
}

void PulseQuietMicDriver::read()
{
    pa_context *context = m_connection.context();
    if (!context)
        return;
    m_reading = true;
    m_readAgain = false;
    m_unansweredLists = 3;
    m_next = State();
    m_operations.keep(pa_context_get_server_info(
        context,
        [](pa_context *, const pa_server_info *info, void *self) {
            auto *driver = static_cast<PulseQuietMicDriver *>(self);
            if (info) {
                driver->m_next.serverName = QString::fromUtf8(info->server_name);
                driver->m_next.defaultInput = QString::fromUtf8(info->default_source_name);
            }
            driver->listAnswered();
        },
        this));
    m_operations.keep(pa_context_get_source_info_list(
        context,
        [](pa_context *, const pa_source_info *info, int eol, void *self) {
            auto *driver = static_cast<PulseQuietMicDriver *>(self);
            if (eol)
                driver->listAnswered();
            else if (info->monitor_of_sink == PA_INVALID_INDEX)
                driver->m_next.inputs.insert(QString::fromUtf8(info->name));
        },
        this));
    m_operations.keep(pa_context_get_sink_info_by_name(
        context, QuietMicPersistence::sinkName,
        [](pa_context *, const pa_sink_info *info, int eol, void *self) {
            auto *driver = static_cast<PulseQuietMicDriver *>(self);
            if (eol) {
                driver->listAnswered(); // also when there is no such output
                return;
            }
            driver->m_next.sinkPresent = true;
            driver->m_next.sinkRate = info->sample_spec.rate;
        },
        this));
}

void PulseQuietMicDriver::listAnswered()
{
    if (--m_unansweredLists > 0)
        return;
    m_reading = false;
    State state = std::exchange(m_next, State());
    // A default asked for and not yet confirmed is newer than what was read.
    if (m_unconfirmedDefaults > 0)
        state.defaultInput = m_state.defaultInput;
    const bool changed = state != m_state || !m_available;
    m_state = state;
    m_available = true;
    updateNoise();
    if (changed)
        Q_EMIT QuietMicDriver::changed();
    if (m_readAgain)
        read();
}

void PulseQuietMicDriver::onLost()
{
    // Its lists were cancelled with the connection.
    m_reading = false;
    m_readAgain = false;
    m_unconfirmedDefaults = 0;
    m_state = State();
    m_available = false;
    finishInstall({QuietMicProblem::Code::ServerLost, {}, {}});
    Q_EMIT changed();
}

void PulseQuietMicDriver::install(Finished finished)
{
    if (!m_available) {
        finished({QuietMicProblem::Code::NoServer, {}, {}});
        return;
    }
    m_installing.append(std::move(finished));
    if (m_installing.size() > 1)
        return; // joins the install that runs
    if (m_state.sinkPresent) {
        loadInput();
        return;
    }
    loadModule(QuietMicPersistence::modules().at(0), [this](const QuietMicProblem &problem) {
        if (problem.failed())
            finishInstall(problem);
        else
            loadInput();
    });
}

void PulseQuietMicDriver::loadInput()
{
    const auto persist = [this] {
        finishInstall(persistence().add(isPipeWire() ? QuietMicPersistence::Server::PipeWire
                                                     : QuietMicPersistence::Server::PulseAudio));
    };
    if (isInstalled()) {
        persist();
        return;
    }
    loadModule(QuietMicPersistence::modules().at(1), [this, persist](const QuietMicProblem &problem) {
        if (problem.failed())
            finishInstall(problem);
        else
            persist();
    });
}

void PulseQuietMicDriver::finishInstall(const QuietMicProblem &problem)
{
    const QList<Finished> waiting = std::exchange(m_installing, {});
    for (const Finished &finished : waiting)
        finished(problem);
}

void PulseQuietMicDriver::loadModule(const QuietMicPersistence::Module &module,
                                     std::function<void(const QuietMicProblem &problem)> done)
{
    pa_context *context = m_connection.context();
    const auto failure = [context] {
        return QuietMicProblem{QuietMicProblem::Code::ModuleRefused,
                               {},
                               QString::fromUtf8(pa_strerror(context ? pa_context_errno(context)
                                                                     : PA_ERR_CONNECTIONTERMINATED))};
    };
    if (!context) {
        done(failure());
        return;
    }
    auto call = std::make_unique<Call>();
    call->owner = this;
    call->done = [done, failure](bool ok) { done(ok ? QuietMicProblem() : failure()); };
    Call *c = call.get();
    pa_operation *operation = pa_context_load_module(
        context, module.name.constData(), module.arguments.constData(),
        [](pa_context *, uint32_t index, void *data) {
            static_cast<Call *>(data)->done(index != PA_INVALID_INDEX);
        },
        c);
    if (!m_operations.keep(operation, std::move(call)))
        done(failure());
}

QuietMicProblem PulseQuietMicDriver::remove()
{
    setNoise(false);
    unloadModules();
    return persistence().remove();
}

void PulseQuietMicDriver::unloadModules()
{
    pa_context *context = m_connection.context();
    if (!context)
        return;
    m_operations.keep(pa_context_get_module_info_list(
        context,
        [](pa_context *c, const pa_module_info *info, int eol, void *self) {
            if (eol)
                return;
            const QByteArray arguments(info->argument ? info->argument : "");
            // Ours by the names it was given, however it was loaded.
            if (!arguments.contains(QuietMicPersistence::sinkName) &&
                !arguments.contains(QuietMicDriver::uid))
                return;
            auto *driver = static_cast<PulseQuietMicDriver *>(self);
            driver->m_operations.keep(pa_context_unload_module(
                c, info->index,
                [](pa_context *unloading, int success, void *) {
                    if (!success)
                        qCWarning(lcAudio).noquote().nospace()
                            << "quiet microphone: a module could not be unloaded: "
                            << pa_strerror(pa_context_errno(unloading));
                },
                nullptr));
        },
        this));
}

bool PulseQuietMicDriver::setDefaultInput(const QString &inputUid)
{
    pa_context *context = m_connection.context();
    if (!context || !m_available)
        return false;
    if (m_state.defaultInput == inputUid && m_unconfirmedDefaults == 0)
        return true;
    auto call = std::make_unique<Call>();
    call->owner = this;
    call->done = [this, inputUid](bool ok) {
        --m_unconfirmedDefaults;
        if (!ok)
            qCWarning(lcAudio).noquote().nospace()
                << "quiet microphone: the default input could not be set to " << inputUid;
        requestRead();
    };
    Call *c = call.get();
    pa_operation *operation = pa_context_set_default_source(
        context, inputUid.toUtf8().constData(),
        [](pa_context *, int success, void *data) { static_cast<Call *>(data)->done(success != 0); }, c);
    if (!m_operations.keep(operation, std::move(call)))
        return false;
    ++m_unconfirmedDefaults;
    if (m_state.defaultInput != inputUid) {
        m_state.defaultInput = inputUid;
        Q_EMIT changed();
    }
    return true;
}

void PulseQuietMicDriver::setNoise(bool on)
{
    m_noiseWanted = on;
    updateNoise();
}

void PulseQuietMicDriver::updateNoise()
{
    if (m_noiseWanted && m_available && m_state.sinkPresent && isInstalled())
        m_noise.play(QString::fromLatin1(QuietMicPersistence::sinkName), m_state.sinkRate);
    else
        m_noise.stop();
}
