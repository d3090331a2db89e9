#pragma once

#include <string>

// A FUSE mount that no driver serves, as a dead network share is: every call that reaches it waits
// until Release() aborts the connection, failing those calls with ENOTCONN (a call on the test's own
// thread waits until the test's time runs out). The mount is made on folder and detached from it at
// once, reached through path() alone: the kernel drops it with the process, however the test ends.
// mounted() is false, with reason(), where the machine refuses (not root, no /dev/fuse).
class DeadFuseMount {
public:
    explicit DeadFuseMount(const std::string& folder);
    ~DeadFuseMount() { Release(); }
    DeadFuseMount(const DeadFuseMount&) = delete;
    DeadFuseMount& operator=(const DeadFuseMount&) = delete;

    bool mounted() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }
    void Release();

private:
    std::string m_path;
    std::string m_reason;
    int m_fuse = -1;
    int m_root = -1;
};
