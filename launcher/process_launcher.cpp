#include "launcher/process_launcher.h"

#include "launcher/path_helpers.h"

std::wstring ProductCommandLine(const std::wstring& executablePath, const std::wstring& arguments)
{
    // No other quoting: the arguments are the product's, byte for byte.
    return L"\"" + executablePath + L"\" " + arguments;
}

ProcessLauncher::ProcessLauncher(const std::wstring& executablePath, const std::wstring& arguments)
    : m_executablePath(executablePath), m_commandLine(ProductCommandLine(executablePath, arguments))
{
}

void ProcessLauncher::Launch()
{
    std::wstring workingDirectory = PathHelpers::ToNativeForm(PathHelpers::DirectoryOf(m_executablePath));

    // The product starts on the interactive desktop, with no show command or
    // standard handles of the launcher's.
    wchar_t desktop[] = L"WinSta0\\Default";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktop;

    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof(security);
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = FALSE;

    PROCESS_INFORMATION info = {};
    // A failed start is silent: the launcher exits as usual.
    ::CreateProcessW(m_executablePath.c_str(), m_commandLine.data(), &security, &security, FALSE, 0, nullptr,
                     workingDirectory.c_str(), &startup, &info);
    const ScopedKernelHandle thread(info.hThread);
    m_process.reset(info.hProcess);
}
