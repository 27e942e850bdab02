#include "soap/descriptor.h"
#include "soap/xml_escape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Escape(const std::wstring& text, bool attributeMode = false)
{
    const int needed = EscapeXmlText(text.data(), static_cast<int>(text.size()), nullptr, 0, attributeMode);
    std::string out(static_cast<size_t>(needed), '?');
    EXPECT_EQ(needed, EscapeXmlText(text.data(), static_cast<int>(text.size()), out.data(), needed, attributeMode));
    return out;
}

TEST(EscapeXmlText, Table)
{
    struct Case {
        std::wstring text;
        bool attributeMode;
        const char* expected;
    } const cases[] = {
        {L"a<b", false, "a&lt;b"},
        {L"x>y&z", false, "x&gt;y&amp;z"},
        {L"\"it's\"", false, "\"it's\""},
        {L"\"it's\"", true, "&quot;it&apos;s&quot;"},
        {L"\u00e9", false, "&#x00E9;"},
        {std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, false, "&#x01F600;"}, // a pair, spelled as UTF-16 units
        {std::wstring(1, wchar_t(0xD83D)) + L"x", false, "&#xD83D;x"},         // lone high surrogate
        {std::wstring(1, wchar_t(0xDE00)), false, "&#xDE00;"},                 // lone low surrogate
        {L"\t\n\r", false, "&#x0009;&#x000A;&#x000D;"},
        {L"\x7f~ ", false, "&#x007F;~ "},
        {L"", false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Escape(c.text, c.attributeMode)) << testing::PrintToString(c.text);
}

TEST(EscapeXmlText, WritesOnlyWhatFits)
{
    char buffer[8] = "-------";
    EXPECT_EQ(0, EscapeXmlText(L"a<b", 3, buffer, 5, false)); // needs 6
    EXPECT_EQ(6, EscapeXmlText(L"a<b", 3, buffer, 6, false));
    EXPECT_EQ(std::string("a&lt;b"), std::string(buffer, 6));
}

TEST(NameHash, KnownValues)
{
    struct Case {
        const wchar_t* name;
        ULONG hash;
    } const cases[] = {
        {L"productID", 0x7E03E6CE}, {kSoapEnvelopeNamespace, 0x5D3574E2},
        {L"Envelope", 0xDBE6009E},  {L"Header", 0xAF4DFFC9},
        {L"Body", 0x0026168E},      {L"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.hash, NameHash(c.name, static_cast<int>(wcslen(c.name))))
            << testing::PrintToString(std::wstring(c.name));
    EXPECT_TRUE(NamesEqual(L"Body", 4, L"Body", 4));
    EXPECT_FALSE(NamesEqual(L"Body", 4, L"body", 4));
    EXPECT_FALSE(NamesEqual(L"Body", 4, L"Bod", 3));
}

} // namespace
