#include "update/idn_host.h"

#include <windows.h>

std::wstring IdnHostToAscii(const std::wstring& host)
{
    // A host name has at most 255 characters, which is IdnToAscii's own limit.
    wchar_t ascii[256];
    // No IDN_USE_STD3_ASCII_RULES: Wine 8 refuses every name outside ASCII
    // with it, so the caller checks the result's characters itself.
    const int length = ::IdnToAscii(0, host.data(), static_cast<int>(host.size()), ascii, 256);
    return length > 0 ? std::wstring(ascii, static_cast<size_t>(length)) : std::wstring();
}
