#pragma once
// Test helpers for running the real executables under Wine.
#include <windows.h>

#include <string>

namespace test {

// A build path as CMake gives it (a Unix path under Wine's Z: drive) in
// Windows form; Windows paths are returned unchanged.
std::wstring WindowsPath(const char* path);

// A fresh folder under %TEMP%, with a space in its name, removed with its
// contents when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"launcher test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, ending in a backslash.
    const std::wstring& Path() const { return m_path; }
    // Creates a subfolder (and the ones above it); returns its path with a backslash.
    std::wstring MakeFolder(const std::wstring& relative) const;

private:
    std::wstring m_path;
};

void CopyFileOrFail(const std::wstring& from, const std::wstring& to);

struct RunResult {
    bool started = false;
    bool exited = false; // false when it still ran at the time limit (then it is ended)
    DWORD exitCode = 0;
};

// Starts `application` with exactly `commandLine` (the application name is
// passed, so neither Wine nor a shell re-quotes it) and waits for it. A test
// that acts while the process runs uses driver::RunningProcess
// (tools/driver/process_driver.h), which this is built on.
RunResult RunExact(const std::wstring& application, const std::wstring& commandLine, DWORD timeoutMilliseconds = 30000);

// Sets an environment variable for this process and the ones it starts,
// and restores the earlier value when it goes.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring m_name;
    std::wstring m_saved;
    bool m_hadValue;
};

} // namespace test
