#include "ChildProcess.h"

#include <cerrno>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int RefusedStatus = 77;
constexpr int CompletedStatus = 0;

void WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            ::_exit(3);
        done += static_cast<size_t>(written);
    }
}

std::string ReadAll(int fd)
{
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return bytes;
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

} // namespace

ChildOutcome RunInChild(const std::function<std::optional<std::string>()>& work)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {true, false, {}};
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return {true, false, {}};
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        int status = 2;
        try {
            const std::optional<std::string> output = work();
            if (output)
                WriteAll(pipeEnds[1], *output);
            status = output ? CompletedStatus : RefusedStatus;
        } catch (...) {
        }
        ::_exit(status);
    }
    ::close(pipeEnds[1]);
    ChildOutcome outcome;
    outcome.output = ReadAll(pipeEnds[0]);
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool exited = WIFEXITED(status);
    outcome.refused = exited && WEXITSTATUS(status) == RefusedStatus;
    outcome.completed = exited && WEXITSTATUS(status) == CompletedStatus;
    return outcome;
}

bool BecomeNobody()
{
    constexpr uid_t Nobody = 65534;
    constexpr gid_t NoGroup = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(NoGroup) == 0 && ::setuid(Nobody) == 0 && ::geteuid() == Nobody;
}
