#pragma once
// Reads what the recording product (tools/recording_product.cpp) wrote.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace test {

struct ProductRecord {
    std::wstring commandLine;
    std::wstring directory;
    std::wstring desktop;
    DWORD flags = 0;
    DWORD showWindow = 0;
    std::vector<std::wstring> environment; // "NAME=value", in the order given
};

// Waits until the record file exists (it is written whole and renamed into
// place), then reads it; nothing when it does not appear in time.
std::optional<ProductRecord> WaitForRecord(const std::wstring& path, DWORD timeoutMilliseconds);

// This process's environment block, as "NAME=value" entries.
std::vector<std::wstring> CurrentEnvironment();

} // namespace test
