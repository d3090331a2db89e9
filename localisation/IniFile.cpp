#include "localisation/IniFile.h"

#include "platform/Error.h"
#include "platform/TextFile.h"

namespace {

Error UnableToWrite(const std::string& path)
{
    return Error(FormatMessage("Unable to write to %s", path));
}

// Only regular files are opened: opening a fifo left at the path would block for ever.
std::string ContentOrNothing(const std::string& path)
{
    if (!platform::IsRegularFile(path))
        return {};
    try {
        return platform::ReadWholeFile(path);
    } catch (const Error&) {
        return {};
    }
}

} // namespace

std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& defaultValue)
{
    return IniValueIn(ContentOrNothing(path), section, key, defaultValue);
}

void WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value)
{
    std::string content;
    if (platform::IsRegularFile(path)) {
        // A file that exists but cannot be read must not be replaced by one holding only this key.
        try {
            content = platform::ReadWholeFile(path);
        } catch (const Error&) {
            throw UnableToWrite(path);
        }
    }
    // Whatever else stands at the path (a folder, a fifo) makes the write below fail. A file that
    // we may not write is refused as such, so the user learns why and that it was left as it is.
    try {
        platform::WriteWholeFile(path, IniContentWithValue(content, section, key, value));
    } catch (const platform::FileNotWritable&) {
        throw;
    } catch (const Error&) {
        throw UnableToWrite(path);
    }
}
