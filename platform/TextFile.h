#pragma once

#include "platform/Error.h"

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform {

// Splits text into lines: CR LF, a lone CR and a lone LF each end a line; a NUL ends the text.
// Text after the last line end is a last line of its own; a final line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Joins lines, each followed by CR LF, the last included.
std::string JoinLines(const std::vector<std::string>& lines);

// What JoinLines(SplitLines(text)) gives, taken a piece of the text at a time, so that a text of any length
// is rewritten without holding it: each piece gives its share, and Finish ends a last line left open.
class CrLfLines {
public:
    std::string Take(std::string_view piece);
    std::string Finish();
    bool Ended() const { return m_ended; } // a NUL was seen: nothing after it is read

private:
    bool m_afterCr = false; // the piece before ended in CR: an LF first in this one is its CR LF
    bool m_lineOpen = false;
    bool m_ended = false;
};

// Reads a whole file. Throws Error("Cannot open file <path>") when it cannot be opened or read, or is no
// regular file.
std::string ReadWholeFile(const std::string& path);

// Appends what an open file holds from its offset to its end to content; expectedSize (its size, where
// known) only saves the string from growing step by step. False with errno set when a read fails.
bool ReadToEnd(int fd, off_t expectedSize, std::string& content);

// Reads a file whole into lines by the rules of SplitLines.
std::vector<std::string> ReadLines(const std::string& path);

// A text's lines, and the bytes from its first NUL on: no reader sees them, but a rewrite keeps them.
struct TextLines {
    std::vector<std::string> lines;
    std::string fromNul;
};

// Reads a file whole as TextLines, for a rewrite that must lose nothing of it.
TextLines ReadTextLines(const std::string& path);

// A write refused because the file itself may not be written by us; nothing was changed.
class FileNotWritable : public Error {
public:
    using Error::Error;
};

// Replaces the file's content by bytes. A symbolic link is followed to the file it names, which
// gets the content; the link stays. The new content goes to a temporary file beside that file
// first and is renamed over it, so a full disk or a crash never leaves a file half written; where
// the folder takes no new file, or the new file could not keep the old one's owner, the file is
// rewritten in place, its room taken before the old content is touched.
// Throws FileNotWritable("Cannot create file <path>") when the file exists but we may not write it
// (its mode gives no one write access, or the system refuses us), Error("Cannot create file
// <path>") when it cannot be opened for writing, and Error("Unable to write to <path>") when
// writing fails.
void WriteWholeFile(const std::string& path, std::string_view bytes);

using PieceWriter = std::function<void(std::string_view)>;

// As WriteWholeFile, with the content handed by produce to the writer it is given, a piece at a time.
// Whatever produce throws leaves the file as it was.
void WriteWholeFileInPieces(const std::string& path, const std::function<void(const PieceWriter&)>& produce);

// Writes lines, each ended by CR LF, as WriteWholeFile does.
void WriteLines(const std::string& path, const std::vector<std::string>& lines);

// Writes the lines, each ended by CR LF, then the bytes from the NUL on as they were, as WriteWholeFile does.
void WriteTextLines(const std::string& path, const TextLines& text);

// Removes the file that a write to path would land in: a symbolic link stays and keeps naming where
// the file was, so that the next write begins it there again; a link that can lead to no file (a loop,
// a path through a file) goes itself. True when no file is left there; false with errno set otherwise.
bool RemoveWriteTarget(const std::string& path);

bool IsRegularFile(const std::string& path);  // follows symbolic links
bool IsFolder(const std::string& path);       // follows symbolic links
bool PathExists(const std::string& path);     // anything at all, links not followed

} // namespace platform
