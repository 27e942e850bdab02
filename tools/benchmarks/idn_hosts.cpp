// What the platform's IdnToAscii makes of a few host names, without flags
// (as the update check calls it) and with IDN_USE_STD3_ASCII_RULES: the
// result, or 0 and the error code. The update check relies on these answers
// when it writes a download URL as a plain web address.
//
//   idn_hosts    prints one line per host and flag
#include <windows.h>

#include <cstdio>
#include <string>

int wmain()
{
    const struct {
        const wchar_t* name; // ASCII, for the output
        std::wstring host;
    } hosts[] = {
        {L"b\\u00fccher.example", L"b\u00fccher.example"},
        {L"B\\u00fccher.EXAMPLE", L"B\u00fccher.EXAMPLE"},
        {L"xn--bcher-kva.example", L"xn--bcher-kva.example"},
        {L"Japanese example.test", L"\u4f8b\u3048.\u30c6\u30b9\u30c8"},
        {L"\\u00df.test", L"\u00df.test"},
        {L"x\\uff0etest (full-width dot)", L"x\uff0etest"},
        {L"x.test\\uff0fpath (full-width slash)", L"x.test\uff0fpath"},
        {L"a\\uff20b (full-width at)", L"a\uff20b"},
        {L"x\\u00a0y.test (no-break space)", L"x\u00a0y.test"},
        {L"\\u00ad (soft hyphen)", L"\u00ad"},
        {L"my_h\\u00f6st.test", L"my_h\u00f6st.test"},
        {L"[\\u00fc::1]", L"[\u00fc::1]"},
        {L"U+1F600.test (unassigned in Unicode 3.2)", L"\U0001F600.test"},
        {L"U+D800 x.test (unpaired surrogate)", std::wstring(1, wchar_t(0xD800)) + L"x.test"},
        {L"64 x \\u00fc .test (label too long)", std::wstring(64, L'\u00fc') + L".test"},
    };
    std::printf("kernel32 IdnToAscii: %s\n",
                ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IdnToAscii") ? "exported" : "missing");
    for (const DWORD flags : {DWORD{0}, DWORD{IDN_USE_STD3_ASCII_RULES}}) {
        for (const auto& h : hosts) {
            wchar_t ascii[256];
            ::SetLastError(0);
            const int length = ::IdnToAscii(flags, h.host.data(), static_cast<int>(h.host.size()), ascii, 256);
            const DWORD error = ::GetLastError();
            if (length > 0)
                std::printf("flags %lu  %-42ls -> %.*ls\n", flags, h.name, length, ascii);
            else
                std::printf("flags %lu  %-42ls -> 0, error %lu\n", flags, h.name, error);
        }
    }
    return 0;
}
