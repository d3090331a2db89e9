#pragma once

#include <chrono>
#include <string>
#include <thread>

// A FUSE mount on a fresh folder that no driver serves, as a dead network share is: every call that
// reaches it waits until Release() aborts the connection, failing those calls with
// ENOTCONN, and detaches the mount. That happens after releaseAfter in any case, so that code which
// waits on it makes its test fail late rather than hang. mounted() is false, with reason(), where the
// machine refuses (not root, no /dev/fuse).
class DeadFuseMount {
public:
    DeadFuseMount(std::string folder, std::chrono::seconds releaseAfter);
    ~DeadFuseMount() { Release(); }

    bool mounted() const { return m_watchdog.joinable(); }
    const std::string& reason() const { return m_reason; }
    void Release();

private:
    std::string m_folder;
    std::string m_reason;
    std::jthread m_watchdog;
};
