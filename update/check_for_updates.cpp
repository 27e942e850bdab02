#include "update/check_for_updates.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "framework/win_app.h"
#include "launcher/string_catalog.h"
#include "launcher/string_ids.h"
#include "message/message_box.h"
#include "update/service.h"
#include "update/version_answer.h"

namespace {

// Each network operation is bounded by the transport's time-outs; the whole
// answer, headers included, by the total limit, so that no start waits long
// on the service whatever it does.
constexpr DWORD kServiceTimeLimit = 2000;
constexpr DWORD kServiceTotalTimeLimit = 10000;

// The update check's messages carry no title: the catalogue has no such text.
constexpr UINT kTitleId = StringId::UpdateCheckTitle;
constexpr UINT kNewVersionTextId = StringId::NewVersionText;
constexpr UINT kConnectionErrorTextId = StringId::ConnectionErrorText;
constexpr UINT kNoLabelId = StringId::NoLabel;

struct SysFreeStringDeleter {
    void operator()(BSTR text) const { ::SysFreeString(text); }
};

} // namespace

UpdateStatus QueryUpdate(std::wstring& downloadUrl)
{
    const VersionFields builtIn = SplitVersion(kBuiltInVersion);
    Service::CServiceT<CSoapWininetClient> service;
    service.SetTimeLimit(kServiceTimeLimit);
    service.SetTotalTimeLimit(kServiceTotalTimeLimit);

    BSTR answer = nullptr;
    if (service.GetVersionInfo(&answer) != S_OK)
        return CheckFailed;
    const std::unique_ptr<OLECHAR, SysFreeStringDeleter> owned(answer);
    const std::wstring text = answer ? std::wstring(answer, ::SysStringLen(answer)) : std::wstring();

    const UpdateStatus status = CompareAnswer(text, builtIn);
    downloadUrl = ReadDownloadUrl(text);
    return status;
}

void CheckForUpdates()
{
    std::wstring downloadUrl;
    const UpdateStatus status = QueryUpdate(downloadUrl);
    const HWND parent = AfxGetMainWnd();
    if (status == UpdateAvailable) {
        Message::ButtonSpecs buttons;
        Message::AddButton(Message::AddButton(buttons, {L"Download", IDYES}), {StringCatalog::Get(kNoLabelId), IDNO});
        const int choice = Message::Show(StringCatalog::GetAfterNewline(kTitleId), StringCatalog::Get(kNewVersionTextId),
                                         Message::Question, buttons, parent);
        // The URL comes from the network: only a web page is opened, never a
        // program, a script or a file share.
        if (choice == IDYES && IsOpenableDownloadUrl(downloadUrl))
            ::ShellExecuteW(nullptr, nullptr, downloadUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } else if (status == CheckFailed) {
        Message::Show(IDCLOSE, StringCatalog::GetAfterNewline(kTitleId), StringCatalog::Get(kConnectionErrorTextId),
                      Message::Error, parent);
    }
}
