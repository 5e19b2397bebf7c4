// Opens files the way a camera application opens its device node, for tests.
//
//   device_holder [--probe MS] PATH...
//
// Opens every PATH and prints "open <CLOCK_MONOTONIC ns after the opens>". With --probe it closes them again
// after MS milliseconds and exits, like a program that only looks at a device. Otherwise it waits: a line on
// standard input closes them ("closed" is printed), the end of standard input ends the program.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    int probeMs = -1;
    std::vector<const char *> paths;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--probe") && i + 1 < argc)
            probeMs = std::atoi(argv[++i]);
        else
            paths.push_back(argv[i]);
    }
    std::vector<int> fds;
    for (const char *path : paths) {
        const int fd = open(path, O_RDONLY | O_NONBLOCK);
        if (fd < 0) {
            std::perror(path);
            return 1;
        }
        fds.push_back(fd);
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("open %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    if (probeMs >= 0) {
        usleep(useconds_t(probeMs) * 1000);
        return 0;
    }
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n' || fds.empty())
            continue;
        for (const int fd : fds)
            close(fd);
        fds.clear();
        std::puts("closed");
        std::fflush(stdout);
    }
    return 0;
}
