#pragma once
// Reading the update service's answer text: the version tags it carries,
// how they compare with the launcher's own version, and the download URL,
// written as a plain web address before the shell may open it. The answer is
// searched as plain text, not parsed as XML.
#include <string>

#include "update/built_in_version.h"

// The version the launcher was built as.
constexpr wchar_t kBuiltInVersion[] = L"" BUILT_IN_VERSION_TEXT;

enum UpdateStatus {
    UpToDate = 0,
    UpdateAvailable = 1,
    CheckFailed = 2,
};

struct VersionFields {
    int main = 0;
    int minor = 0;
    int build1 = 0;
    int build2 = 0;
};

// The standard text-to-integer reading: leading white space, an optional
// sign, decimal digits up to the first non-digit; 0 without digits. Values
// beyond 32 bits saturate.
int ToVersionNumber(const std::wstring& text);

// "a.b.c.d" split at "." into its four fields (missing ones are 0).
VersionFields SplitVersion(const std::wstring& version);

// The text after the first occurrence of `tag` up to the next "<" (or the
// end of the answer); `found` tells whether the tag occurs at all.
std::wstring ReadTagValue(const std::wstring& answer, const std::wstring& tag, bool* found = nullptr);

// Only a higher build2 within the same main.minor.build1 line is newer; a
// missing tag reads as 0.
UpdateStatus CompareAnswer(const std::wstring& answer, const VersionFields& builtIn);

// The value of "<url>", empty when it is missing.
std::wstring ReadDownloadUrl(const std::wstring& answer);

// The platform's IDNA conversion of a host name (IdnHostToAscii in
// update/idn_host.h); the empty text when it refuses the name.
using HostToAscii = std::wstring (*)(const std::wstring& host);

// An internationalised download URL written as a plain web address. Outside
// ASCII, the host name becomes its IDNA form through `hostToAscii`, which
// must give letters, digits, "-" and "." only; every other character becomes
// its UTF-8 bytes, percent-encoded (U+00FC as "%C3%BC"), in the user
// information, path, query and fragment. ASCII stays as it is: a URL all in
// ASCII comes back unchanged. The empty text when the URL cannot be written
// so: no "://", a character outside ASCII in the scheme, the port or an IP
// literal, a host name the conversion refuses, or an unpaired surrogate.
std::wstring ToPlainWebAddress(const std::wstring& url, HostToAscii hostToAscii);

// The longest download URL handed to the shell. Wine's shell builds the
// handler's command line, URL included, in a buffer of about 1024 characters
// and overruns it beyond (983 characters opened by 32-bit Wine, 996 by
// 64-bit, with its own short handler command); 512 leaves the rest for a
// handler whose command holds a full path.
constexpr size_t kMaxDownloadUrlLength = 512;

// The URL comes from the network and goes to the shell, which runs a local
// file for anything it can read as a path: only a plain absolute web address
// may be opened. That is "http" or "https" (any case), "://", a host, and
// then printable ASCII without blanks, quotes, backslashes or any of
// < > ^ ` { | }, no "." or ".." segment (also percent-encoded) between the
// separators / ? #, and no more than kMaxDownloadUrlLength characters.
bool IsOpenableDownloadUrl(const std::wstring& url);
