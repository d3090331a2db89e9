// show_probe: how long the real program keeps a user waiting during a run, seen from outside. It
// does what a second start from the program's folder does (connects to the folder's local socket
// and waits for the one-byte answer, which the program gives from its event loop once it has shown
// its window) every few milliseconds, and prints the longest wait among the probes made between
// two marker files: a wait that long means the program handled no event for about as long.
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto Pause = std::chrono::milliseconds(5);
constexpr int AnswerCeilingMs = 60000;

bool Exists(const char* path)
{
    struct stat status { };
    return ::stat(path, &status) == 0;
}

// The abstract socket name the program of folder listens on: its folder's device and inode.
std::string SocketName(const char* folder)
{
    struct stat status { };
    if (::stat(folder, &status) != 0)
        return {};
    return "Dupliqa-" + std::to_string(status.st_dev) + "-" + std::to_string(status.st_ino);
}

// One probe: the milliseconds from connecting to the answer; negative where nobody listens yet.
double Probe(const std::string& name)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size()); // sun_path[0] == 0: abstract
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    const Clock::time_point start = Clock::now();
    double waited = -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        pollfd answer {fd, POLLIN, 0};
        char byte = 0;
        if (::poll(&answer, 1, AnswerCeilingMs) == 1 && ::read(fd, &byte, 1) == 1)
            waited = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    ::close(fd);
    return waited;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: show_probe PROGRAM_FOLDER START_MARKER END_MARKER\n"
                             "  probes the program of PROGRAM_FOLDER until END_MARKER exists; prints\n"
                             "  \"probes=N longest_ms=X at_s=Y\" over the probes made once START_MARKER existed\n");
        return 2;
    }
    const std::string name = SocketName(argv[1]);
    if (name.empty()) {
        std::fprintf(stderr, "show_probe: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    long probes = 0;
    double longest = 0;
    double longestAt = 0;
    bool measuring = false;
    Clock::time_point started {};
    while (!Exists(argv[3])) {
        if (!measuring && Exists(argv[2])) {
            measuring = true;
            started = Clock::now();
        }
        const Clock::time_point sent = Clock::now();
        const double waited = Probe(name);
        if (measuring && waited >= 0) {
            ++probes;
            if (waited > longest) {
                longest = waited;
                longestAt = std::chrono::duration<double>(sent - started).count();
            }
        }
        std::this_thread::sleep_for(Pause);
    }
    std::printf("probes=%ld longest_ms=%.1f at_s=%.3f\n", probes, longest, longestAt);
    return probes > 0 ? 0 : 1;
}
