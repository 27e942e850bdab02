#include "tools/driver/process_driver.h"

#include <algorithm>

namespace driver {

RunningProcess::RunningProcess(const std::wstring& application, const std::wstring& commandLine)
{
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info)) {
        const ScopedKernelHandle thread(info.hThread);
        m_process.reset(info.hProcess);
        m_id = info.dwProcessId;
    }
}

RunningProcess::~RunningProcess()
{
    if (!m_process)
        return;
    if (::WaitForSingleObject(m_process.get(), 0) != WAIT_OBJECT_0)
        ::TerminateProcess(m_process.get(), 1);
}

bool RunningProcess::Wait(DWORD timeoutMilliseconds, DWORD* exitCode)
{
    if (!m_process || ::WaitForSingleObject(m_process.get(), timeoutMilliseconds) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        ::GetExitCodeProcess(m_process.get(), exitCode);
    return true;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

namespace {

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if ((search->processId == 0 || owner == search->processId) && ::IsWindowVisible(window) &&
        std::wstring(className) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND WaitForDialog(DWORD processId, DWORD timeoutMilliseconds)
{
    DialogSearch search{processId, nullptr};
    const DWORD begin = ::GetTickCount();
    do {
        ::EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        ::Sleep(25);
    } while (::GetTickCount() - begin < timeoutMilliseconds);
    return nullptr;
}

std::vector<Button> Buttons(HWND dialog)
{
    std::vector<Button> buttons;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        ::GetClassNameW(child, className, 64);
        if (_wcsicmp(className, L"Button") != 0)
            continue;
        RECT rect;
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        buttons.push_back({child, ::GetDlgCtrlID(child), WindowText(child), rect});
    }
    std::sort(buttons.begin(), buttons.end(),
              [](const Button& a, const Button& b) { return a.rect.left < b.rect.left; });
    return buttons;
}

void Press(const Button& button)
{
    ::PostMessageW(button.window, BM_CLICK, 0, 0);
}

} // namespace driver
