#pragma once

#include <functional>

#include <cstddef>
#include <sys/types.h>

namespace platform {

// Reads until size bytes are in buffer or the file ends, so only the end of the file gives fewer
// than size bytes. -1 on a read error.
ssize_t ReadFull(int fd, char* buffer, size_t size);

// Writes every byte or fails: a write that stops short (a full disk) is a failure.
bool WriteAll(int fd, const char* data, size_t size);

// Reads exactly size bytes at offset at; false when fewer are there or the read fails.
bool ReadWholeAt(int fd, char* buffer, size_t size, off_t at);

// Asked before each piece of a copy with the bytes copied so far; false abandons the copy.
using GoOn = std::function<bool(off_t copied)>;

// Copies at most length bytes from the current offset of from to that of to, through a buffer of
// pieceSize bytes; stops early where the source ends. False where goOn said to stop or a call failed.
bool CopyInPieces(int from, int to, off_t length, size_t pieceSize, const GoOn& goOn);

// Whether copy_file_range failed with an error by which it says it cannot work between these two files at
// all, so that reading and writing must do instead.
bool KernelCopyRefused(int error);

// Copies at most length bytes from the current offset of from to to inside the kernel
// (copy_file_range) a megabyte at a time, or by reading and writing where the file systems cannot do
// that; stops early where the source ends.
bool CopyWithKernel(int from, int to, off_t length, const GoOn& goOn);

// Hands the cached pages of the length bytes at from back to the kernel: the clean ones at once, dirty ones
// once written. A hint: nothing of the file changes, and a file system that cannot do it simply keeps them.
void ForgetCachedPages(int fd, off_t from, off_t length);

// Starts writing the length bytes at from out to the disk and returns without waiting for them. A hint
// as well: what cannot be written now is written later, as it would have been.
void StartWritingOut(int fd, off_t from, off_t length);

} // namespace platform
