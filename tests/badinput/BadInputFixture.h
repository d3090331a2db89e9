#pragma once

// A real main window started in a fresh exe folder that lies one level down in a temporary folder, beside a
// sibling folder: every test ends by checking that nothing outside the exe folder was read into a change,
// created or removed. No message box waits: unanswered boxes are answered at once and recorded.

#include "MainWindowFixture.h"

#include <QStringDecoder>

#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

class BadInputTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        MakeFolders(exe(""));
        MakeFolders(dir / "sibling");
        WriteFileBytes(dir / "sibling/evil.Lang", "[Language]\r\nBcreate=from the sibling folder\r\n");
        WriteFileBytes(dir / "evil.Lang", "[Language]\r\nBcreate=from the parent folder\r\n");
        outsideBefore = Outside();
        SystemSeams::SetExeFolder(exe(""));
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        EXPECT_EQ(Outside(), outsideBefore) << "nothing outside the exe folder may change";
    }

    std::string exe(const std::string& name) const { return dir / ("exe/" + name); }

    // Deletes list row by the Delete button, answering Yes to the confirmation.
    void DeleteRow(int row)
    {
        window->ListView1->setCurrentRow(row);
        TestSeams::SetNextAnswer(QMessageBox::Yes);
        window->ToolButton9->click();
    }

    // Every file and folder of the temporary folder outside the exe folder, with its bytes.
    std::map<std::string, std::string> Outside() const
    {
        std::map<std::string, std::string> entries;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
            const std::string path = entry.path().string();
            if (path.rfind(exe(""), 0) == 0 || path + "/" == exe(""))
                continue;
            entries[path] = entry.is_regular_file() ? ReadFileBytes(path) : std::string("<folder>");
        }
        return entries;
    }

    std::map<std::string, std::string> outsideBefore;
};

// Reproducible random bytes; without NUL unless asked.
inline std::string RandomBytes(uint32_t seed, size_t size, bool withNul = false)
{
    std::mt19937 generator(seed);
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        const auto byte = static_cast<char>(generator() & 0xFF);
        if (byte != '\0' || withNul)
            bytes += byte;
    }
    return bytes;
}

// Lines as the program's files are read: CR LF, CR and LF end a line, a NUL ends the text.
inline std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += text[i];
            open = true;
        }
    }
    if (open)
        lines.push_back(line);
    return lines;
}

inline std::string WithCrLf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

inline std::string FirstField(const std::string& line) { return line.substr(0, line.find(';')); }

inline std::string AsciiUpper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

inline bool IsValidUtf8(const std::string& bytes)
{
    // Stateless, so that a sequence cut short at the end counts as the error it is.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}
