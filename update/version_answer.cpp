#include "update/version_answer.h"

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

} // namespace

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
