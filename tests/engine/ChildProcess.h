#pragma once

#include <functional>
#include <optional>
#include <string>

// What a piece of work run in a child process gave back.
struct ChildOutcome {
    bool refused = false;    // the machine refused the child's setup (user switch, mount ...)
    bool completed = false;  // the work ran to its end in the child
    std::string output;      // what the work returned
};

// Runs work in a forked child, so that it can change its user or its mounts without touching the test process.
// The work returns its output, or nothing when the machine refused what it needed.
ChildOutcome RunInChild(const std::function<std::optional<std::string>()>& work);

// Makes the calling process user nobody (65534); false when the machine refuses.
bool BecomeNobody();
