#pragma once

#include "localisation/IniText.h"

#include <string>

// Reads key of section from the INI file at path by the rules of IniValueIn. A file that is
// missing, or is no regular file (a folder, a fifo), or cannot be read counts as an empty one.
std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& defaultValue);

// Writes value under key of section in the INI file at path by the rules of IniContentWithValue,
// creating the file when it is missing. The new content has reached the file when this returns;
// a file that already holds it is not written.
// Throws Error("Cannot create file <path>") when the file exists but we may not write it (nothing
// is changed then), and Error("Unable to write to <path>") when it cannot be read back or written.
void WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);

// An INI file read once, read and changed in memory, and written back once: Save leaves the bytes
// that the same reads and writes through ReadIniString and WriteIniString would have left, for one
// write of the file instead of one per key.
class IniFileEdit {
public:
    explicit IniFileEdit(std::string path);

    std::string Read(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    void Write(const std::string& section, const std::string& key, const std::string& value);

    // Writes the file when what was written to it changed its bytes. A file that already holds them
    // is left alone, so one that the user protected from writing gives no error for nothing.
    // Throws Error("Unable to write to <path>").
    void Save() const;

private:
    std::string m_path;
    std::string m_contentRead;
    IniText m_text{std::string_view()};
    bool m_existed = false; // a regular file that could be read
    bool m_unreadable = false; // a regular file that could not be read: never replaced
    bool m_written = false;
};
