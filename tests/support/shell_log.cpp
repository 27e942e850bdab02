#include "tests/support/shell_log.h"

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace test {

namespace {
constexpr DWORD kPatienceForNone = 2000;
constexpr DWORD kPatienceForSome = 15000;

// The complete lines only: the recorder may be half-way through one.
std::vector<std::wstring> CompleteLines(const std::string& log)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(FromUtf8(log.substr(start, end - start)));
    return lines;
}
} // namespace

std::wstring ShellLog()
{
    return WindowsPath(SHELL_RECORDER_LOG);
}

void ClearShellLog()
{
    ::DeleteFileW(ShellLog().c_str());
}

std::vector<std::wstring> WaitForShellLog(size_t expected, DWORD patience)
{
    if (patience == 0)
        patience = expected == 0 ? kPatienceForNone : kPatienceForSome;
    std::vector<std::wstring> urls;
    const DWORD begin = ::GetTickCount();
    do {
        urls = CompleteLines(ReadWholeFile(ShellLog()).value_or(""));
        if (expected > 0 && urls.size() >= expected)
            break;
        ::Sleep(50);
    } while (::GetTickCount() - begin < patience);
    return urls;
}

} // namespace test
