#pragma once

#include "engine/RunContext.h"
#include "localisation/UiText.h"

#include <set>
#include <string>

// What a notice of a failed run says: a title with the profile's name, and a body of one line per
// kind of failure followed by where the details are. System encoding, like the interface texts.
struct FailureNotice {
    std::string title;
    std::string body;
};

FailureNotice FailureNoticeFor(const std::string& profileName, const RunFailures& failures, const UiText& text);

// Whether notices of failed runs are wanted: key Failures of section [Notifications] in the settings
// file, off when it is "0". Only read, so that a first start leaves the file as it always was.
bool FailureNoticesWanted();

// Which profiles have failed since their last clean run, by name, so that one that keeps failing is
// told of once: a notice is due for the first failure after a clean run (or after start-up) only.
// Kept by name, not by number, so that a reload of the profile table neither repeats nor loses it.
class FailureStreaks {
public:
    // Records how a run of the profile ended; true when this failure begins a new streak.
    bool BeginsStreak(const std::string& profileName, bool failed);

private:
    std::set<std::string> m_failing; // names upper-cased in ASCII, as profile names compare
};
