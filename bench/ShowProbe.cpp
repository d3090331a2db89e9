// show_probe: how long the real program keeps a user waiting during a run, seen from outside. It
// does what a second start from the program's folder does (connects to the folder's local socket
// and waits for the one-byte answer, which the program gives from its event loop once it has shown
// its window) every few milliseconds, and prints the longest wait among the probes made between
// two marker files: a wait that long means the program handled no event for about as long.
#include "platform/ExeFolder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
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
constexpr int AnswerCeilingMs = 600000;
constexpr auto StartCeiling = std::chrono::seconds(120);

bool Exists(const char* path)
{
    struct stat status { };
    return ::stat(path, &status) == 0;
}

// Whether the process lives: a program that died stays a zombie until the bench reaps it.
bool Lives(const std::string& pid)
{
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const size_t state = line.rfind(')');
    return state != std::string::npos && state + 2 < line.size() && line[state + 2] != 'Z' && line[state + 2] != 'X';
}

// One probe: the milliseconds from connecting to the answer, or to the moment the program closed
// the connection or the ceiling passed unanswered (a wait at least that long); nothing where nobody
// listens.
std::optional<double> Probe(const std::string& name)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size()); // sun_path[0] == 0: abstract
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    const Clock::time_point start = Clock::now();
    std::optional<double> waited;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        pollfd answer {fd, POLLIN, 0};
        while (::poll(&answer, 1, AnswerCeilingMs) < 0 && errno == EINTR) {
        }
        waited = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    ::close(fd);
    return waited;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: show_probe PROGRAM_FOLDER PID START_MARKER END_MARKER\n"
                             "  probes the program of PROGRAM_FOLDER (process PID) until END_MARKER exists; prints\n"
                             "  \"probes=N longest_ms=X at_s=Y\" over the probes answered once START_MARKER existed\n");
        return 2;
    }
    // The abstract socket name the program of that folder listens on.
    const std::string identity = platform::FolderIdentity(argv[1]);
    const std::string name = "Dupliqa-" + identity;
    if (identity.empty()) {
        std::fprintf(stderr, "show_probe: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    const std::string pid = argv[2];
    const char* startMarker = argv[3];
    const char* endMarker = argv[4];
    const Clock::time_point launched = Clock::now();
    long probes = 0;
    double longest = 0;
    double longestAt = 0;
    bool measuring = false;
    Clock::time_point started {};
    const char* failure = nullptr;
    while (!Exists(endMarker)) {
        if (!Lives(pid)) {
            failure = "the program ended before its last profile";
            break;
        }
        if (!measuring && Clock::now() - launched > StartCeiling) {
            failure = "the measured profile never began";
            break;
        }
        const Clock::time_point sent = Clock::now();
        const std::optional<double> waited = Probe(name);
        // A probe that was waiting when the profile began counts whole: the stall it met reached into it.
        if (!measuring && Exists(startMarker)) {
            measuring = true;
            started = Clock::now();
        }
        if (measuring && waited) {
            ++probes;
            if (*waited > longest) {
                longest = *waited;
                longestAt = std::max(0.0, std::chrono::duration<double>(sent - started).count());
            }
        }
        std::this_thread::sleep_for(Pause);
    }
    std::printf("probes=%ld longest_ms=%.1f at_s=%.3f\n", probes, longest, longestAt);
    if (failure)
        std::fprintf(stderr, "show_probe: %s\n", failure);
    return failure == nullptr && probes > 0 ? 0 : 1;
}
