// A stand-in for the product "orlix.bim": it records what it was started
// with. Tests copy it beside the launcher; the demo shows it.
//
// With ORLIX_RECORD_FILE naming a file it writes there, as UTF-8 lines of
// "key=value" (value with %, CR and LF percent-escaped): commandline,
// directory, desktop, flags, showwindow and one "env=" line per variable.
// Without it, it shows the same lines in a small window.
//
// With ORLIX_START_LOG naming a file it also appends one line to it, its own
// program path in UTF-8, so that a test counts starts and sees which copy
// started (a copy under another name stands for a program nobody may start).
#include <windows.h>

#include <string>

// Header only, and only its CloseHandle deleter is used: no further import.
#include "framework/scoped_handle.h"

namespace {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Escape(const std::wstring& value)
{
    std::wstring out;
    for (wchar_t c : value) {
        if (c == L'%')
            out += L"%25";
        else if (c == L'\r')
            out += L"%0D";
        else if (c == L'\n')
            out += L"%0A";
        else
            out += c;
    }
    return out;
}

std::wstring Record()
{
    std::wstring out;
    auto line = [&out](const wchar_t* key, const std::wstring& value) {
        out += key;
        out += L'=';
        out += Escape(value);
        out += L'\n';
    };

    line(L"commandline", ::GetCommandLineW());

    wchar_t directory[32768] = {};
    ::GetCurrentDirectoryW(32768, directory);
    line(L"directory", directory);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    line(L"desktop", startup.lpDesktop ? startup.lpDesktop : L"");
    line(L"flags", std::to_wstring(startup.dwFlags));
    line(L"showwindow", std::to_wstring(startup.wShowWindow));

    if (wchar_t* block = ::GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += wcslen(p) + 1)
            line(L"env", p);
        ::FreeEnvironmentStringsW(block);
    }
    return out;
}

// Written under a temporary name and renamed, so a reader never sees half a record.
bool WriteRecord(const std::wstring& path, const std::string& bytes)
{
    const std::wstring temporary = path + L".part";
    HANDLE file =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ScopedKernelHandle owned(file);
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    owned.reset(); // closed before the rename
    return ok && written == bytes.size() && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// One line per start, appended whole.
void LogStart(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const ScopedKernelHandle owned(file);
    wchar_t self[32768] = {};
    ::GetModuleFileNameW(nullptr, self, 32768);
    const std::string line = ToUtf8(self) + "\n";
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    wchar_t target[32768] = {};
    if (::GetEnvironmentVariableW(L"ORLIX_START_LOG", target, 32768) > 0)
        LogStart(target);
    const std::wstring record = Record();
    if (::GetEnvironmentVariableW(L"ORLIX_RECORD_FILE", target, 32768) > 0)
        return WriteRecord(target, ToUtf8(record)) ? 0 : 1;
    ::MessageBoxW(nullptr, record.c_str(), L"orlix.bim received", MB_OK | MB_ICONINFORMATION);
    return 0;
}
