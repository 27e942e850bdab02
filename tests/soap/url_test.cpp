#include "soap/url.h"

#include <gtest/gtest.h>

namespace {

// Code units spelled out: a wide literal is UTF-16 only where wchar_t is.
std::wstring Units(std::initializer_list<unsigned short> units)
{
    return std::wstring(units.begin(), units.end());
}

TEST(EscapeUrl, Table)
{
    struct Case {
        std::wstring url;
        std::wstring expected;
    } const cases[] = {
        {L"http://h/Service.asmx", L"http://h/Service.asmx"},
        {L"http://h/a b", L"http://h/a%20b"},
        {L"http://h/\u00e9", L"http://h/%c3%a9"},
        {L"http://h/%41~!'()*-._", L"http://h/%41~!'()*-._"},
        {L"http://h/a@b=c;d", L"http://h/a%40b%3dc%3bd"},
        {L"http://h/\x01\x7f", L"http://h/%01%7f"},
        {L"http://h/p?q=a b&\u00e9", L"http://h/p?q=a b&\u00e9"}, // nothing after "?" is escaped
        {L"http://h/p#a b?c", L"http://h/p#a b?c"},
        // UTF-16 as the system's converter reads it: a pair is one character,
        // an unpaired surrogate becomes U+FFFD (before and after the "?").
        {L"http://h/" + Units({0xD83D, 0xDE00}), L"http://h/%f0%9f%98%80"},
        {L"http://h/?" + Units({0xD83D, 0xDE00}), L"http://h/?" + Units({0xD83D, 0xDE00})},
        {L"http://h/" + Units({0xD800}) + L"x", L"http://h/%ef%bf%bdx"},
        {L"http://h/" + Units({0xDE00, 0xD83D}), L"http://h/%ef%bf%bd%ef%bf%bd"},
        {L"http://h/?" + Units({0xD83D}), L"http://h/?\ufffd"},
        {L"http://h/\uffff", L"http://h/%ef%bf%bf"},
    };
    for (const Case& c : cases) {
        std::wstring escaped;
        EXPECT_TRUE(EscapeUrl(c.url, escaped)) << testing::PrintToString(c.url);
        EXPECT_EQ(c.expected, escaped) << testing::PrintToString(c.url);
    }
}

TEST(EscapeUrl, MustFitWithItsTerminator)
{
    std::wstring escaped;
    const std::wstring base = L"http://h/";
    EXPECT_TRUE(EscapeUrl(base + std::wstring(2082 - base.size(), L'a'), escaped));
    EXPECT_FALSE(EscapeUrl(base + std::wstring(2083 - base.size(), L'a'), escaped));
    EXPECT_FALSE(EscapeUrl(base + std::wstring(700, L' '), escaped)); // 700 spaces are 2100 characters
}

#ifdef _WIN32
// The escaping's own UTF-8 against the system's converter that it replaced
// (which only Windows has): every code unit, alone and before a low surrogate.
TEST(EscapeUrl, AgreesWithTheSystemConverter)
{
    const auto systemUtf8 = [](const std::wstring& text) {
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            nullptr);
        return bytes;
    };
    const auto systemUtf16 = [](const std::string& bytes) {
        const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring text(static_cast<size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
        return text;
    };
    for (unsigned unit = 0x80; unit <= 0xFFFF; ++unit) {
        for (const wchar_t next : {L'x', wchar_t(0xDC00)}) {
            const std::wstring text{wchar_t(unit), next};
            std::wstring path = L"http://h/";
            for (const char byte : systemUtf8(text)) {
                wchar_t hex[4];
                swprintf(hex, 4, L"%%%02x", static_cast<unsigned char>(byte));
                path += byte == 'x' ? L"x" : hex;
            }
            std::wstring escaped;
            ASSERT_TRUE(EscapeUrl(L"http://h/" + text, escaped));
            ASSERT_EQ(path, escaped) << std::hex << unit;
            ASSERT_TRUE(EscapeUrl(L"http://h/?" + text, escaped));
            ASSERT_EQ(L"http://h/?" + systemUtf16(systemUtf8(text)), escaped) << std::hex << unit;
        }
    }
}
#endif

struct SplitCase {
    std::wstring url;
    bool ok;
    const wchar_t* scheme;
    int schemeIndex;
    const wchar_t* host;
    USHORT port;
    const wchar_t* path;
    const wchar_t* extra;
    const wchar_t* user;
    const wchar_t* password;
};

TEST(Split, Table)
{
    const SplitCase cases[] = {
        {L"http://127.0.0.1:8731/Service.asmx", true, L"http", 2, L"127.0.0.1", 8731, L"/Service.asmx", L"", L"", L""},
        {L"http://updates.example.com/Service.asmx", true, L"http", 2, L"updates.example.com", 80, L"/Service.asmx",
         L"", L"", L""},
        {L"HTTPS://h/s", true, L"HTTPS", 3, L"h", 443, L"/s", L"", L"", L""},
        {L"https://h:8443", true, L"https", 3, L"h", 8443, L"", L"", L"", L""},
        {L"http://h/s?x=1#f", true, L"http", 2, L"h", 80, L"/s", L"?x=1#f", L"", L""},
        {L"http://h/s#frag", true, L"http", 2, L"h", 80, L"/s", L"#frag", L"", L""},
        {L"http://h?q", true, L"http", 2, L"h", 80, L"", L"?q", L"", L""},
        {L"http://me:pw@h:81/s", true, L"http", 2, L"h", 81, L"/s", L"", L"me", L"pw"},
        {L"http://me@h/s", true, L"http", 2, L"h", 80, L"/s", L"", L"me", L""},
        {L"http://:pw@h/s", false, L"", -1, L"", 0, L"", L"", L"", L""},
        {L"ftp://h/f", true, L"ftp", 0, L"h", 21, L"/f", L"", L"", L""},
        {L"socks://h", true, L"socks", 7, L"h", 1080, L"", L"", L"", L""},
        {L"gopher://h:99/x", true, L"gopher", 1, L"h", 99, L"/x", L"", L"", L""},
        {L"news:comp.lang", true, L"news", 5, L"comp.lang", 0, L"", L"", L"", L""},
        {L"mailto:someone@example.com", true, L"mailto", 6, L"example.com", 0, L"", L"", L"someone", L""},
        {L"mailto://someone", false, L"", -1, L"", 0, L"", L"", L"", L""},
        {L"file:///c:/dir/f?x", true, L"file", 4, L"", 0, L"/c:/dir/f?x", L"", L"", L""},
        {L"file://server/share", true, L"file", 4, L"", 0, L"server/share", L"", L"", L""},
        {L"other://h:5/p", true, L"other", -1, L"h", 5, L"/p", L"", L"", L""},
        {L"other://h/p", true, L"other", -1, L"h", 0, L"/p", L"", L"", L""},
        // Scheme names match in ASCII only: the Kelvin sign is no "k".
        {L"soc\u212as://h", true, L"soc\u212as", -1, L"h", 0, L"", L"", L"", L""},
        {L"http:/local/path", true, L"http", 2, L"", 80, L"/local/path", L"", L"", L""},
        {L"no scheme here", false, L"", -1, L"", 0, L"", L"", L"", L""},
        {L":nothing", false, L"", -1, L"", 0, L"", L"", L"", L""},
        {L"http://h:70000/s", false, L"", -1, L"", 0, L"", L"", L"", L""},
    };
    for (const SplitCase& c : cases) {
        UrlParts parts;
        parts.m_host = L"stale";
        EXPECT_EQ(c.ok, Split(c.url, parts)) << testing::PrintToString(c.url);
        EXPECT_EQ(c.scheme, parts.m_scheme) << testing::PrintToString(c.url);
        EXPECT_EQ(c.schemeIndex, parts.m_schemeIndex) << testing::PrintToString(c.url);
        EXPECT_EQ(c.host, parts.m_host) << testing::PrintToString(c.url);
        EXPECT_EQ(c.port, parts.m_port) << testing::PrintToString(c.url);
        EXPECT_EQ(c.path, parts.m_path) << testing::PrintToString(c.url);
        EXPECT_EQ(c.extra, parts.m_extraInfo) << testing::PrintToString(c.url);
        EXPECT_EQ(c.user, parts.m_user) << testing::PrintToString(c.url);
        EXPECT_EQ(c.password, parts.m_password) << testing::PrintToString(c.url);
    }
}

TEST(Split, Limits)
{
    UrlParts parts;
    EXPECT_TRUE(Split(L"http://" + std::wstring(256, L'h') + L"/", parts));
    EXPECT_FALSE(Split(L"http://" + std::wstring(257, L'h') + L"/", parts));
    EXPECT_TRUE(parts.m_host.empty());
    EXPECT_TRUE(Split(std::wstring(32, L's') + L"://h/", parts));
    EXPECT_FALSE(Split(std::wstring(33, L's') + L"://h/", parts));
    EXPECT_TRUE(Split(L"http://h/" + std::wstring(2047, L'p'), parts));
    EXPECT_FALSE(Split(L"http://h/" + std::wstring(2048, L'p'), parts));
    EXPECT_FALSE(Split(L"http://h/?" + std::wstring(2048, L'q'), parts));
    EXPECT_FALSE(Split(L"http://" + std::wstring(129, L'u') + L"@h/", parts));
    EXPECT_FALSE(Split(L"http://h/" + std::wstring(1100, L'p') + L"?" + std::wstring(1000, L'q'), parts)); // over 2088
}

} // namespace
