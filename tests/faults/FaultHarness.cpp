#include "FaultHarness.h"

#include "engine/PartFile.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/stat.h>

bool IsEmptyAbortLine(const std::string& line) { return std::regex_match(line, std::regex("[^ ]+( [^ ]+)? ")); }

void AppendBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> PartFilesBelow(const std::string& folder)
{
    std::vector<std::string> parts;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (IsPartFileName(it->path().filename().string()))
            parts.push_back(it->path().string());
    return parts;
}

std::vector<std::string> EntriesBelow(const std::string& folder)
{
    std::vector<std::string> entries;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        entries.push_back(std::filesystem::relative(it->path(), folder).string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

ino_t InodeOf(const std::string& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

std::string ContentOf(const std::string& path) { return platform::ReadWholeFile(path); }

void WriteLargeFile(const std::string& path, size_t size, unsigned seed, std::time_t time)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    constexpr size_t Piece = size_t { 1 } << 20;
    for (size_t at = 0; at < size; at += Piece) {
        const std::string piece
            = PatternBytes(std::min(Piece, size - at), seed * 100003u + static_cast<unsigned>(at / Piece));
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
    out.close();
    SetModificationTime(path, time);
}
