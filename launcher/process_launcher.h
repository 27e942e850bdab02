#pragma once
// Starts the product once, with the launcher's arguments unchanged, and
// keeps the process handle until it goes out of scope.
#include "framework/scoped_handle.h"

#include <windows.h>

#include <string>

class ProcessLauncher {
public:
    // `executablePath` in native form; `arguments` exactly as the launcher got them.
    ProcessLauncher(const std::wstring& executablePath, const std::wstring& arguments);
    ProcessLauncher(const ProcessLauncher&) = delete;
    ProcessLauncher& operator=(const ProcessLauncher&) = delete;

    // Creates the process; a failure is silent and leaves Process() null.
    void Launch();

    const std::wstring& CommandLine() const { return m_commandLine; }
    HANDLE Process() const { return m_process.get(); }

private:
    std::wstring m_executablePath;
    std::wstring m_commandLine; // writable, as CreateProcessW requires
    ScopedKernelHandle m_process;
};

// The product's command line: the quoted path, one blank, the arguments.
std::wstring ProductCommandLine(const std::wstring& executablePath, const std::wstring& arguments);
