#include "tests/e2e/installation.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

namespace e2e {

namespace {

// The launcher to install: the build's, or another copy of it (the signed one
// of tests/release) named by E2E_LAUNCHER_EXE.
std::wstring LauncherExe()
{
    const char* chosen = std::getenv("E2E_LAUNCHER_EXE");
    return test::WindowsPath(chosen && *chosen ? chosen : LAUNCHER_EXE);
}

} // namespace

void Install(const std::wstring& folder, bool withProduct)
{
    test::CopyFileOrFail(LauncherExe(), folder + L"launcher.exe");
    if (withProduct)
        test::CopyFileOrFail(test::WindowsPath(RECORDING_PRODUCT_EXE), folder + L"orlix.bim");
}

RecordFile::RecordFile(const std::wstring& folder)
    : m_path(folder + L"record.txt"), m_environment(L"ORLIX_RECORD_FILE", m_path)
{
    ::DeleteFileW(m_path.c_str());
}

std::optional<test::ProductRecord> RecordFile::Wait(DWORD timeoutMilliseconds) const
{
    return test::WaitForRecord(m_path, timeoutMilliseconds);
}

Launch RunLauncher(const std::wstring& folder, const std::wstring& commandLine, const std::wstring& scratch,
                   DWORD recordTimeout)
{
    const RecordFile record(scratch);
    Launch launch;
    launch.run = test::RunExact(folder + L"launcher.exe", commandLine);
    launch.record = record.Wait(recordTimeout);
    return launch;
}

std::wstring ShellLog()
{
    return test::WindowsPath(SHELL_RECORDER_LOG);
}

std::vector<std::wstring> WaitForShellLog(size_t expected)
{
    std::vector<std::wstring> urls;
    const DWORD begin = ::GetTickCount();
    const DWORD patience = expected == 0 ? 2000 : 15000;
    do {
        urls.clear();
        std::istringstream log(test::ReadWholeFile(ShellLog()).value_or(""));
        for (std::string line; std::getline(log, line);)
            urls.emplace_back(line.begin(), line.end()); // the URLs are ASCII
        if (expected > 0 && urls.size() >= expected)
            break;
        ::Sleep(50);
    } while (::GetTickCount() - begin < patience);
    return urls;
}

} // namespace e2e
