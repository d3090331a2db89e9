#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

constexpr int WorkThrew = 3;
constexpr int WorkRefused = 77;

void WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += static_cast<size_t>(written);
    }
}

} // namespace

Child::Child(const std::function<int(int toParent)>& work)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return;
    m_pid = ::fork();
    if (m_pid == 0) {
        ::close(ends[0]);
        int code = WorkThrew;
        try {
            code = work(ends[1]);
        } catch (...) {
        }
        ::_exit(code);
    }
    ::close(ends[1]);
    if (m_pid < 0)
        ::close(ends[0]);
    else
        m_fromChild = ends[0];
}

CommandLine::CommandLine(const std::string& program, const std::vector<std::string>& arguments) : m_words{program}
{
    m_words.insert(m_words.end(), arguments.begin(), arguments.end());
    for (std::string& word : m_words)
        m_argv.push_back(word.data());
    m_argv.push_back(nullptr);
}

Child::Child(const std::string& program, const std::vector<std::string>& arguments)
{
    CommandLine command(program, arguments);
    m_pid = ::fork();
    if (m_pid == 0) {
        ::execv(program.c_str(), command.argv());
        ::_exit(127);
    }
}

Child::~Child()
{
    if (m_pid > 0 && !m_status)
        Kill();
    if (m_fromChild >= 0)
        ::close(m_fromChild);
}

std::optional<std::string> Child::NextLine(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto end = m_pending.find('\n'); end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return line;
        }
        if (!ReadMore(deadline))
            return std::nullopt;
    }
}

std::string Child::Rest(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ReadMore(deadline)) {
    }
    return std::exchange(m_pending, {});
}

bool Child::ReadMore(std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        if (m_fromChild < 0)
            return false;
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd ready { m_fromChild, POLLIN, 0 };
        const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return false;
        char buffer[512];
        const ssize_t got = ::read(m_fromChild, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ::close(m_fromChild);
            m_fromChild = -1;
            return false;
        }
        m_pending.append(buffer, static_cast<size_t>(got));
        return true;
    }
}

void Child::Kill()
{
    if (m_pid <= 0 || m_status)
        return;
    ::kill(m_pid, SIGKILL);
    Reap(true);
}

std::optional<int> Child::Wait(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_status && m_pid > 0) {
        if (Reap(false))
            break;
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return m_status;
}

std::optional<int> Child::Reap(bool block)
{
    if (m_status || m_pid <= 0)
        return m_status;
    int status = 0;
    pid_t done = 0;
    do {
        done = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (done < 0 && errno == EINTR);
    if (done != m_pid)
        return std::nullopt;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return m_status;
}

void Tell(int toParent, const std::string& line) { WriteAll(toParent, line + "\n"); }

ChildOutcome RunInChild(const std::function<std::optional<std::string>()>& work)
{
    Child child([&](int toParent) {
        const std::optional<std::string> output = work();
        if (!output)
            return WorkRefused;
        WriteAll(toParent, *output);
        return 0;
    });
    ChildOutcome outcome;
    outcome.output = child.Rest(std::chrono::minutes(5));
    const std::optional<int> status = child.Wait(std::chrono::minutes(5));
    outcome.refused = status == WorkRefused;
    outcome.completed = status == 0;
    return outcome;
}

bool BecomeNobody()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(NobodyGroup) == 0 && ::setuid(NobodyUser) == 0
        && ::geteuid() == NobodyUser;
}
