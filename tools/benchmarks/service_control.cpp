#include "tools/benchmarks/service_control.h"

#include <wininet.h>

#include "framework/scoped_handle.h"

bool SetDefaultAnswer(unsigned short port, const std::string& json)
{
    bool ok = false;
    // Closed in the reverse of their opening: request, connection, internet.
    const ScopedInternetHandle internet(::InternetOpenW(L"benchmark", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    const ScopedInternetHandle connection(
        internet ? ::InternetConnectW(internet.get(), L"127.0.0.1", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                 : nullptr);
    const ScopedInternetHandle request(
        connection ? ::HttpOpenRequestW(connection.get(), L"POST", L"/control/default", nullptr, nullptr, nullptr,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                   : nullptr);
    if (request && ::HttpSendRequestW(request.get(), nullptr, 0, const_cast<char*>(json.data()),
                                      static_cast<DWORD>(json.size()))) {
        DWORD status = 0, size = sizeof status;
        ok =
            ::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
            status == 200;
    }
    return ok;
}
