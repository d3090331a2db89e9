#pragma once

#include <optional>
#include <sys/types.h>

namespace platform {

// The user of the process at the other end of a connected local socket, as the kernel recorded it when the
// connection was made (for a listening end, when it began to listen); nothing when it cannot tell.
std::optional<uid_t> PeerUserOf(int socketDescriptor);

} // namespace platform
