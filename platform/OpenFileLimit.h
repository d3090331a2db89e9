#pragma once

#include <cstddef>

namespace platform {

// How many files the process may hold open at once, once its own limit has been raised as far as the
// system lets it, up to 65536; never more than that, however high the limit. Raised on the first call
// only; later calls read the limit again.
size_t OpenFileLimit();

// Puts back the limit the process started with, for a program about to be started from it: one written
// for the usual limit may rely on it (select() cannot wait on descriptors past 1023).
void RestoreStartingOpenFileLimit();

} // namespace platform
