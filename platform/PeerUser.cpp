#include "platform/PeerUser.h"

#include <sys/socket.h>

namespace platform {

std::optional<uid_t> PeerUserOf(int socketDescriptor)
{
    struct ucred peer {};
    socklen_t length = sizeof peer;
    if (socketDescriptor < 0 || ::getsockopt(socketDescriptor, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0)
        return std::nullopt;
    return peer.uid;
}

} // namespace platform
