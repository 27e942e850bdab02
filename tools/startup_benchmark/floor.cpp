// The start-up floor: a program with the launcher's imports and manifest that
// makes only the platform calls a launcher run needs, and nothing of ours:
// GDI+ start-up, common controls, COM, the SAX reader, one POST to the update
// service with its whole answer read, and the product's process creation.
// The start-up benchmark times it beside the launcher, so the platform's
// share of a start (large under Wine) is told apart from ours.
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
#include <shellapi.h>
#include <wininet.h>

#include <string>

#include "framework/command_line.h"
#include "framework/scoped_handle.h"
#include "soap/com_ptr.h"
#include "soap/sax_reader.h"
#include "ui/scoped_gdiplus.h"
#include "update/service_settings.h"

namespace {

// One POST of the request the launcher sends, the answer read to its end.
void AskTheService()
{
    wchar_t host[256] = {}, path[1024] = {};
    URL_COMPONENTSW url = {};
    url.dwStructSize = sizeof(url);
    url.lpszHostName = host;
    url.dwHostNameLength = ARRAYSIZE(host);
    url.lpszUrlPath = path;
    url.dwUrlPathLength = ARRAYSIZE(path);
    if (!::InternetCrackUrlW(kUpdateServiceUrl, 0, 0, &url))
        return;
    // Closed in the reverse of their opening: request, connection, internet.
    const ScopedInternetHandle internet(::InternetOpenW(L"Floor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    const ScopedInternetHandle connection(
        ::InternetConnectW(internet.get(), host, url.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    const DWORD flags = INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;
    const ScopedInternetHandle request(
        ::HttpOpenRequestW(connection.get(), L"POST", path, L"HTTP/1.0", nullptr, nullptr, flags, 0));
    const std::string ns = kUpdateServiceNamespaceA;
    const std::string body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
        "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><GetVersionInfo xmlns=\"" +
        ns + "\"><productID>5</productID></GetVersionInfo></soap:Body></soap:Envelope>";
    const std::wstring headers = L"Content-Type: text/xml; charset=utf-8\r\nSOAPAction: \"" +
                                 std::wstring(kUpdateServiceNamespace) + L"GetVersionInfo\"\r\n";
    if (::HttpSendRequestW(request.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                           const_cast<char*>(body.data()), static_cast<DWORD>(body.size()))) {
        char buffer[4096];
        DWORD read = 0;
        while (::InternetReadFile(request.get(), buffer, sizeof(buffer), &read) && read > 0) {
        }
    }
}

void StartTheProduct()
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder = self;
    folder.erase(folder.find_last_of(L"\\/") + 1);
    const std::wstring product = folder + L"orlix.bim";
    std::wstring commandLine = L"\"" + product + L"\" " + CommandLineTail(::GetCommandLineW());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (::CreateProcessW(product.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                         &startup, &process)) {
        // The product runs on by itself: neither handle is needed.
        const ScopedKernelHandle threadHandle(process.hThread);
        const ScopedKernelHandle processHandle(process.hProcess);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The launcher imports these DLLs as well: referenced, so the floor pays
    // for loading them alike.
    const void* volatile sameImports[] = {
        reinterpret_cast<const void*>(&::ShellExecuteW), reinterpret_cast<const void*>(&::MessageBoxW),
        reinterpret_cast<const void*>(&::DeleteObject), reinterpret_cast<const void*>(&::SysFreeString)};
    (void)sameImports;

    const ScopedGdiplus gdiplus; // shut down last, after COM
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::CoInitialize(nullptr);
    {
        soap::ComPtr<ISAXXMLReader> reader; // released at once, well before COM ends
        soap::CreateSaxReader(reader.ReleaseAndGetAddress());
    }
    AskTheService();
    StartTheProduct();
    ::CoUninitialize();
    return 0;
}
