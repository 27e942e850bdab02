#include "soap/connection_cut.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

// Handle values are multiples of 4, handed out lowest first; the launcher
// holds a few hundred.
constexpr UINT_PTR kLastHandleValue = 0x10000;

bool RunsUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

INTERNET_PORT PeerPort(SOCKET socket)
{
    sockaddr_storage peer = {};
    int length = sizeof peer;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return 0;
    if (peer.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(peer).sin_port);
    if (peer.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(peer).sin6_port);
    return 0;
}

class WinsockUse {
public:
    WinsockUse() : m_started(::WSAStartup(MAKEWORD(2, 2), &m_data) == 0) {}
    ~WinsockUse()
    {
        if (m_started)
            ::WSACleanup();
    }
    WinsockUse(const WinsockUse&) = delete;
    WinsockUse& operator=(const WinsockUse&) = delete;
    bool Started() const { return m_started; }

private:
    WSADATA m_data = {};
    bool m_started;
};

} // namespace

bool CutConnection(HINTERNET request, INTERNET_PORT serverPort)
{
    const WinsockUse winsock;
    if (!winsock.Started())
        return false;
    // Windows names the request's socket. Wine names none (0), and reads
    // state that the running send changes to answer; its connection is the
    // socket of this process whose peer has the server's port.
    if (!RunsUnderWine()) {
        INTERNET_DIAGNOSTIC_SOCKET_INFO info = {};
        DWORD size = sizeof info;
        return ::InternetQueryOptionW(request, INTERNET_OPTION_DIAGNOSTIC_SOCKET_INFO, &info, &size) &&
               info.Socket != 0 && ::shutdown(static_cast<SOCKET>(info.Socket), SD_BOTH) == 0;
    }
    bool cut = false;
    for (UINT_PTR value = 4; value < kLastHandleValue; value += 4) {
        const SOCKET socket = static_cast<SOCKET>(value);
        if (PeerPort(socket) == serverPort && ::shutdown(socket, SD_BOTH) == 0)
            cut = true;
    }
    return cut;
}
