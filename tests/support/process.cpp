#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/scoped_handle.h"
#include "tools/driver/process_driver.h"

namespace test {

std::wstring WindowsPath(const char* path)
{
    std::wstring out;
    if (path[0] == '/')
        out = L"Z:";
    for (const char* p = path; *p; ++p)
        out += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

namespace {

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        const ScopedFindHandle owned(search); // closed before the folder is removed
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + name + L"\\");
            else
                ::DeleteFileW((folder + name).c_str());
        } while (::FindNextFileW(search, &found));
    }
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace

TempFolder::TempFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    m_path = std::wstring(temp) + name + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
             std::to_wstring(++counter) + L"\\";
    RemoveTree(m_path);
    if (!::CreateDirectoryW(m_path.c_str(), nullptr))
        ADD_FAILURE() << "cannot create " << testing::PrintToString(m_path);
}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

std::wstring TempFolder::MakeFolder(const std::wstring& relative) const
{
    std::wstring path = m_path;
    size_t start = 0;
    while (start < relative.size()) {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relative.size();
        path += relative.substr(start, end - start) + L"\\";
        ::CreateDirectoryW(path.c_str(), nullptr);
        start = end + 1;
    }
    return path;
}

void CopyFileOrFail(const std::wstring& from, const std::wstring& to)
{
    if (!::CopyFileW(from.c_str(), to.c_str(), FALSE))
        ADD_FAILURE() << "cannot copy " << testing::PrintToString(from) << " to " << testing::PrintToString(to)
                      << ", error " << ::GetLastError();
}

RunResult RunExact(const std::wstring& application, const std::wstring& commandLine, DWORD timeoutMilliseconds)
{
    RunResult result;
    driver::RunningProcess process(application, commandLine);
    result.started = process.Started();
    result.exited = process.Wait(timeoutMilliseconds, &result.exitCode);
    return result; // a process still running is ended with the object
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : m_name(name)
{
    std::vector<wchar_t> saved(32768);
    m_hadValue = ::GetEnvironmentVariableW(name, saved.data(), 32768) > 0;
    m_saved = saved.data();
    ::SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment()
{
    ::SetEnvironmentVariableW(m_name.c_str(), m_hadValue ? m_saved.c_str() : nullptr);
}

} // namespace test
