#include "net/socketoptions.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

bool setOption(qintptr descriptor, int level, int name, int value)
{
    return setsockopt(int(descriptor), level, name, &value, sizeof value) == 0;
}

} // namespace

bool setLiveSocketOptions(qintptr descriptor)
{
    if (descriptor < 0)
        return false;
    bool ok = setOption(descriptor, IPPROTO_TCP, TCP_NODELAY, 1);
    ok = setOption(descriptor, SOL_SOCKET, SO_KEEPALIVE, 1) && ok;
    ok = setOption(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, kKeepAliveIdleSeconds) && ok;
    ok = setOption(descriptor, IPPROTO_TCP, TCP_KEEPINTVL, kKeepAliveIntervalSeconds) && ok;
    ok = setOption(descriptor, IPPROTO_TCP, TCP_KEEPCNT, kKeepAliveProbes) && ok;
#ifdef TCP_USER_TIMEOUT
    ok = setOption(descriptor, IPPROTO_TCP, TCP_USER_TIMEOUT, kUnacknowledgedTimeoutMs) && ok;
#endif
    return ok;
}
