#include "soap/url.h"

#include <cwchar>

namespace {

struct SchemeInfo {
    const wchar_t* m_name;
    USHORT m_defaultPort;
};
constexpr SchemeInfo kSchemes[] = {
    {L"ftp", 21}, {L"gopher", 70}, {L"http", 80},  {L"https", 443},
    {L"file", 0}, {L"news", 0},    {L"mailto", 0}, {L"socks", 1080},
};

bool KeptAsIs(unsigned char byte)
{
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'))
        return true;
    switch (byte) {
    case '!':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '-':
    case '.':
    case '/':
    case ':':
    case '_':
    case '~':
    case '%': return true;
    default: return false;
    }
}

// UTF-16 to UTF-8 as the system's converter does it without flags: an
// unpaired surrogate becomes U+FFFD. Written out so that the escaping builds
// and is checked natively too; a unit above 16 bits, which only a wider
// wchar_t holds, is no UTF-16 and also becomes U+FFFD.
std::string ToUtf8(const std::wstring& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        const char32_t next = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) : 0;
        if (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0xFFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The way back, to UTF-16 units on every platform, for what ToUtf8 made
// (ASCII escapes around its bytes): it is always well-formed.
std::wstring FromUtf8(const std::string& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < text.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

// Scheme names compare in ASCII only, as the runtime's C locale does.
bool EqualNoCase(const std::wstring& a, const wchar_t* b)
{
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
    const wchar_t* p = a.c_str();
    for (; *p && lower(*p) == lower(*b); ++p, ++b) {
    }
    return !*p && !*b;
}

bool Fits(const std::wstring& part, size_t limit)
{
    return part.size() <= limit;
}

} // namespace

void UrlParts::Clear()
{
    *this = UrlParts();
}

bool EscapeUrl(const std::wstring& url, std::wstring& escaped, size_t maxCharacters)
{
    static const char kHex[] = "0123456789abcdef";
    const std::string bytes = ToUtf8(url);
    std::string out;
    bool inExtra = false;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (inExtra || KeptAsIs(byte) || byte == '?' || byte == '#') {
            out += c;
            inExtra = inExtra || byte == '?' || byte == '#';
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
        if (out.size() + 1 > maxCharacters)
            return false;
    }
    escaped = FromUtf8(out);
    return true;
}

bool Split(const std::wstring& url, UrlParts& parts)
{
    parts.Clear();
    if (url.size() > kMaxSplitUrl)
        return false;
    UrlParts result;
    const size_t colon = url.find(L':');
    if (colon == std::wstring::npos || colon == 0)
        return false;
    result.m_scheme = url.substr(0, colon);
    for (int i = 0; i < static_cast<int>(sizeof kSchemes / sizeof kSchemes[0]); ++i)
        if (EqualNoCase(result.m_scheme, kSchemes[i].m_name))
            result.m_schemeIndex = i;

    size_t pos = colon + 1;
    const bool isFile = result.m_schemeIndex == UrlScheme::kFile;
    bool hasAuthority;
    if (url.compare(pos, 2, L"//") == 0) {
        if (result.m_schemeIndex == UrlScheme::kMailto)
            return false;
        pos += 2;
        hasAuthority = !isFile;
    } else {
        hasAuthority = pos < url.size() && url[pos] != L'/';
    }

    bool portGiven = false;
    if (hasAuthority) {
        size_t end = url.find_first_of(L"/?", pos);
        if (end == std::wstring::npos)
            end = url.size();
        std::wstring authority = url.substr(pos, end - pos);
        pos = end;
        const size_t at = authority.find(L'@');
        if (at != std::wstring::npos) {
            const std::wstring userInfo = authority.substr(0, at);
            const size_t separator = userInfo.find(L':');
            result.m_user = userInfo.substr(0, separator);
            if (separator != std::wstring::npos) {
                if (result.m_user.empty())
                    return false; // a password without a user name
                result.m_password = userInfo.substr(separator + 1);
            }
            authority.erase(0, at + 1);
        }
        const size_t portColon = authority.find(L':');
        result.m_host = authority.substr(0, portColon);
        if (portColon != std::wstring::npos && portColon + 1 < authority.size()) {
            const long port = std::wcstol(authority.c_str() + portColon + 1, nullptr, 10);
            if (port < 0 || port > 65535)
                return false; // would connect somewhere else than asked
            result.m_port = static_cast<USHORT>(port);
            portGiven = true;
        }
    }

    if (isFile) {
        result.m_path = url.substr(pos);
    } else {
        size_t end = url.find_first_of(L"?#", pos);
        if (end == std::wstring::npos)
            end = url.size();
        result.m_path = url.substr(pos, end - pos);
        result.m_extraInfo = url.substr(end);
    }

    const int index = result.m_schemeIndex;
    if (index == UrlScheme::kFile || index == UrlScheme::kNews || index == UrlScheme::kMailto)
        result.m_port = 0;
    else if (!portGiven)
        result.m_port = index >= 0 ? kSchemes[index].m_defaultPort : 0;

    if (!Fits(result.m_scheme, 32) || !Fits(result.m_host, 256) || !Fits(result.m_user, 128) ||
        !Fits(result.m_password, 128) || !Fits(result.m_path, 2048) || !Fits(result.m_extraInfo, 2048))
        return false;
    parts = result;
    return true;
}
