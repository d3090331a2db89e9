#include "platform/Listing.h"

#include "platform/Folder.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

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

uint64_t Fnv1a(std::string_view bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

namespace {

constexpr uint64_t EveryByte(uint8_t byte)
{
    return 0x0101010101010101ull * byte;
}

// AsciiUpper of eight bytes at once. Each byte's low seven bits plus a bias carry into its top bit exactly when
// they reach the bias's bound, and never into the next byte; bytes of 0x80 and above are left as they are.
uint64_t AsciiUpperOfWord(uint64_t word)
{
    const uint64_t lowBits = word & ~EveryByte(0x80);
    const uint64_t fromA = lowBits + EveryByte(0x80 - 'a');
    const uint64_t pastZ = lowBits + EveryByte(0x80 - 'z' - 1);
    const uint64_t smallLetters = fromA & ~pastZ & ~word & EveryByte(0x80);
    return word ^ (smallLetters >> 2); // 0x80 >> 2 is the bit between a small letter and its capital
}

uint64_t MixedIn(uint64_t hash, uint64_t word)
{
    hash = (hash ^ word) * 0x9e3779b97f4a7c15ull;
    return hash ^ (hash >> 29);
}

} // namespace

// A word at a time: a name costs a few instructions per eight bytes, where a byte-by-byte hash pays several per
// byte. Kept in memory only, so its values may change from one version to the next.
uint64_t HashIgnoringAsciiCase(std::string_view bytes)
{
    uint64_t hash = bytes.size();
    size_t at = 0;
    uint64_t word = 0;
    for (; at + sizeof word <= bytes.size(); at += sizeof word) {
        std::memcpy(&word, bytes.data() + at, sizeof word);
        hash = MixedIn(hash, AsciiUpperOfWord(word));
    }
    // The last bytes of a longer name are taken as the word that ends it, overlapping the one before: one load
    // where a byte-by-byte tail cost as much as the rest of a short name.
    if (at < bytes.size() && bytes.size() >= sizeof word) {
        std::memcpy(&word, bytes.data() + bytes.size() - sizeof word, sizeof word);
        hash = MixedIn(hash, AsciiUpperOfWord(word));
    } else if (at < bytes.size()) {
        word = 0;
        for (unsigned shift = 0; at < bytes.size(); ++at, shift += 8)
            word |= uint64_t{static_cast<unsigned char>(bytes[at])} << shift;
        hash = MixedIn(hash, AsciiUpperOfWord(word));
    }
    hash *= 0xbf58476d1ce4e5b9ull;
    return hash ^ (hash >> 31);
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
        if (!EqualIgnoringAsciiCase(candidate, name))
            return true;
        if (!found || candidate == name)
            found = candidate;
        return candidate != name;
    });
    return found;
}

std::vector<std::string> FilesCaseBlind(const std::string& folder, const std::string& name)
{
    std::vector<std::string> found;
    ForEachNonFolder(folder, [&](const std::string& candidate) {
        if (EqualIgnoringAsciiCase(candidate, name))
            found.push_back(candidate);
        return true;
    });
    return found;
}

namespace {

// Letter case does not part names that belong together ("Music" beside "movies").
void SortForTree(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = AsciiUpper(a), upperB = AsciiUpper(b);
        return upperA != upperB ? upperA < upperB : a < b;
    });
}

// A folder being listed in the background: whoever waits for its subfolders, those shown them so far,
// and the links among its entries that no thread has taken yet or that have no answer yet.
struct BackgroundListing {
    std::string folder;
    std::vector<SubfoldersDone> waiting;
    std::optional<Subfolders> shown;
    std::vector<std::string> untaken;
    size_t unanswered = 0;
};

// Every listing, under one lock under which every hand-over is made too, so that each reaches whoever
// waits in order, each list holding the one before. Never destroyed: a listing may end while the
// program does.
struct BackgroundListings {
    std::mutex lock;
    std::map<std::string, std::shared_ptr<BackgroundListing>> listings;
};

BackgroundListings& Listings()
{
    static auto* listings = new BackgroundListings;
    return *listings;
}

// Hands what listing has shown to all who wait for it; the complete list ends it. Under the lock.
void HandOver(BackgroundListing& listing)
{
    for (const SubfoldersDone& done : listing.waiting)
        done(listing.shown);
    if (!listing.shown || listing.shown->complete)
        Listings().listings.erase(listing.folder);
}

// A few threads follow a folder's links: a link to a share that never answers holds back one of them.
constexpr size_t LinkFollowers = 4;

void FollowLinks(const std::shared_ptr<const Folder>& opened, const std::shared_ptr<BackgroundListing>& listing)
{
    for (;;) {
        std::string link;
        {
            const std::lock_guard hold(Listings().lock);
            if (listing->untaken.empty())
                return;
            link = std::move(listing->untaken.back());
            listing->untaken.pop_back();
        }
        // A link counts as what it leads to.
        const auto status = opened->StatusOf(link, Links::Follow);
        const bool isFolder = status && status->kind == EntryKind::Folder;
        const std::lock_guard hold(Listings().lock);
        if (isFolder) {
            listing->shown->names.push_back(link);
            SortForTree(listing->shown->names);
        }
        listing->shown->complete = --listing->unanswered == 0;
        if (isFolder || listing->shown->complete)
            HandOver(*listing);
    }
}

void ListSubfolders(const std::shared_ptr<BackgroundListing>& listing)
{
    Subfolders found;
    std::vector<std::string> links;
    // An empty path names no folder here, though opening it as the top of a tree takes the current one.
    const std::string& folder = listing->folder;
    const auto opened = std::make_shared<const Folder>(folder.empty() ? Folder() : Folder::OpenTop(folder));
    if (opened->valid()) {
        FolderListing entries(*opened);
        while (const auto entry = entries.Next()) {
            if (entry->name[0] == '.')
                continue;
            if (entry->kind == EntryKind::Folder)
                found.names.emplace_back(entry->name);
            else if (entry->kind == EntryKind::Link)
                links.emplace_back(entry->name);
        }
        SortForTree(found.names);
    }
    found.complete = links.empty();
    const size_t linkCount = links.size();
    {
        const std::lock_guard hold(Listings().lock);
        listing->shown = std::move(found);
        listing->unanswered = links.size();
        listing->untaken = std::move(links);
        HandOver(*listing);
    }
    for (size_t more = 1; more < LinkFollowers && more < linkCount; ++more) {
        try {
            std::thread(FollowLinks, opened, listing).detach();
        } catch (const std::system_error&) {
            break; // this thread follows them all then
        }
    }
    FollowLinks(opened, listing);
}

} // namespace

void VisibleSubfoldersInBackground(const std::string& folder, SubfoldersDone done)
{
    std::shared_ptr<BackgroundListing> listing;
    {
        const std::lock_guard hold(Listings().lock);
        std::shared_ptr<BackgroundListing>& entry = Listings().listings[folder];
        if (entry) {
            // Joined: what the listing has shown so far, before anything it shows later.
            entry->waiting.push_back(std::move(done));
            if (entry->shown)
                entry->waiting.back()(entry->shown);
            return;
        }
        entry = listing = std::make_shared<BackgroundListing>();
        listing->folder = folder;
        listing->waiting.push_back(std::move(done));
    }
    try {
        std::thread(ListSubfolders, listing).detach();
    } catch (const std::system_error&) {
        const std::lock_guard hold(Listings().lock);
        HandOver(*listing);
    }
}

} // namespace platform
