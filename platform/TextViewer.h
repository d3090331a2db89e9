#pragma once

#include <string>

namespace platform {

// Opens path in the desktop's default text viewer ("xdg-open"). The path reaches the viewer whole, as one
// argument, never through a shell, so blanks and shell characters in it mean nothing. Nothing waits for the
// viewer and no zombie is left behind; when the viewer cannot be started, nothing happens.
void OpenInTextViewer(const std::string& path);

} // namespace platform
