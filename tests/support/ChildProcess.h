#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A program and its arguments as exec and posix_spawn take them: the program's own name first, a null last.
class CommandLine {
public:
    CommandLine(const std::string& program, const std::vector<std::string>& arguments);
    char* const* argv() { return m_argv.data(); }

private:
    std::vector<std::string> m_words;
    std::vector<char*> m_argv;
};

// A forked child that runs work and then ends with the exit code work returns. work gets a descriptor on
// which it can tell the test things (Tell); the child is killed and reaped at the latest when the object goes.
class Child {
public:
    explicit Child(const std::function<int(int toParent)>& work);
    // Runs a program with its arguments, its standard output and error going to the test's.
    Child(const std::string& program, const std::vector<std::string>& arguments);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // The next line the child told, without its line end; nothing when the child ended or the time ran out.
    std::optional<std::string> NextLine(std::chrono::milliseconds timeout);
    // Everything the child told until it ended, or until the time ran out.
    std::string Rest(std::chrono::milliseconds timeout);

    // Kills it with SIGKILL, as a crash or "kill -9" would, and waits until it is gone.
    void Kill();

    // Waits for its end: the exit code, or minus the signal that ended it; nothing when the time ran out.
    std::optional<int> Wait(std::chrono::milliseconds timeout);

private:
    std::optional<int> Reap(bool block);
    // Reads what the child told so far into m_pending; false once it ended or the time ran out.
    bool ReadMore(std::chrono::steady_clock::time_point deadline);

    pid_t m_pid = -1;
    int m_fromChild = -1;
    std::string m_pending;
    std::optional<int> m_status;
};

// Writes one line to the test from inside a child.
void Tell(int toParent, const std::string& line);

// What a piece of work run in a child process gave back.
struct ChildOutcome {
    bool refused = false;   // the machine refused the child's setup (user switch, mount ...)
    bool completed = false; // the work ran to its end in the child
    std::string output;     // what the work returned
};

// Runs work in a child, so that it can change its user or its mounts without touching the test
// process. The work returns its output, or nothing when the machine refused what it needed.
ChildOutcome RunInChild(const std::function<std::optional<std::string>()>& work);

// Makes the calling process user nobody (65534), without supplementary groups; false when refused.
bool BecomeNobody();

inline constexpr uid_t NobodyUser = 65534;
inline constexpr gid_t NobodyGroup = 65534;
