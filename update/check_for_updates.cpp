#include "update/check_for_updates.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cwchar>
#include <new>
#include <string>

#include "framework/scoped_handle.h"
#include "framework/win_app.h"
#include "launcher/string_catalog.h"
#include "launcher/string_ids.h"
#include "message/message_box.h"
#include "update/idn_host.h"
#include "update/service.h"
#include "update/version_answer.h"

namespace {

// Each network operation is bounded by the transport's time-outs; the whole
// call, answer and parsing included, by its total limit and its byte limit
// (soap/wininet_client.h), so that no start waits long on the service
// whatever it does.
constexpr DWORD kServiceTimeLimit = 2000;

} // namespace

void DescribeFailedCheck(ClientError stage, HRESULT hr, wchar_t (&line)[160])
{
    std::swprintf(line, 160, L"Velto launcher: update check failed: ClientError %ls (%d), HRESULT 0x%08lX\n",
                  ClientErrorName(stage), static_cast<int>(stage), static_cast<unsigned long>(hr));
}

UpdateStatus QueryUpdate(std::wstring& downloadUrl)
{
    ClientError stage = ClientError::None;
    HRESULT hr = E_FAIL;
    try {
        const VersionFields builtIn = SplitVersion(kBuiltInVersion);
        Service::CServiceT<CSoapWininetClient> service;
        service.SetTimeLimit(kServiceTimeLimit);

        BSTR answer = nullptr;
        hr = service.GetVersionInfo(&answer);
        stage = service.GetClientError();
        if (hr == S_OK) {
            const ScopedBstr owned(answer);
            const std::wstring text = answer ? std::wstring(answer, ::SysStringLen(answer)) : std::wstring();
            const UpdateStatus status = CompareAnswer(text, builtIn);
            std::wstring url = ReadDownloadUrl(text);
            downloadUrl.swap(url);
            return status;
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    wchar_t line[160];
    DescribeFailedCheck(stage, hr, line);
    ::OutputDebugStringW(line);
    return CheckFailed;
}

void CheckForUpdates()
{
    std::wstring downloadUrl;
    const UpdateStatus status = QueryUpdate(downloadUrl);
    const HWND parent = AfxGetMainWnd();
    if (status == UpdateAvailable) {
        Message::ButtonSpecs buttons;
        Message::AddButton(Message::AddButton(buttons, {L"Download", IDYES}),
                           {StringCatalog::Get(StringId::NoLabel), IDNO});
        const int choice =
            Message::Show(StringCatalog::GetAfterNewline(StringId::UpdateCheckTitle),
                          StringCatalog::Get(StringId::NewVersionText), Message::Question, buttons, parent);
        // The URL comes from the network: only a web page is opened, never a
        // program, a script or a file share, and always as a plain address.
        if (choice == IDYES) {
            const std::wstring page = ToPlainWebAddress(downloadUrl, IdnHostToAscii);
            if (IsOpenableDownloadUrl(page))
                ::ShellExecuteW(nullptr, nullptr, page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        }
    } else if (status == CheckFailed) {
        Message::Show(IDCLOSE, StringCatalog::GetAfterNewline(StringId::UpdateCheckTitle),
                      StringCatalog::Get(StringId::ConnectionErrorText), Message::Error, parent);
    }
}
