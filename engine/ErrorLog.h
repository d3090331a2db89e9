#pragma once

#include "localisation/UiText.h"
#include "platform/UserDialogs.h"

#include <string>

// The error log beside the executable: Error.log, name matched without regard to case.
std::string ErrorLogPath();

// Appends one line: the time stamp, a blank and text, whose line breaks are written as \n and \r, so
// one entry is one line. Throws Error with a clear message when the log cannot be read or written.
void AppendErrorLog(const std::string& text);

// The text of a file failure line, from the interface texts as they are now.
std::string FileFailureText(const UiText& text, const std::string& source, const std::string& destination);

// The text of the line for a source folder that is missing or cannot be listed: the MErrorCopy text,
// the folder and the system's reason ("... /home/ana/Docs: Permission denied").
std::string FolderFailureText(const UiText& text, const std::string& folder, const std::string& reason);

// Opens the log in the desktop's text viewer, the path passed whole; failures are silent.
void ViewErrorLog();

// Asks with the information box (MconfirmDel) and deletes the log when the answer is Yes. A log that cannot
// be deleted throws Error("Cannot delete the error log <path>: <reason>"), which the box shows.
void ClearErrorLog(const UiText& text, UserDialogs& dialogs);
