#include "tests/support/record.h"

#include <string>

#include "tests/support/files.h"

namespace test {

namespace {

std::wstring Unescape(const std::wstring& value)
{
    std::wstring out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == L'%' && i + 2 < value.size()) {
            out += static_cast<wchar_t>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

} // namespace

std::optional<ProductRecord> WaitForRecord(const std::wstring& path, DWORD timeoutMilliseconds)
{
    const DWORD begin = ::GetTickCount();
    std::optional<std::string> bytes;
    while (!(bytes = ReadWholeFile(path))) {
        if (::GetTickCount() - begin > timeoutMilliseconds)
            return std::nullopt;
        ::Sleep(20);
    }
    ProductRecord record;
    const std::wstring text = FromUtf8(*bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos)
            continue;
        const std::wstring key = line.substr(0, equals);
        const std::wstring value = Unescape(line.substr(equals + 1));
        if (key == L"commandline")
            record.commandLine = value;
        else if (key == L"directory")
            record.directory = value;
        else if (key == L"desktop")
            record.desktop = value;
        else if (key == L"flags")
            record.flags = std::stoul(value);
        else if (key == L"showwindow")
            record.showWindow = std::stoul(value);
        else if (key == L"env")
            record.environment.push_back(value);
    }
    return record;
}

std::vector<std::wstring> CurrentEnvironment()
{
    std::vector<std::wstring> entries;
    if (wchar_t* block = ::GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += wcslen(p) + 1)
            entries.emplace_back(p);
        ::FreeEnvironmentStringsW(block);
    }
    return entries;
}

} // namespace test
