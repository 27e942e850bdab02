#include "tests/e2e/installation.h"

#include <windows.h>

#include <cstdlib>

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

} // namespace e2e
