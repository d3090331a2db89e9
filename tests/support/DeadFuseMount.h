#pragma once

#include <chrono>
#include <string>
#include <thread>

// A FUSE mount that no driver serves, as a dead network share is: every call that reaches it waits
// until Release() aborts the connection, failing those calls with ENOTCONN. That happens after
// releaseAfter in any case, so that code which waits on it makes its test fail late rather than hang.
// The mount is made on folder and detached from it at once, reached through path() alone: the
// kernel drops it with the process, however the test ends. mounted() is false, with reason(), where
// the machine refuses (not root, no /dev/fuse).
class DeadFuseMount {
public:
    DeadFuseMount(const std::string& folder, std::chrono::seconds releaseAfter);
    ~DeadFuseMount() { Release(); }

    bool mounted() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }
    void Release();

private:
    std::string m_path;
    std::string m_reason;
    std::jthread m_watchdog;
};
