#pragma once

#include <string>

// Sets the immutable flag (chattr +i) on a file or folder until Clear() or the end of the guard.
// Permission bits do not stop root, this flag does. applied() is false where the file system or the
// machine refuses.
class ImmutableFlag {
public:
    explicit ImmutableFlag(std::string path);
    ~ImmutableFlag() { Clear(); }
    ImmutableFlag(const ImmutableFlag&) = delete;
    ImmutableFlag& operator=(const ImmutableFlag&) = delete;

    bool applied() const { return m_applied; }
    void Clear();

private:
    bool Set(bool on);
    std::string m_path;
    bool m_applied = false;
};

// A tmpfs of the given size mounted on folder (created) until Unmount() or the end of the guard;
// mounted() says whether the machine allowed it.
class TmpfsMount {
public:
    TmpfsMount(std::string folder, const std::string& size);
    ~TmpfsMount() { Unmount(); }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool mounted() const { return m_mounted; }
    // Detaches it at once, as "umount -l" does, even while files on it are open.
    bool Unmount();

private:
    std::string m_folder;
    bool m_mounted = false;
};

inline constexpr const char* ImmutableFlagRefused =
    "the machine refuses the immutable flag (chattr +i) here, and nothing else makes a path unwritable for root";
