#include "launcher/path_helpers.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "framework/exceptions.h"

namespace {

constexpr DWORD kPathStep = 260;

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Length of the root after which repeated separators collapse: "C:" (2),
// "\\server" (its name's end), "\\?\" (4, or 6 with a drive after it); 0 when
// the path has no such root.
size_t RootLength(const std::wstring& p)
{
    if (p.compare(0, 4, L"\\\\?\\") == 0)
        return p.size() >= 6 && p[5] == L':' ? 6 : 4;
    if (p.size() >= 3 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'\\') {
        const size_t end = p.find(L'\\', 2);
        return end == std::wstring::npos ? p.size() : end;
    }
    if (p.size() >= 2 && p[1] == L':')
        return 2;
    return 0;
}

} // namespace

namespace PathHelpers {

std::wstring ReadModuleFileName(const ModuleFileNameQuery& query)
{
    DWORD size = kPathStep;
    std::vector<wchar_t> buffer(size);
    DWORD length = query(buffer.data(), size);
    while (length == size) {
        size = NextModuleBufferSize(size);
        buffer = std::vector<wchar_t>(size);
        length = query(buffer.data(), size);
    }
    if (length == 0)
        throw std::runtime_error("PathHelpers::GetModuleFileName fail");
    return std::wstring(buffer.data());
}

DWORD NextModuleBufferSize(DWORD size)
{
    constexpr DWORD kLargest = UINT32_MAX / sizeof(wchar_t);
    if (size > kLargest - kPathStep)
        throw CMemoryException();
    return size + kPathStep;
}

std::wstring GetModuleFileName()
{
    return ReadModuleFileName([](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); });
}

std::wstring GetModuleDirectory()
{
    return DirectoryOf(GetModuleFileName());
}

std::wstring DirectoryOf(const std::wstring& path)
{
    const size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

std::wstring ToNativeForm(std::wstring path)
{
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    const size_t root = RootLength(path);
    if (root > 0 && root < path.size() && path[root] == L'\\') {
        const size_t next = path.find_first_not_of(L'\\', root);
        const size_t end = next == std::wstring::npos ? path.size() : next;
        path.erase(root + 1, end - root - 1);
    }
    return path;
}

} // namespace PathHelpers

std::wstring GetProductPath(const std::wstring& directory)
{
    std::wstring path = directory;
    if (!path.empty() && !IsSeparator(path.back()) && path.back() != L':')
        path += L'\\';
    return path + L"orlix.bim";
}
