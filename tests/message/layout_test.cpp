// Word wrapping with chosen widths (every character 10 pixels wide, lines
// 16 high), and with the real dialog font.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <boost/make_shared.hpp>

#include "framework/dc.h"
#include "framework/font.h"
#include "framework/scoped_handle.h"
#include "message/message_dialog.h"
#include "message/text.h"
#include "tests/support/files.h"

namespace {

constexpr int kCharWidth = 10;
constexpr int kLineHeight = 16;

class FixedWidthMeasurer : public Message::TextMeasurer {
public:
    SIZE Measure(const wchar_t*, int length) const override
    {
        ++calls;
        return SIZE{length * kCharWidth, kLineHeight};
    }
    mutable int calls = 0;
};

struct Placed {
    std::wstring text;
    RECT rect;
};

// Every part of every word of every element, in order.
std::vector<Placed> Parts(const Message::Elements& elements)
{
    std::vector<Placed> out;
    for (const auto& element : elements)
        if (auto plain = dynamic_cast<const Message::PlainText*>(element.get()))
            for (const auto& word : plain->m_words)
                for (const auto& part : word->m_parts)
                    out.push_back(Placed{part->m_text, part->m_rect});
    return out;
}

Message::Elements FromMarkup(const std::wstring& text)
{
    Message::Elements elements;
    Message::Dialog::ParseMarkup(elements, text);
    return elements;
}

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom, const std::wstring& what)
{
    EXPECT_EQ(left, rect.left) << test::ToUtf8(what);
    EXPECT_EQ(top, rect.top) << test::ToUtf8(what);
    EXPECT_EQ(right, rect.right) << test::ToUtf8(what);
    EXPECT_EQ(bottom, rect.bottom) << test::ToUtf8(what);
}

const int h = kLineHeight;

TEST(Layout, WrapsAWordThatDoesNotFitToTheNextLine)
{
    const FixedWidthMeasurer measure;
    const Message::Elements elements = FromMarkup(L"aaaaa bbbb ");
    const SIZE extent = Message::LayoutElements(elements, measure, 100);
    const std::vector<Placed> parts = Parts(elements);
    ASSERT_EQ(2u, parts.size());
    ExpectRect(parts[0].rect, 0, 0, 60, h, parts[0].text);
    ExpectRect(parts[1].rect, 0, h, 50, 2 * h, parts[1].text);
    EXPECT_EQ(60, extent.cx);
    EXPECT_EQ(2 * h, extent.cy);
}

TEST(Layout, AWordEndingExactlyAtTheEdgeStaysAndTheNextStartsANewLine)
{
    const FixedWidthMeasurer measure;
    const Message::Elements elements = FromMarkup(L"aaaaa bbb cc");
    const SIZE extent = Message::LayoutElements(elements, measure, 100);
    const std::vector<Placed> parts = Parts(elements);
    ASSERT_EQ(3u, parts.size());
    ExpectRect(parts[1].rect, 60, 0, 100, h, parts[1].text);
    ExpectRect(parts[2].rect, 0, h, 20, 2 * h, parts[2].text);
    EXPECT_EQ(2 * h, extent.cy);
    EXPECT_EQ(100, extent.cx);
}

TEST(Layout, AFullLastLineAddsNoEmptyLineAndASeparatorBreaksOnce)
{
    const FixedWidthMeasurer measure;
    EXPECT_EQ(h, Message::LayoutElements(FromMarkup(L"aaaaa bbbb"), measure, 100).cy);

    const Message::Elements elements = FromMarkup(L"aaaaa bbbb\nc");
    const SIZE extent = Message::LayoutElements(elements, measure, 100);
    const std::vector<Placed> parts = Parts(elements);
    ASSERT_EQ(3u, parts.size());
    ExpectRect(parts[2].rect, 0, h, 10, 2 * h, parts[2].text);
    EXPECT_EQ(2 * h, extent.cy);
}

