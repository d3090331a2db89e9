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

// The names of the folders in folder that a folder tree offers: hidden ones (a leading ".") left
// out, symbolic links to folders included, as the file system spells them (bytes, not necessarily
// valid in any encoding), in byte order with ASCII letter case ignored. A folder that cannot be
// listed gives none. complete is false for the folders of the listing itself, handed over before
// the links among them are followed: a link to a share that never answers holds back itself alone.
struct Subfolders {
    std::vector<std::string> names;
    bool complete = true;
};

// Lists folder's Subfolders on a thread of its own, which hands them to done (once or twice, the
// last complete) and ends; returns at once. Nobody ever waits for that thread: a folder on a mount
// that never answers holds it alone, for as long as the mount does, and a folder asked for again
// meanwhile joins that listing, with what it has shown so far, rather than holding a thread more.
// Where no thread is to be had, done gets nothing, on the caller's thread.
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
