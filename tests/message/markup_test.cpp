// How message texts become elements and lines become words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message/markup.h"
#include "message/message_dialog.h"

namespace {

// One element as a short string: P"text", L"text"->target, or S.
std::wstring Describe(const Message::Text& element)
{
    if (auto link = dynamic_cast<const Message::HyperLink*>(&element))
        return L"L\"" + link->m_text + L"\"->" + link->m_target;
    if (auto plain = dynamic_cast<const Message::PlainText*>(&element))
        return L"P\"" + plain->m_text + L"\"";
    if (dynamic_cast<const Message::LineSeparator*>(&element))
        return L"S";
    return L"?";
}

std::vector<std::wstring> Parse(const std::wstring& text)
{
    Message::Elements elements;
    Message::Dialog::ParseMarkup(elements, text);
    std::vector<std::wstring> out;
    for (const auto& element : elements)
        out.push_back(Describe(*element));
    return out;
}

struct MarkupCase {
    const wchar_t* text;
    std::vector<std::wstring> expected;
};

TEST(ParseMarkup, TurnsTextIntoElements)
{
    const MarkupCase cases[] = {
        {L"Get it {hl}here{hl=http://x/y?a=1&b=2}.", {L"P\"Get it \"", L"L\"here\"->http://x/y?a=1&b=2", L"P\".\""}},
        {L"plain text", {L"P\"plain text\""}},
        {L"", {}},
        // Accepted schemes.
        {L"{hl}a{hl=https://x}", {L"L\"a\"->https://x"}},
        {L"{hl}a{hl=ftp://x}", {L"L\"a\"->ftp://x"}},
        {L"{hl}a{hl=gopher://x}", {L"L\"a\"->gopher://x"}},
        {L"{hl}a{hl=telnet://x}", {L"L\"a\"->telnet://x"}},
        {L"{hl}a{hl=file://x}", {L"L\"a\"->file://x"}},
        {L"{hl}a{hl=notes://x}", {L"L\"a\"->notes://x"}},
        {L"{hl}a{hl=ms-help://x}", {L"L\"a\"->ms-help://x"}},
        {L"{hl}share{hl=file:\\\\server\\share}", {L"L\"share\"->file:\\\\server\\share"}},
        {L"{hl}a{hl=http://\\\\//x}", {L"L\"a\"->http://\\\\//x"}},
        // Refused: the markup stays literal.
        {L"{hl}a{hl=HTTP://x}", {L"P\"{hl}a{hl=HTTP://x}\""}},
        {L"{hl}a{hl=mailto:x}", {L"P\"{hl}a{hl=mailto:x}\""}},
        {L"{hl}a{hl=http:x}", {L"P\"{hl}a{hl=http:x}\""}},
        {L"{hl}a{hl=http://a,b}", {L"P\"{hl}a{hl=http://a,b}\""}},
        {L"{hl}a{hl=http://a b}", {L"P\"{hl}a{hl=http://a b}\""}},
        {L"{HL}a{hl=http://x}", {L"P\"{HL}a{hl=http://x}\""}},
        {L"{hl}a{hl=http://x", {L"P\"{hl}a{hl=http://x\""}},
        {L"see http://x/y", {L"P\"see http://x/y\""}},
        // Two links, and the text between them.
        {L"{hl}one{hl=http://1}and{hl}two{hl=http://2}", {L"L\"one\"->http://1", L"P\"and\"", L"L\"two\"->http://2"}},
        // Link text is the shortest run that lets the rest match.
        {L"{hl}a{hl}b{hl=http://x}", {L"L\"a{hl}b\"->http://x"}},
        // An empty link text adds nothing.
        {L"{hl}{hl=http://x}", {}},
        {L"a{hl}{hl=http://x}b", {L"P\"a\"", L"P\"b\""}},
        // A link over two lines.
        {L"{hl}first\nsecond{hl=http://x}", {L"L\"first\"->http://x", L"S", L"L\"second\"->http://x"}},
        // A break just before or inside the end of a link stays a break.
        {L"x\n{hl}y{hl=http://x}", {L"P\"x\"", L"S", L"L\"y\"->http://x"}},
        {L"{hl}a\r\n{hl=http://x}b", {L"L\"a\"->http://x", L"S", L"P\"b\""}},
        {L"x\n{hl}{hl=http://x}y", {L"P\"x\"", L"S", L"P\"y\""}},
        {L"x\n{hl}{hl=http://x}", {L"P\"x\""}},
    };
    for (const MarkupCase& c : cases)
        EXPECT_EQ(c.expected, Parse(c.text)) << "text: " << std::string(c.text, c.text + wcslen(c.text));
}

TEST(ParseMarkup, SplitsLinesAtEveryKindOfLineBreak)
{
    const MarkupCase cases[] = {
        {L"a\r\nb", {L"P\"a\"", L"S", L"P\"b\""}},
        {L"a\n\rb", {L"P\"a\"", L"S", L"P\"\"", L"S", L"P\"b\""}},
        {L"a\n\nb", {L"P\"a\"", L"S", L"P\"\"", L"S", L"P\"b\""}},
        {L"a\n", {L"P\"a\""}},
        {L"\n", {L"P\"\""}},
        {L"a\rb", {L"P\"a\"", L"S", L"P\"b\""}},
        {L"a\fb", {L"P\"a\"", L"S", L"P\"b\""}},
        {L"a\x0085"
         L"b",
         {L"P\"a\"", L"S", L"P\"b\""}},
        {L"a\x2028"
         L"b",
         {L"P\"a\"", L"S", L"P\"b\""}},
        {L"a\x2029"
         L"b",
         {L"P\"a\"", L"S", L"P\"b\""}},
        {L"a\tb\vc", {L"P\"a\tb\vc\""}},
    };
    for (const MarkupCase& c : cases)
        EXPECT_EQ(c.expected, Parse(c.text)) << "case " << (&c - cases);
}

TEST(SplitWords, KeepsTrailingSpacesWithTheirWord)
{
    const struct {
        const wchar_t* line;
        std::vector<std::wstring> words;
    } cases[] = {
        {L"  ab  cd", {L"  ", L"ab  ", L"cd"}},
        {L"ab", {L"ab"}},
        {L"a\tb c", {L"a\tb ", L"c"}},
        {L"   ", {L"   "}},
        {L"", {}},
        {L"one two  ", {L"one ", L"two  "}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.words, Message::SplitWords(c.line)) << "case " << (&c - cases);
}

TEST(BackInserter, AddsASeparatorOnlyWhenMoreLinesFollow)
{
    Message::Elements elements;
    Message::BackInserter()(elements, L"one", true, L"http://x");
    Message::BackInserter()(elements, L"two", false);
    ASSERT_EQ(3u, elements.size());
    EXPECT_EQ(L"L\"one\"->http://x", Describe(*elements[0]));
    EXPECT_EQ(L"S", Describe(*elements[1]));
    EXPECT_EQ(L"P\"two\"", Describe(*elements[2]));
}

} // namespace
