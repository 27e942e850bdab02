#include "soap/url.h"

#include <cwchar>
#include <cwctype>

namespace {

struct SchemeInfo {
    const wchar_t* m_name;
    USHORT m_defaultPort;
};
constexpr SchemeInfo kSchemes[] = {
    {L"ftp", 21}, {L"gopher", 70}, {L"http", 80}, {L"https", 443},
    {L"file", 0}, {L"news", 0}, {L"mailto", 0}, {L"socks", 1080},
};

bool KeptAsIs(unsigned char byte)
{
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'))
        return true;
    switch (byte) {
    case '!': case '\'': case '(': case ')': case '*': case '-': case '.': case '/': case ':': case '_':
    case '~': case '%':
        return true;
    default:
        return false;
    }
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

bool EqualNoCase(const std::wstring& a, const wchar_t* b)
{
    return _wcsicmp(a.c_str(), b) == 0;
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
