#pragma once
// Reading the update service's answer text: the version tags it carries,
// how they compare with the launcher's own version, and the download URL.
// The answer is searched as plain text, not parsed as XML.
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

// The URL comes from the network and goes to the shell: only an absolute
// http or https URL may be opened, never a program, script or file share.
bool IsOpenableDownloadUrl(const std::wstring& url);
