#include "platform/Listing.h"

#include "platform/Folder.h"

#include <algorithm>

namespace platform {

namespace {

// A link counts as what it leads to.
bool IsFolderEntry(const Folder& folder, const FolderListing::Entry& entry)
{
    if (entry.kind != EntryKind::Link)
        return entry.kind == EntryKind::Folder;
    const auto status = folder.StatusOf(entry.name, Links::Follow);
    return status && status->kind == EntryKind::Folder;
}

// accept gets each entry's name and whether it is a folder, and returns false to stop.
template <typename Accept>
void ForEachEntry(const std::string& folder, Accept accept)
{
    // An empty path names no folder here, though opening it as the top of a tree takes the current one.
    if (folder.empty())
        return;
    const Folder opened = Folder::OpenTop(folder);
    FolderListing listing(opened);
    while (const auto entry = listing.Next())
        if (!accept(std::string(entry->name), IsFolderEntry(opened, *entry)))
            return;
}

template <typename Accept>
void ForEachNonFolder(const std::string& folder, Accept accept)
{
    ForEachEntry(folder, [&](const std::string& name, bool isFolder) { return isFolder || accept(name); });
}

} // namespace

std::string AsciiUpper(std::string text)
{
    for (char& c : text)
        c = AsciiUpper(c);
    return text;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

namespace {

template <typename Map>
uint64_t Fnv1aOf(std::string_view bytes, Map map)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(map(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace

uint64_t Fnv1a(std::string_view bytes)
{
    return Fnv1aOf(bytes, [](char c) { return c; });
}

uint64_t Fnv1aIgnoringAsciiCase(std::string_view bytes)
{
    return Fnv1aOf(bytes, [](char c) { return AsciiUpper(c); });
}

std::vector<std::string> FindFilesBySuffix(const std::string& folder, const std::string& suffix)
{
    std::vector<std::string> names;
    const std::string upperSuffix = AsciiUpper(suffix);
    ForEachNonFolder(folder, [&](const std::string& name) {
        if (name.size() >= suffix.size() && AsciiUpper(name.substr(name.size() - suffix.size())) == upperSuffix)
            names.push_back(name);
        return true;
    });
    return names;
}

std::optional<std::string> FindFileCaseBlind(const std::string& folder, const std::string& name)
{
    std::optional<std::string> found;
    ForEachNonFolder(folder, [&](const std::string& candidate) {
        if (EqualIgnoringAsciiCase(candidate, name)) {
            found = candidate;
            return false;
        }
        return true;
    });
    return found;
}

std::vector<std::string> VisibleSubfolders(const std::string& folder)
{
    std::vector<std::string> names;
    ForEachEntry(folder, [&](const std::string& name, bool isFolder) {
        if (isFolder && !name.starts_with('.'))
            names.push_back(name);
        return true;
    });
    // Letter case does not part names that belong together ("Music" beside "movies").
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = AsciiUpper(a), upperB = AsciiUpper(b);
        return upperA != upperB ? upperA < upperB : a < b;
    });
    return names;
}

} // namespace platform
