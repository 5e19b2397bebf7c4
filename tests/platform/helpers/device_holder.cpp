// Opens files the way a camera application opens its device node, for tests.
//
//   device_holder [--probe MS | --every MS] PATH...
//
// Opens every PATH and prints "open <CLOCK_MONOTONIC ns after the opens> <ns before them>". With --probe it
// closes them again after MS milliseconds and exits, like a program that only looks at a device. With --every
// it closes them and opens and closes them again every MS milliseconds (printing nothing more) until standard
// input ends, like a program that keeps looking. Otherwise it waits: a line on standard input closes them
// ("closed" is printed), the end of standard input ends the program.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

bool openAll(const std::vector<const char *> &paths, std::vector<int> &fds)
{
    for (const char *path : paths) {
        const int fd = open(path, O_RDONLY | O_NONBLOCK);
        if (fd < 0) {
            std::perror(path);
            return false;
        }
        fds.push_back(fd);
    }
    return true;
}

void closeAll(std::vector<int> &fds)
{
    for (const int fd : fds)
        close(fd);
    fds.clear();
}

} // namespace

int main(int argc, char **argv)
{
    int probeMs = -1;
    int everyMs = -1;
    std::vector<const char *> paths;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--probe") && i + 1 < argc)
            probeMs = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--every") && i + 1 < argc)
            everyMs = std::atoi(argv[++i]);
        else
            paths.push_back(argv[i]);
    }
    std::vector<int> fds;
    const long long before = monotonicNs();
    if (!openAll(paths, fds))
        return 1;
    std::printf("open %lld %lld\n", monotonicNs(), before);
    std::fflush(stdout);
    if (probeMs >= 0) {
        usleep(useconds_t(probeMs) * 1000);
        return 0;
    }
    if (everyMs >= 0) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        do {
            closeAll(fds);
        } while (poll(&input, 1, everyMs) == 0 && openAll(paths, fds));
        return 0;
    }
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n' || fds.empty())
            continue;
        closeAll(fds);
        std::puts("closed");
        std::fflush(stdout);
    }
    return 0;
}
