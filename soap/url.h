#pragma once
// The service URL: escaping and splitting into the parts a connection uses.
#include "soap/platform_types.h"

#include <string>

struct UrlParts {
    std::wstring m_scheme;    // at most 32 characters
    std::wstring m_host;      // 256
    std::wstring m_user;      // 128
    std::wstring m_password;  // 128
    std::wstring m_path;      // 2048
    std::wstring m_extraInfo; // 2048, the query or fragment with its "?" or "#"
    USHORT m_port = 0;
    int m_schemeIndex = -1; // index in the scheme table, -1 when not in it

    void Clear();
};

namespace UrlScheme {
constexpr int kFtp = 0, kGopher = 1, kHttp = 2, kHttps = 3, kFile = 4, kNews = 5, kMailto = 6, kSocks = 7;
} // namespace UrlScheme

constexpr size_t kMaxEscapedUrl = 2083; // characters, terminator included
constexpr size_t kMaxSplitUrl = 2088;

// Percent-escapes the UTF-8 bytes before the first "?" or "#" that are not
// unreserved; false when the result does not fit in `maxCharacters`
// (terminator included).
bool EscapeUrl(const std::wstring& url, std::wstring& escaped, size_t maxCharacters = kMaxEscapedUrl);

// Splits an escaped URL; on failure the parts are left cleared.
bool Split(const std::wstring& url, UrlParts& parts);
