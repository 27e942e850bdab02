#include "tests/support/update_service_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace test {

namespace {

struct WinsockStartup {
    WinsockStartup()
    {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockStartup() { ::WSACleanup(); }
};

class Socket {
public:
    Socket() : m_socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
    ~Socket()
    {
        if (m_socket != INVALID_SOCKET)
            ::closesocket(m_socket);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET Get() const { return m_socket; }

private:
    SOCKET m_socket;
};

} // namespace

unsigned short UpdateServicePort()
{
    return UPDATE_TEST_SERVICE_PORT;
}

unsigned short ClosedPort()
{
    static WinsockStartup startup;
    const Socket socket;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (::bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

std::wstring UpdateServiceUrl(unsigned short port)
{
    return L"http://127.0.0.1:" + std::to_wstring(port) + L"/Service.asmx";
}

std::string JsonString(const std::wstring& text)
{
    std::string out = "\"";
    for (const wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out + "\"";
}

std::string NewerBuild(const std::wstring& url, const std::string& more)
{
    return R"({"version": "1.1.1.1", "url": )" + JsonString(url) + more + "}";
}

UpdateServiceControl::UpdateServiceControl(unsigned short port) : m_port(port)
{
    static WinsockStartup startup;
}

bool UpdateServiceControl::Exchange(const char* method, const std::string& path, const std::string& body,
                                    std::string* reply, int* status)
{
    Socket socket;
    if (socket.Get() == INVALID_SOCKET)
        return false;
    DWORD timeout = 10000;
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(m_port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::connect(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return false;
    const std::string request = std::string(method) + " " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n" +
                                "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
                                "\r\n\r\n" + body;
    for (size_t sent = 0; sent < request.size();) {
        const int n = ::send(socket.Get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    std::string answer;
    char buffer[16384];
    for (;;) {
        const int n = ::recv(socket.Get(), buffer, sizeof buffer, 0);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    const size_t end = answer.find("\r\n\r\n");
    if (answer.compare(0, 5, "HTTP/") != 0 || end == std::string::npos)
        return false;
    const int code = static_cast<int>(std::strtol(answer.c_str() + answer.find(' ') + 1, nullptr, 10));
    if (status)
        *status = code;
    if (reply)
        *reply = answer.substr(end + 4);
    return code == 200;
}

bool UpdateServiceControl::Reset()
{
    return Exchange("POST", "/control/reset", "", nullptr);
}

bool UpdateServiceControl::Script(const std::string& answersJson)
{
    return Exchange("POST", "/control/next", answersJson, nullptr);
}

bool UpdateServiceControl::SetDefault(const std::string& answerJson)
{
    return Exchange("POST", "/control/default", answerJson, nullptr);
}

int UpdateServiceControl::RequestCount()
{
    std::string reply;
    if (!Exchange("GET", "/control/requests/count", "", &reply))
        return -1;
    char* end = nullptr;
    const long count = std::strtol(reply.c_str(), &end, 10);
    return end != reply.c_str() ? static_cast<int>(count) : -1; // an answer that is no number is no count
}

std::string UpdateServiceControl::Request(int index)
{
    std::string reply;
    return Exchange("GET", "/control/requests/" + std::to_string(index) + "/raw", "", &reply) ? reply : "";
}

std::string UpdateServiceControl::LastRequest()
{
    std::string reply;
    return Exchange("GET", "/control/requests/last/raw", "", &reply) ? reply : "";
}

std::string UpdateServiceControl::RequestsJson()
{
    std::string reply;
    return Exchange("GET", "/control/requests", "", &reply) ? reply : "";
}

} // namespace test
