// The longest download URL the platform's shell opens without harm: for a
// few URL shapes, finds by bisection the longest that ShellExecuteW opens and
// the shortest that ends the calling process. Each attempt runs in a child
// process of this program, which reports a crash through its exit code.
//
//   shell_url_limit            prints the figures
//   shell_url_limit open URL   (the child) opens URL as the update check does
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "framework/scoped_handle.h"

namespace {

LONG WINAPI ExitOnCrash(EXCEPTION_POINTERS* info)
{
    // Ends at once with the exception code, without waiting for a debugger.
    ::TerminateProcess(::GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

int Open(const wchar_t* url)
{
    ::SetUnhandledExceptionFilter(&ExitOnCrash);
    ::ShellExecuteW(nullptr, nullptr, url, nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}

// True when a child opened `url` and ended normally.
bool OpensSafely(const std::wstring& self, const std::wstring& url, DWORD* exitCode)
{
    std::wstring commandLine = L"\"" + self + L"\" open " + url;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return false;
    const ScopedKernelHandle thread(info.hThread);
    const ScopedKernelHandle process(info.hProcess);
    *exitCode = STILL_ACTIVE;
    if (::WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), STILL_ACTIVE);
    else
        ::GetExitCodeProcess(process.get(), exitCode);
    return *exitCode == 0;
}

struct Shape {
    const wchar_t* name;
    const wchar_t* head; // filled with `fill` up to the length, then `tail`
    wchar_t fill;
    const wchar_t* tail;
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wstring(argv[1]) == L"open")
        return Open(argv[2]);

    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const Shape shapes[] = {
        {L"long path", L"http://downloads.example.test/", L'a', L""},
        {L"long query", L"https://downloads.example.test/setup.exe?build=", L'1', L""},
        {L"long host", L"http://", L'h', L".example.test/setup.exe"},
        {L"long fragment", L"http://downloads.example.test/get#", L'f', L""},
    };
    std::printf("%-14s %8s %8s  %s\n", "shape", "opens", "fails", "(characters; exit code of the first failure)");
    for (const Shape& shape : shapes) {
        const size_t fixed = wcslen(shape.head) + wcslen(shape.tail);
        auto make = [&](size_t length) {
            return std::wstring(shape.head) + std::wstring(length - fixed, shape.fill) + shape.tail;
        };
        size_t good = fixed + 1;
        // Well past the failures seen (under Wine they begin near 1000
        // characters and change kind near 2000).
        size_t bad = 1500;
        DWORD code = 0;
        DWORD badCode = 0;
        if (OpensSafely(self, make(bad), &code)) {
            std::printf("%-14ls %8zu %8s\n", shape.name, bad, "-");
            continue;
        }
        badCode = code;
        while (bad - good > 1) {
            const size_t middle = good + (bad - good) / 2;
            if (OpensSafely(self, make(middle), &code)) {
                good = middle;
            } else {
                bad = middle;
                badCode = code;
            }
        }
        std::printf("%-14ls %8zu %8zu  0x%08lX\n", shape.name, good, bad, static_cast<unsigned long>(badCode));
    }
    return 0;
}