TEST(Layout, BreaksAWordWiderThanALineIntoEstimatedParts)
{
    const FixedWidthMeasurer measure;
    const std::wstring longWord(25, L'x');
    const Message::Elements elements = FromMarkup(L"ab " + longWord + L" z");
    const SIZE extent = Message::LayoutElements(elements, measure, 100);
    const std::vector<Placed> parts = Parts(elements);
    ASSERT_EQ(5u, parts.size());
    // From pen.x 30 the first part gets the 70 pixels left, then whole lines;
    // the long word ends with its space, and the next word starts a new line.
    EXPECT_EQ(std::wstring(7, L'x'), parts[1].text);
    ExpectRect(parts[1].rect, 30, 0, 100, h, parts[1].text);
    EXPECT_EQ(std::wstring(10, L'x'), parts[2].text);
    ExpectRect(parts[2].rect, 0, h, 100, 2 * h, parts[2].text);
    EXPECT_EQ(std::wstring(8, L'x') + L" ", parts[3].text);
    ExpectRect(parts[3].rect, 0, 2 * h, 90, 3 * h, parts[3].text);
    ExpectRect(parts[4].rect, 0, 3 * h, 10, 4 * h, parts[4].text);
    EXPECT_EQ(100, extent.cx);
    EXPECT_EQ(4 * h, extent.cy);
}

TEST(Layout, CountsLinesAndSkipsEmptyText)
{
    const FixedWidthMeasurer measure;
    const struct {
        const wchar_t* text;
        SIZE extent;
    } cases[] = {
        {L"a\nb", {10, 2 * h}},
        {L"", {0, 0}},
        {L"a\n\nb", {10, 3 * h}},
        // A text that begins with a line break counts its first text line too.
        {L"\nb", {10, 2 * h}},
        {L"\n\nb", {10, 3 * h}},
    };
    for (const auto& c : cases) {
        const SIZE extent = Message::LayoutElements(FromMarkup(c.text), measure, 100);
        EXPECT_EQ(c.extent.cx, extent.cx) << "case " << (&c - cases);
        EXPECT_EQ(c.extent.cy, extent.cy) << "case " << (&c - cases);
    }

    // An empty line moves neither pen nor extent.
    Message::PlainText empty(L"");
    SIZE extent = {7, 9};
    POINT pen = {3, 5};
    empty.Layout(measure, extent, pen, 100);
    EXPECT_EQ(7, extent.cx);
    EXPECT_EQ(9, extent.cy);
    EXPECT_EQ(3, pen.x);
    EXPECT_EQ(5, pen.y);
}

TEST(Layout, LinesTooNarrowForOneCharacterStillTakeOneEach)
{
    const FixedWidthMeasurer measure;
    for (int maxWidth : {4, 0, -20}) {
        const Message::Elements elements = FromMarkup(L"abc de");
        Message::LayoutElements(elements, measure, maxWidth);
        std::wstring joined;
        for (const Placed& part : Parts(elements)) {
            if (part.rect.left == 0) {
                EXPECT_FALSE(part.text.empty()) << "max width " << maxWidth;
            }
            joined += part.text;
        }
        EXPECT_EQ(L"abc de", joined) << "max width " << maxWidth;
    }
}

