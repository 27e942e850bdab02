// Reading the service's answer, on any answer text: a tag's value is the text
// right after the tag and holds no "<"; only a higher build2 of the built-in
// main.minor.build1 line is offered; a URL that may be opened is a plain
// http(s) address of bounded length, also after its conversion to a plain
// web address.
#include <cwchar>
#include <cwctype>

#include "native/fuzz/fuzz_text.h"
#include "update/version_answer.h"

namespace {

const wchar_t* const kTags[] = {L"<main>", L"<minor>", L"<build1>", L"<build2>", L"<url>"};

void CheckTagValues(const std::wstring& answer)
{
    for (const wchar_t* tag : kTags) {
        bool found = false;
        const std::wstring value = ReadTagValue(answer, tag, &found);
        const size_t at = answer.find(tag);
        FUZZ_CHECK(found == (at != std::wstring::npos));
        FUZZ_CHECK(value.find(L'<') == std::wstring::npos);
        if (found)
            FUZZ_CHECK(answer.compare(at + std::wcslen(tag), value.size(), value) == 0);
        else
            FUZZ_CHECK(value.empty());
    }
}

void CheckComparison(const std::wstring& answer)
{
    const VersionFields builtIn = SplitVersion(kBuiltInVersion);
    const auto field = [&](const wchar_t* tag) { return ToVersionNumber(ReadTagValue(answer, tag)); };
    const bool sameLine =
        field(L"<main>") == builtIn.main && field(L"<minor>") == builtIn.minor && field(L"<build1>") == builtIn.build1;
    const bool newer = sameLine && field(L"<build2>") > builtIn.build2;
    FUZZ_CHECK(CompareAnswer(answer, builtIn) == (newer ? UpdateAvailable : UpToDate));
    // The answer's own text as a version: any fields, never undefined arithmetic.
    const UpdateStatus other = CompareAnswer(answer, SplitVersion(answer));
    FUZZ_CHECK(other == UpToDate || other == UpdateAvailable);
}

void CheckOpenable(const std::wstring& url)
{
    if (!IsOpenableDownloadUrl(url))
        return;
    FUZZ_CHECK(url.size() <= kMaxDownloadUrlLength);
    for (const wchar_t c : url)
        FUZZ_CHECK(c > 0x20 && c < 0x7F && std::wcschr(L"\"\\<>^`{|}", c) == nullptr);
    std::wstring scheme = url.substr(0, url.find(L"://"));
    for (wchar_t& c : scheme)
        c = static_cast<wchar_t>(std::towlower(c));
    FUZZ_CHECK(scheme == L"http" || scheme == L"https");
    const size_t host = scheme.size() + 3; // not empty
    FUZZ_CHECK(host < url.size() && std::wcschr(L"/?#", url[host]) == nullptr);
}

// Stands for the platform's IDNA conversion: one valid name, or a refusal.
std::wstring HostToAscii(const std::wstring& host)
{
    return host.size() % 2 ? L"xn--bcher-kva.example" : L"";
}

// The plain form of a URL is all ASCII, the same URL when it was ASCII, and
// still passes only the strict rule.
void CheckPlainForm(const std::wstring& url)
{
    const std::wstring plain = ToPlainWebAddress(url, HostToAscii);
    bool ascii = true;
    for (const wchar_t c : url)
        ascii = ascii && c < 0x80;
    if (ascii)
        FUZZ_CHECK(plain == url);
    for (const wchar_t c : plain)
        FUZZ_CHECK(c < 0x80);
    CheckOpenable(plain);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring answer = FuzzText(data, size);
    CheckTagValues(answer);
    CheckComparison(answer);
    CheckOpenable(ReadDownloadUrl(answer));
    CheckOpenable(answer);
    CheckPlainForm(ReadDownloadUrl(answer));
    CheckPlainForm(answer);
    return 0;
}
