#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The names between the "/" of a path, in order. Empty ones ("//", a leading or a trailing "/") are
// left out; "." and ".." are kept as written, for the caller to apply by its own rules.
std::vector<std::string> NamesOf(std::string_view path);

// The path of names below "/": "/a/b" for a and b, "/" for none. NamesOf gives the names back.
std::string PathOfNames(const std::vector<std::string>& names);

// The folder part of a path: up to and including its last "/"; empty when it has none.
std::string FolderPartOf(std::string_view path);

// The name after the folder part.
std::string NameOf(std::string_view path);

// Whether path names something straight in folderPart (a folder part, as above), not further below it.
bool LiesIn(const std::string& path, const std::string& folderPart);

} // namespace platform
