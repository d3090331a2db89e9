#pragma once

#include <cstddef>

namespace platform {

// How many files the process may hold open at once, once its own limit has been raised as far as the
// system lets it, up to 65536. Raised on the first call only; later calls read the limit again.
size_t OpenFileLimit();

} // namespace platform
