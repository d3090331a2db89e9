#pragma once

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

// A FUSE mount on a fresh folder that no driver ever serves, as a dead network share is: every call
// that reaches it waits until Release(), which aborts the connection (the waiting calls and any later
// ones fail with ENOTCONN) and detaches the mount. It releases itself after releaseAfter in any case,
// so that code which waits on it makes its test fail late rather than hang; and at the end of the guard.
// mounted() is false, with reason(), where the machine refuses (not root, no /dev/fuse).
class DeadFuseMount {
public:
    DeadFuseMount(std::string folder, std::chrono::seconds releaseAfter);
    ~DeadFuseMount();
    DeadFuseMount(const DeadFuseMount&) = delete;
    DeadFuseMount& operator=(const DeadFuseMount&) = delete;

    bool mounted() const { return m_watchdog.joinable(); }
    const std::string& reason() const { return m_reason; }
    // From any thread; only the first call acts.
    void Release();

private:
    std::string m_folder;
    std::string m_reason;
    std::atomic<int> m_fuse {-1};
    std::promise<void> m_ending;
    std::thread m_watchdog;
};
