#pragma once

#include "engine/CopyMethods.h"
#include "platform/FileDescriptor.h"

#include <sys/types.h>

// A copy that replaces an old one is renamed over it, and ext4 writes out whatever of the new copy is
// still only in memory before that rename returns, so that a crash never leaves an empty file where the
// old copy was: for a copy of gigabytes, seconds in which the window cannot answer. Written out a stretch
// at a time as the copy goes, the copy leaves the rename next to nothing to do.
//
// The old copy's cached pages go back to the kernel a stretch at a time, as the copy reaches it: they are of
// no more use, and pages freed a moment ago are what the new copy's pages are then made of, where memory the
// machine has to find anew costs a virtual machine several times the copy itself. The old copy stays whole
// on the disk until the new one takes its name. It is held open until then, so that freeing its blocks
// falls to the last close, which is made on a thread of its own: on a disk mounted with discard, freeing a
// large file takes the better part of a second.
class WriteBehind {
public:
    // Each stretch costs two system calls whatever its length, some 20 us on a virtual machine: at a megabyte
    // that was a twentieth of a large copy's time. Eight megabytes are still handed to the disk in a millisecond.
    static constexpr off_t Stretch = off_t{8} << 20;

    // copy is the open copy in the making of file. Let this go once the copy has taken its name.
    WriteBehind(const FileToCopy& file, int copy);
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // The copy holds its first length bytes now.
    void Copied(off_t length);

private:
    int m_copy = -1; // -1 where the copy takes a free name: nothing is renamed over, nothing waits
    platform::FileDescriptor m_oldCopy;
    off_t m_stretchEnd = Stretch;
};
