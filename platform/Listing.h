#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Names (without folder) of the files in folder whose names end in suffix, ASCII case ignored
// ("*.lang" is suffix ".lang"). Files of every kind but folders count, hidden ones included;
// the order is the directory's own. A folder that cannot be listed gives no names.
std::vector<std::string> FindFilesBySuffix(const std::string& folder, const std::string& suffix);

// The name of an entry of folder that is not a folder and equals name ignoring ASCII case
// ("error.log" finds "Error.log" or "ERROR.LOG"); nothing when there is none. Where several do (a file
// copied in beside another spelling), name's own spelling, so that the order of a listing never decides.
std::optional<std::string> FindFileCaseBlind(const std::string& folder, const std::string& name);

// Every entry of folder that is not a folder and equals name ignoring ASCII case.
std::vector<std::string> FilesCaseBlind(const std::string& folder, const std::string& name);

// The names of the folders in folder that a folder tree offers: hidden ones (a leading ".") left
// out, symbolic links to folders included, as the file system spells them (bytes, not necessarily
// valid in any encoding), in byte order with ASCII letter case ignored. A folder that cannot be
// listed gives none. complete is false while links among them are still being followed.
struct Subfolders {
    std::vector<std::string> names;
    bool complete = true;
};

// Lists folder's Subfolders off the caller's thread and hands them to done: the folders of the listing
// itself first, then again with each link found to lead to a folder, the last list complete; returns
// at once. Nobody ever waits for those threads: a share that never answers, or a link to one, holds
// back only itself, for as long as the share does. A folder asked for again meanwhile joins that
// listing, with what it has shown so far, rather than holding a thread more. Where no thread is to be
// had, done gets nothing.
using SubfoldersDone = std::function<void(std::optional<Subfolders>)>;
void VisibleSubfoldersInBackground(const std::string& folder, SubfoldersDone done);

// ASCII-only upper-casing: a to z become A to Z, every other byte stays.
inline char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string AsciiUpper(std::string text);

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// FNV-1a of the bytes: the same value in every run and on every machine.
uint64_t Fnv1a(std::string_view bytes);
// A hash for in-memory tables in which names equal by EqualIgnoringAsciiCase hash alike.
uint64_t HashIgnoringAsciiCase(std::string_view bytes);

} // namespace platform
