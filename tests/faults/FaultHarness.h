#pragma once

#include "ImmutableFlag.h"
#include "RunFixture.h"

#include <ctime>
#include <string>
#include <sys/types.h>
#include <vector>

inline constexpr std::time_t OldTime = 1700000000; // the stamp of the copies a previous run left

// A run abort line with an empty message: the time stamp and one blank, nothing else.
bool IsEmptyAbortLine(const std::string& line);

void AppendBytes(const std::string& path, const std::string& bytes);
// Part files of unfinished copies anywhere below folder.
std::vector<std::string> PartFilesBelow(const std::string& folder);
// Every entry below folder, folders included, as paths relative to it.
std::vector<std::string> EntriesBelow(const std::string& folder);
ino_t InodeOf(const std::string& path);
// The whole content of a file, read in large pieces (large files are compared in these tests).
std::string ContentOf(const std::string& path);
// A file of size bytes whose every MiB has its own pattern, written a piece at a time.
void WriteLargeFile(const std::string& path, size_t size, unsigned seed, std::time_t time);

using Immutable = ImmutableFlag;

inline constexpr const char* NeedsRoot = "needs root, to mount, to freeze files and to switch users";
inline constexpr const char* TmpfsRefused = "the machine refuses to mount a tmpfs here";
inline constexpr const char* ImmutableRefused = "the file system refuses the immutable flag (chattr +i) here";
