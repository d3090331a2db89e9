#include "platform/TextViewer.h"

#include "platform/OpenFileLimit.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* ViewerProgram = "xdg-open";

// The viewer starts with every signal at its default and none blocked, whatever the program has set up for
// itself, and in a session of its own, so that it does not go down with the program's terminal.
class ViewerSpawnAttributes {
public:
    ViewerSpawnAttributes()
    {
        ::posix_spawnattr_init(&m_attributes);
        sigset_t none;
        sigset_t all;
        ::sigemptyset(&none);
        ::sigfillset(&all);
        ::posix_spawnattr_setsigmask(&m_attributes, &none);
        ::posix_spawnattr_setsigdefault(&m_attributes, &all);
        ::posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    }
    ~ViewerSpawnAttributes() { ::posix_spawnattr_destroy(&m_attributes); }
    ViewerSpawnAttributes(const ViewerSpawnAttributes&) = delete;
    ViewerSpawnAttributes& operator=(const ViewerSpawnAttributes&) = delete;

    const posix_spawnattr_t* get() const { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes;
};

void WaitForEnd(pid_t child)
{
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

void OpenInTextViewer(const std::string& path)
{
    std::string program = ViewerProgram;
    std::string argument = path;
    char* const argv[] = {program.data(), argument.data(), nullptr};
    const ViewerSpawnAttributes attributes;

    // The viewer is started by a short-lived middle process, which ends at once: the viewer is then handed to
    // init, which reaps it, so the program never waits for the viewer and never needs a SIGCHLD handler of its
    // own (which would fight the toolkit's).
    const pid_t middle = ::fork();
    if (middle == 0) {
        RestoreStartingOpenFileLimit();
        pid_t viewer = 0;
        ::posix_spawnp(&viewer, argv[0], nullptr, attributes.get(), argv, environ);
        ::_exit(0);
    }
    if (middle > 0)
        WaitForEnd(middle);
}

} // namespace platform
