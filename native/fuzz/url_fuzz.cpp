// The service URL's escaping and splitting, on any text: before the first
// "?" or "#" the escaped URL holds only the bytes kept as they are and
// lowercase escapes, after it the text is kept; the limit cuts off no more
// and no less than it says; a split URL's parts are pieces of it that fit
// their limits, and a failed split leaves them cleared.
#include <algorithm>
#include <cwchar>

#include "native/fuzz/fuzz_text.h"
#include "soap/url.h"

namespace {

bool HasSurrogate(const std::wstring& text)
{
    for (const wchar_t c : text)
        if (c >= 0xD800 && c <= 0xDFFF)
            return true;
    return false;
}

bool IsKeptAsIs(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           (c != 0 && std::wcschr(L"!'()*-./:_~%", c));
}

bool IsAscii(const std::wstring& text)
{
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0 && c < 0x80; });
}

bool IsLowerHex(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
}

void CheckEscaping(const std::wstring& url, std::wstring& escaped)
{
    FUZZ_CHECK(EscapeUrl(url, escaped, SIZE_MAX));
    const size_t urlExtra = std::min(url.find_first_of(L"?#"), url.size());
    const size_t extra = std::min(escaped.find_first_of(L"?#"), escaped.size());
    const bool hadPercent = url.find(L'%') < urlExtra;
    for (size_t i = 0; i < extra; ++i) {
        const wchar_t c = escaped[i];
        FUZZ_CHECK(IsKeptAsIs(c));
        if (c == L'%' && !hadPercent)
            FUZZ_CHECK(i + 2 < extra && IsLowerHex(escaped[i + 1]) && IsLowerHex(escaped[i + 2]));
    }
    if (!HasSurrogate(url))
        FUZZ_CHECK(escaped.compare(extra, std::wstring::npos, url, urlExtra, std::wstring::npos) == 0);

    // The limit counts UTF-8 bytes, one for each character where all are ASCII.
    std::wstring bounded;
    const bool fits = EscapeUrl(url, bounded);
    if (fits)
        FUZZ_CHECK(bounded == escaped);
    if (IsAscii(escaped))
        FUZZ_CHECK(fits == (escaped.size() < kMaxEscapedUrl));
}

void CheckSplit(const std::wstring& url)
{
    UrlParts parts;
    parts.m_host = L"stale";
    if (!Split(url, parts)) {
        const UrlParts cleared;
        FUZZ_CHECK(parts.m_scheme.empty() && parts.m_host.empty() && parts.m_user.empty() && parts.m_password.empty() &&
                   parts.m_path.empty() && parts.m_extraInfo.empty() && parts.m_port == cleared.m_port &&
                   parts.m_schemeIndex == cleared.m_schemeIndex);
        return;
    }
    FUZZ_CHECK(parts.m_scheme.size() <= 32 && parts.m_host.size() <= 256 && parts.m_user.size() <= 128 &&
               parts.m_password.size() <= 128 && parts.m_path.size() <= 2048 && parts.m_extraInfo.size() <= 2048);
    FUZZ_CHECK(!parts.m_scheme.empty() && url.compare(0, parts.m_scheme.size() + 1, parts.m_scheme + L":") == 0);
    FUZZ_CHECK(parts.m_schemeIndex >= -1 && parts.m_schemeIndex <= UrlScheme::kSocks);
    if (parts.m_schemeIndex == UrlScheme::kFile || parts.m_schemeIndex == UrlScheme::kNews ||
        parts.m_schemeIndex == UrlScheme::kMailto)
        FUZZ_CHECK(parts.m_port == 0);
    // Each part is a piece of the URL.
    for (const std::wstring* part :
         {&parts.m_host, &parts.m_user, &parts.m_password, &parts.m_path, &parts.m_extraInfo})
        FUZZ_CHECK(url.find(*part) != std::wstring::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring url = FuzzText(data, size);
    std::wstring escaped;
    CheckEscaping(url, escaped);
    CheckSplit(url);
    CheckSplit(escaped); // as the transport does
    return 0;
}
