#include "net/socketoptions.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

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

void TcpEndWitness::watch(qintptr descriptor)
{
    release();
    if (descriptor >= 0)
        m_handle = ::fcntl(int(descriptor), F_DUPFD_CLOEXEC, 0);
}

bool TcpEndWitness::readInfo(tcp_info& info) const
{
    socklen_t size = sizeof info;
    return m_handle >= 0 && getsockopt(m_handle, IPPROTO_TCP, TCP_INFO, &info, &size) == 0;
}

bool TcpEndWitness::peerClosedCleanly() const
{
    tcp_info info = {};
    return readInfo(info) && info.tcpi_state == TCP_CLOSE_WAIT;
}

bool TcpEndWitness::peerStoppedAnswering() const
{
    tcp_info info = {};
    return readInfo(info) && (info.tcpi_retransmits > 0 || info.tcpi_probes > 0);
}

void TcpEndWitness::release()
{
    if (m_handle >= 0)
        ::close(m_handle);
    m_handle = -1;
}
