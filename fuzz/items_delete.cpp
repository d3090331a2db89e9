// Items.txt of arbitrary bytes through LoadProfiles and the Delete command, in a private exe folder.
// Invariants: at most 100 profiles are loaded, profile n and list item n-1 being line n of the file (its
// fields by GetField); loading writes nothing; a Delete of a listed name removes exactly the last loaded line
// with that name (ASCII case ignored) and keeps every other line byte for byte, each ended by CR LF, and the
// bytes from a NUL on as they were; the table then mirrors the new file.
#include "FuzzCheck.h"
#include "IniReference.h"
#include "platform/TextFile.h"
#include "profiles/Profiles.h"
#include "tests/support/SystemSeams.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

class RecordingList : public ProfileListView {
public:
    void ClearItems() override { items.clear(); }
    void AddItem(const std::string& caption, int image) override { items.push_back({ caption, image }); }
    void SetCountText(const std::string& text) override { countText = text; }
    std::optional<std::string> SelectedCaption() const override { return selected; }

    std::vector<std::pair<std::string, int>> items;
    std::string countText;
    std::optional<std::string> selected;
};

class Answers : public UserDialogs {
public:
    void ShowMessage(const std::string&) override { ++messages; }
    void Confirm(const std::string&, std::function<void()> onYes) override { onYes(); }
    void AskInformation(const std::string&, std::function<void()> onYes) override { onYes(); }
    void ShowError(const std::string&) override { std::abort(); }
    int messages = 0;
};

std::string g_folder;

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return text;
}

void ExpectMirrors(const std::vector<std::string>& lines, const ProfileSlots& table, int32_t count,
    const RecordingList& list, const std::string& report)
{
    const auto loaded = static_cast<int32_t>(lines.size() < 100 ? lines.size() : 100);
    FUZZ_CHECK(count == loaded && list.items.size() == static_cast<size_t>(loaded), report);
    FUZZ_CHECK(list.countText.rfind(std::to_string(loaded) + " ", 0) == 0, report + " count " + list.countText);
    for (int32_t n = 1; n <= loaded; ++n) {
        const std::string& line = lines[static_cast<size_t>(n - 1)];
        const Profile& profile = table[n];
        FUZZ_CHECK(list.items[static_cast<size_t>(n - 1)] == std::make_pair(GetField(line, 1), 0), report);
        FUZZ_CHECK(profile.Name.ToText() == GetField(line, 1) && profile.Source.ToText() == GetField(line, 2)
                && profile.Destination.ToText() == GetField(line, 3) && profile.Interval.ToText() == GetField(line, 4)
                && profile.Countdown.ToText() == GetField(line, 4),
            report + " profile " + std::to_string(n));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "dupliqa-fuzz-items-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    g_folder = std::string(pattern) + "/";
    SystemSeams::SetExeFolder(g_folder);
    static const std::string top = pattern;
    std::atexit([] { std::filesystem::remove_all(top); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto pick = input.ConsumeIntegral<uint16_t>();
    const auto flips = input.ConsumeIntegral<uint32_t>();
    const std::string content = input.ConsumeRemainingBytesAsString();
    const std::string path = g_folder + "Items.txt";
    platform::WriteWholeFile(path, content);
    const std::vector<std::string> lines = iniref::Lines(content);
    const std::string report = "content " + fuzzcheck::Shown(content, 400);

    static ProfileSlots table;
    int32_t count = -1;
    RecordingList list;
    LoadProfiles(table, count, list, UiText::BuiltIn());
    ExpectMirrors(lines, table, count, list, report);
    FUZZ_CHECK(platform::ReadWholeFile(path) == content, report + " (loading wrote the file)");

    // A Delete of a listed name, typed in another ASCII case now and then.
    if (list.items.empty())
        return 0;
    std::string name = list.items[pick % list.items.size()].first;
    for (size_t i = 0; i < name.size() && i < 32; ++i)
        if ((flips >> i & 1u) && name[i] >= 'a' && name[i] <= 'z')
            name[i] = static_cast<char>(name[i] - 32);
    list.selected = name;
    Answers answers;
    DeleteSelectedProfile(table, count, list, UiText::BuiltIn(), answers);

    std::vector<std::string> expected = lines;
    std::optional<size_t> doomed;
    for (size_t i = 0; i < lines.size() && i < 100; ++i)
        if (Upper(GetField(lines[i], 1)) == Upper(name))
            doomed = i;
    FUZZ_CHECK(doomed.has_value(), report);
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(*doomed));
    const std::string after = platform::ReadWholeFile(path);
    const std::string fromNul = content.substr(std::min(content.find('\0'), content.size()));
    FUZZ_CHECK(after == iniref::Joined(expected) + fromNul,
        report + "\n  name " + fuzzcheck::Shown(name) + "\n  after " + fuzzcheck::Shown(after, 400));
    ExpectMirrors(expected, table, count, list, report + " (after the Delete)");
    return 0;
}
