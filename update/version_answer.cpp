#include "update/version_answer.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>

int ToVersionNumber(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // keep saturating, never overflow
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

VersionFields SplitVersion(const std::wstring& version)
{
    int fields[4] = {};
    size_t start = 0;
    for (int& field : fields) {
        if (start > version.size())
            break;
        size_t dot = version.find(L'.', start);
        if (dot == std::wstring::npos)
            dot = version.size();
        field = ToVersionNumber(version.substr(start, dot - start));
        start = dot + 1;
    }
    return {fields[0], fields[1], fields[2], fields[3]};
}

std::wstring ReadTagValue(const std::wstring& answer, const std::wstring& tag, bool* found)
{
    const size_t at = answer.find(tag);
    if (found)
        *found = at != std::wstring::npos;
    if (at == std::wstring::npos)
        return {};
    const size_t begin = at + tag.size();
    const size_t end = answer.find(L'<', begin); // npos: an answer cut short reads to its end
    return answer.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
}

UpdateStatus CompareAnswer(const std::wstring& answer, const VersionFields& builtIn)
{
    const struct {
        const wchar_t* tag;
        int builtIn;
        bool isBuild2;
    } fields[] = {
        {L"<main>", builtIn.main, false},
        {L"<minor>", builtIn.minor, false},
        {L"<build1>", builtIn.build1, false},
        {L"<build2>", builtIn.build2, true},
    };
    bool newer = false;
    bool stop = false; // another version line, older or newer: not offered
    for (const auto& field : fields) {
        if (newer || stop)
            break;
        const int service = ToVersionNumber(ReadTagValue(answer, field.tag));
        if (field.isBuild2)
            newer = service > field.builtIn;
        else
            stop = service != field.builtIn;
    }
    return newer ? UpdateAvailable : UpToDate;
}

std::wstring ReadDownloadUrl(const std::wstring& answer)
{
    return ReadTagValue(answer, L"<url>");
}

namespace {

// Case-insensitive match of an ASCII lowercase `prefix` at the start of `text`.
bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.size() || static_cast<wchar_t>(std::towlower(text[i])) != prefix[i])
            return false;
    return true;
}

bool IsPlainUrlCharacter(wchar_t c)
{
    return c > 0x20 && c < 0x7F && !std::wcschr(L"\"\\<>^`{|}", c);
}

// "." or "..", with any dot written as %2e.
bool IsDotSegment(const std::wstring& text, size_t begin, size_t end)
{
    int dots = 0;
    for (size_t i = begin; i < end; ++dots) {
        if (text[i] == L'.') {
            ++i;
        } else if (text[i] == L'%' && end - i >= 3 && text[i + 1] == L'2' && std::towlower(text[i + 2]) == L'e') {
            i += 3;
        } else {
            return false;
        }
    }
    return dots == 1 || dots == 2;
}

bool IsAscii(const std::wstring& text, size_t begin, size_t end)
{
    for (size_t i = begin; i < end; ++i)
        if (text[i] >= 0x80)
            return false;
    return true;
}

// What the IDNA conversion gave is a host name only when it holds nothing
// else: its mapping turns a full-width "/", "@" or ":" into the ASCII one.
bool IsAsciiHostName(const std::wstring& host)
{
    for (const wchar_t c : host)
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
              c == L'.'))
            return false;
    return !host.empty();
}

// Appends the UTF-8 bytes of the code point `c` (U+0080 or above), each as
// "%" and two upper-case hex digits.
void AppendPercentEncodedUtf8(std::wstring& out, unsigned long c)
{
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    static const unsigned long kLeadBits[] = {0, 0, 0xC0, 0xE0, 0xF0};
    const int count = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    for (int b = 0; b < count; ++b) {
        const int shift = 6 * (count - 1 - b);
        const unsigned long byte = b == 0 ? kLeadBits[count] | (c >> shift) : 0x80 | ((c >> shift) & 0x3F);
        out += L'%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
}

// Appends text[begin, end) with every character outside ASCII percent-encoded;
// false at an unpaired surrogate.
bool AppendPercentEncoded(std::wstring& out, const std::wstring& text, size_t begin, size_t end)
{
    for (size_t i = begin; i < end; ++i) {
        unsigned long c = text[i];
        if (c < 0x80) {
            out += text[i];
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool paired = c <= 0xDBFF && i + 1 < end && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            if (!paired)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c > 0x10FFFF) { // where wchar_t has 32 bits
            return false;
        }
        AppendPercentEncodedUtf8(out, c);
    }
    return true;
}

} // namespace

std::wstring ToPlainWebAddress(const std::wstring& url, HostToAscii hostToAscii)
{
    if (IsAscii(url, 0, url.size()))
        return url;
    const size_t separator = url.find(L"://");
    if (separator == std::wstring::npos || !IsAscii(url, 0, separator))
        return {};
    // The authority: [user information "@"] host [":" port]. Only the ASCII
    // delimiters count; a look-alike one stays in the host name and makes it
    // fail IsAsciiHostName after the conversion.
    const size_t authority = separator + 3;
    const size_t authorityEnd = std::min(url.find_first_of(L"/?#", authority), url.size());
    const size_t at = url.rfind(L'@', authorityEnd - 1);
    const size_t host = at != std::wstring::npos && at >= authority ? at + 1 : authority;
    const size_t hostEnd = std::min(url.find(L':', host), authorityEnd);
    // After the host's ":" comes a port or the rest of an IP literal, both
    // ASCII only (the literal's "[" fails IsAsciiHostName).
    if (!IsAscii(url, hostEnd, authorityEnd))
        return {};
    std::wstring hostName = url.substr(host, hostEnd - host);
    if (!IsAscii(url, host, hostEnd)) {
        hostName = hostToAscii(hostName);
        if (!IsAsciiHostName(hostName))
            return {};
    }
    std::wstring plain = url.substr(0, authority);
    if (!AppendPercentEncoded(plain, url, authority, host))
        return {};
    plain += hostName;
    plain.append(url, hostEnd, authorityEnd - hostEnd);
    if (!AppendPercentEncoded(plain, url, authorityEnd, url.size()))
        return {};
    return plain;
}

bool IsOpenableDownloadUrl(const std::wstring& url)
{
    if (url.size() > kMaxDownloadUrlLength)
        return false;
    size_t start = 0;
    if (StartsWithNoCase(url, L"http://"))
        start = 7;
    else if (StartsWithNoCase(url, L"https://"))
        start = 8;
    else
        return false;
    for (size_t i = start; i < url.size(); ++i)
        if (!IsPlainUrlCharacter(url[i]))
            return false;
    // The host, then the segments of path, query and fragment.
    for (size_t begin = start, index = 0; begin <= url.size(); ++index) {
        size_t end = url.find_first_of(L"/?#", begin);
        if (end == std::wstring::npos)
            end = url.size();
        if ((index == 0 && end == begin) || IsDotSegment(url, begin, end))
            return false;
        begin = end + 1;
    }
    return true;
}
