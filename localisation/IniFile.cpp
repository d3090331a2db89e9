#include "localisation/IniFile.h"

#include "platform/Error.h"
#include "platform/TextFile.h"

#include <utility>

namespace {

Error UnableToWrite(const std::string& path)
{
    return Error(FormatMessage("Unable to write to %s", path));
}

// Only regular files are opened: opening a fifo left at the path would block for ever. Nothing
// when the file is missing or is no regular file; an exception when it is one and cannot be read.
std::string ContentOfRegularFile(const std::string& path)
{
    if (!platform::IsRegularFile(path))
        return {};
    return platform::ReadWholeFile(path);
}

std::string ContentOrNothing(const std::string& path)
{
    try {
        return ContentOfRegularFile(path);
    } catch (const Error&) {
        return {};
    }
}

void WriteContent(const std::string& path, const std::string& content)
{
    // Whatever else stands at the path (a folder, a fifo) makes the write fail. A file that we may
    // not write is refused as such, so the user learns why and that it was left as it is.
    try {
        platform::WriteWholeFile(path, content);
    } catch (const platform::FileNotWritable&) {
        throw;
    } catch (const Error&) {
        throw UnableToWrite(path);
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
    IniFileEdit file(path);
    file.Write(section, key, value);
    file.Save();
}

IniFileEdit::IniFileEdit(std::string path) : m_path(std::move(path))
{
    try {
        m_existed = platform::IsRegularFile(m_path);
        m_contentRead = ContentOfRegularFile(m_path);
        m_text = IniText(m_contentRead);
    } catch (const Error&) {
        m_unreadable = true;
    }
}

std::string IniFileEdit::Read(const std::string& section, const std::string& key,
                              const std::string& defaultValue) const
{
    return m_text.Value(section, key, defaultValue);
}

void IniFileEdit::Write(const std::string& section, const std::string& key, const std::string& value)
{
    m_text.SetValue(section, key, value);
    m_written = true;
}

void IniFileEdit::Save() const
{
    if (!m_written)
        return;
    // A file that exists but cannot be read must not be replaced by one holding only what was written.
    if (m_unreadable)
        throw UnableToWrite(m_path);
    const std::string content = m_text.Content();
    if (m_existed && content == m_contentRead)
        return;
    WriteContent(m_path, content);
}