TEST(EstimateFit, GoesByTheAverageCharacterWidth)
{
    class Uneven : public Message::TextMeasurer {
    public:
        // 4 characters measure 30 pixels, so one character is 7.5 wide.
        SIZE Measure(const wchar_t*, int length) const override { return SIZE{length * 30 / 4, h}; }
    } measure;
    const wchar_t text[] = L"abcd";
    const struct {
        int avail;
        int expected;
    } cases[] = {{0, 0}, {3, 0}, {4, 1}, {15, 2}, {18, 2}, {19, 3}, {30, 4}, {1000, 4}, {-9, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Message::EstimateFit(measure, c.avail, text, text + 4) - text) << "avail " << c.avail;

    class Zero : public Message::TextMeasurer {
    public:
        SIZE Measure(const wchar_t*, int) const override { return SIZE{0, h}; }
    } zero;
    EXPECT_EQ(text + 4, Message::EstimateFit(zero, 10, text, text + 4));
}

TEST(Layout, MeasuresEachWordOnceAndABrokenWordTwicePerPart)
{
    FixedWidthMeasurer measure;
    Message::Elements elements = FromMarkup(L"a b " + std::wstring(25, L'x'));
    Message::LayoutElements(elements, measure, 100);
    // "a ", "b ", the long word whole, then (estimate + part) for its 3 parts.
    EXPECT_EQ(3 + 2 * 3, measure.calls);
}

TEST(HyperLink, HitsItsWordsTrailingSpaceButNotBesideIt)
{
    const FixedWidthMeasurer measure;
    const Message::Elements elements = FromMarkup(L"go {hl}there now {hl=http://x/}");
    Message::LayoutElements(elements, measure, 500);
    ASSERT_EQ(2u, elements.size());
    const struct {
        POINT point;
        std::wstring link;
    } cases[] = {
        {{30, 0}, L"http://x/"},   // first character of the link
        {{125, 15}, L"http://x/"}, // the trailing space of "now "
        {{130, 5}, L""},           // right of the line's end
        {{29, 5}, L""},            // plain text before it
        {{40, h}, L""},            // below it
    };
    for (const auto& c : cases) {
        std::wstring link;
        for (const auto& element : elements)
            if (link.empty())
                link = element->GetLink(c.point);
        EXPECT_EQ(c.link, link) << c.point.x << "," << c.point.y;
    }
    EXPECT_FALSE(elements[0]->HitTest(POINT{0, 0}));
}

// The real font under Wine: the same layout rules hold with measured widths.
TEST(Layout, WrapsWithTheRealDialogFont)
{
    const ScopedMemoryDC memory(::CreateCompatibleDC(nullptr));
    CDC dc(memory.get());
    LOGFONTW logFont = {};
    logFont.lfHeight = -11;
    lstrcpyW(logFont.lfFaceName, L"Tahoma");
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&logFont));
    {
        CSelectFont select(dc, font);
        // Wine's own Tahoma, not a stand-in with other metrics.
        wchar_t face[LF_FACESIZE] = {};
        ::GetTextFaceW(dc, LF_FACESIZE, face);
        EXPECT_STREQ(L"Tahoma", face) << "Wine's fonts (fonts-wine) are missing";
        const Message::DcTextMeasurer measure(dc);
        const SIZE line = measure.Measure(L"x", 1);
        ASSERT_GT(line.cy, 0);

        std::wstring text;
        for (int i = 0; i < 60; ++i)
            text += L"word" + std::to_wstring(i) + L" ";
        text += std::wstring(400, L'W') + L"\n{hl}last link{hl=http://x/}";
        const Message::Elements elements = FromMarkup(text);
        const SIZE extent = Message::LayoutElements(elements, measure, 526);
        EXPECT_GT(extent.cy, 4 * line.cy);
        EXPECT_EQ(0, extent.cy % line.cy);
        for (const Placed& part : Parts(elements)) {
            EXPECT_LE(part.rect.bottom, extent.cy);
            EXPECT_EQ(line.cy, part.rect.bottom - part.rect.top);
            if (part.text.find(L'W') == std::wstring::npos) {
                EXPECT_LE(part.rect.right, 526) << test::ToUtf8(part.text);
            }
        }

        // A line narrower than any character still ends.
        const Message::Elements narrow = FromMarkup(L"narrow text");
        const SIZE narrowExtent = Message::LayoutElements(narrow, measure, 1);
        EXPECT_EQ(11u, Parts(narrow).size());
        EXPECT_GT(narrowExtent.cy, 0);
    }
}

} // namespace
