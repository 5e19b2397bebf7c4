// A recording client for tests that opens record streams the way real applications do, including ones that
// start corked, which parecord cannot. Prints "ready <CLOCK_MONOTONIC ns>" once every stream is recording (or
// corked) and runs until its standard input closes. With --churn it stops its streams MS milliseconds after
// they are ready and starts new ones MS milliseconds later, again and again, like a busy desktop's recorders.
//
//   pulse_record_client [--streams N] [--corked] [--device SOURCE] [--churn MS]
#include <pulse/pulseaudio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

struct Client {
    int streams = 1;
    bool corked = false;
    const char *device = nullptr;
    int churnMs = 0;
    int readyStreams = 0;
    bool announced = false;
    pa_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    std::vector<pa_stream *> open;
    void (*next)(Client &) = nullptr;
};

void startStreams(Client &c);

void fail(Client &c, const char *what)
{
    std::fprintf(stderr, "pulse_record_client: %s\n", what);
    pa_mainloop_quit(c.loop, 1);
}

// Runs `then` once, `ms` milliseconds from now; stopping and starting alternate, so one is pending at a time.
void after(Client &c, int ms, void (*then)(Client &))
{
    c.next = then;
    timeval at{};
    pa_timeval_add(pa_gettimeofday(&at), pa_usec_t(ms) * 1000);
    pa_mainloop_api *api = pa_mainloop_get_api(c.loop);
    api->time_new(
        api, &at,
        [](pa_mainloop_api *a, pa_time_event *event, const timeval *, void *data) {
            a->time_free(event);
            auto &client = *static_cast<Client *>(data);
            client.next(client);
        },
        &c);
}

void stopStreams(Client &c)
{
    for (pa_stream *stream : c.open) {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    c.open.clear();
    c.readyStreams = 0;
    after(c, c.churnMs, startStreams);
}

void onStreamState(pa_stream *stream, void *data)
{
    auto &c = *static_cast<Client *>(data);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        return fail(c, "stream failed");
    if (state != PA_STREAM_READY || ++c.readyStreams != c.streams)
        return;
    if (!c.announced) {
        c.announced = true;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("ready %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
    }
    if (c.churnMs > 0)
        after(c, c.churnMs, stopStreams);
}

void onRead(pa_stream *stream, size_t, void *)
{
    const void *bytes = nullptr;
    size_t size = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &bytes, &size) == 0 && size > 0)
        pa_stream_drop(stream);
}

void onContextState(pa_context *context, void *data)
{
    auto &c = *static_cast<Client *>(data);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
        return fail(c, "connection failed");
    if (state == PA_CONTEXT_READY)
        startStreams(c);
}

void startStreams(Client &c)
{
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 1};
    for (int i = 0; i < c.streams; ++i) {
        pa_stream *stream = pa_stream_new(c.context, "test capture", &spec, nullptr);
        c.open.push_back(stream);
        pa_stream_set_state_callback(stream, onStreamState, &c);
        pa_stream_set_read_callback(stream, onRead, nullptr);
        if (pa_stream_connect_record(stream, c.device, nullptr,
                                     c.corked ? PA_STREAM_START_CORKED : PA_STREAM_NOFLAGS) < 0)
            return fail(c, "cannot record");
    }
}

void onStdin(pa_mainloop_api *api, pa_io_event *, int fd, pa_io_event_flags_t, void *)
{
    char buffer[64];
    if (read(fd, buffer, sizeof buffer) <= 0)
        api->quit(api, 0);
}

} // namespace

int main(int argc, char **argv)
{
    Client c;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--streams") && i + 1 < argc)
            c.streams = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--corked"))
            c.corked = true;
        else if (!std::strcmp(argv[i], "--device") && i + 1 < argc)
            c.device = argv[++i];
        else if (!std::strcmp(argv[i], "--churn") && i + 1 < argc)
            c.churnMs = std::atoi(argv[++i]);
    }
    c.loop = pa_mainloop_new();
    pa_mainloop_api *api = pa_mainloop_get_api(c.loop);
    api->io_new(api, STDIN_FILENO, PA_IO_EVENT_INPUT, onStdin, nullptr);
    pa_context *context = c.context = pa_context_new(api, "pulse_record_client");
    pa_context_set_state_callback(context, onContextState, &c);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return 1;
    int result = 0;
    pa_mainloop_run(c.loop, &result);
    return result;
}
