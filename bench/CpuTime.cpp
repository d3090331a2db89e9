// cpu_time: runs a command and writes its CPU seconds (user, sys) and wall seconds to a file, to the
// microsecond, where /usr/bin/time gives hundredths. bench/run.sh stops a measured program by
// signalling this process's child, so the child is the command itself, run without a shell.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: cpu_time OUTPUT COMMAND [ARGUMENT...]\n"
                             "  writes \"user_s sys_s wall_s\" of COMMAND to OUTPUT; exits as COMMAND did\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("cpu_time: fork");
        return 1;
    }
    if (child == 0) {
        ::execvp(argv[2], argv + 2);
        std::fprintf(stderr, "cpu_time: cannot run %s: %s\n", argv[2], std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    while (::wait4(child, &status, 0, &usage) < 0)
        if (errno != EINTR) {
            std::perror("cpu_time: wait4");
            return 1;
        }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::FILE* output = std::fopen(argv[1], "w");
    if (output == nullptr) {
        std::fprintf(stderr, "cpu_time: cannot write %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    std::fprintf(output, "%.6f %.6f %.6f\n", Seconds(usage.ru_utime), Seconds(usage.ru_stime), wall);
    std::fclose(output);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
