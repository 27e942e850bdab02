#include "message/text.h"

#include <algorithm>
#include <cmath>

#include <boost/make_shared.hpp>

#include "framework/dc.h"
#include "framework/font.h"

namespace Message {

SIZE DcTextMeasurer::Measure(const wchar_t* text, int length) const
{
    return m_dc.GetTextExtent(text, length);
}

const wchar_t* EstimateFit(const TextMeasurer& dc, int avail, const wchar_t* first, const wchar_t* last)
{
    const int count = static_cast<int>(last - first);
    const int width = dc.Measure(first, count).cx;
    if (width <= 0)
        return last;
    const float ratio = static_cast<float>(static_cast<double>(count) / static_cast<double>(width));
    const float estimate = static_cast<float>(avail) * ratio;
    const int n = static_cast<int>(estimate >= 0 ? std::floor(estimate + 0.5f) : std::ceil(estimate - 0.5f));
    if (n <= 0) // no room left on this line (avail can be zero or less)
        return first;
    return n <= count ? first + n : last;
}

std::wstring Text::GetLink(POINT) const
{
    return std::wstring();
}

bool Text::HitTest(POINT) const
{
    return false;
}

void LineSeparator::Layout(const TextMeasurer& dc, SIZE& extent, POINT& pen, int)
{
    const int h = dc.Measure(L"\n", 1).cy;
    pen.y += h;
    pen.x = 0;
    extent.cy += h;
}

void PlainText::Word::AddPart(const std::wstring& text, SIZE size, SIZE& extent, POINT& pen)
{
    const RECT rect = {pen.x, pen.y, pen.x + size.cx, pen.y + size.cy};
    m_parts.push_back(boost::make_shared<WordPart>(text, rect));
    if (pen.x + size.cx > extent.cx)
        extent.cx = pen.x + size.cx;
    // Counts the line of every part placed, also one below text that began
    // with line breaks.
    extent.cy = std::max<LONG>(extent.cy, pen.y + size.cy);
    // A line filled exactly keeps the pen at its end: the next word then
    // starts the next line (and counts it), a separator breaks just once.
    pen.x += size.cx;
}

void PlainText::Word::Layout(const TextMeasurer& dc, SIZE& extent, POINT& pen, int maxWidth)
{
    m_parts.clear();
    const wchar_t* const begin = m_text.data();
    const wchar_t* const end = begin + m_text.size();
    const SIZE whole = dc.Measure(begin, static_cast<int>(m_text.size()));
    if (pen.x + whole.cx <= maxWidth) {
        AddPart(m_text, whole, extent, pen);
        return;
    }
    if (whole.cx <= maxWidth) {
        pen.y += whole.cy;
        extent.cy += whole.cy;
        pen.x = 0;
        AddPart(m_text, whole, extent, pen);
        return;
    }

    // Wider than a line: the first part fills the rest of this line, every
    // further part takes a line of its own, and the line breaks after each.
    int avail = maxWidth - pen.x;
    for (const wchar_t* first = begin; first != end;) {
        const wchar_t* stop = EstimateFit(dc, avail, first, end);
        if (stop == first && pen.x == 0)
            ++stop; // a line too narrow for one character still takes one, or this never ends
        SIZE size = dc.Measure(first, static_cast<int>(stop - first));
        if (stop == first)
            size.cy = whole.cy; // an empty part still breaks the line by a line's height
        AddPart(std::wstring(first, stop), size, extent, pen);
        pen.y += size.cy;
        pen.x = 0;
        extent.cy += size.cy;
        first = stop;
        avail = maxWidth;
    }
}

void PlainText::Word::WordPart::Paint(CDC& dc) const
{
    dc.TextOut(m_rect.left, m_rect.top, m_text.data(), static_cast<int>(m_text.size()));
}

void PlainText::Word::Paint(CDC& dc) const
{
    for (const auto& part : m_parts)
        part->Paint(dc);
}

bool PlainText::Word::HitTest(POINT point) const
{
    for (const auto& part : m_parts)
        if (::PtInRect(&part->m_rect, point))
            return true;
    return false;
}

void PlainText::Layout(const TextMeasurer& dc, SIZE& extent, POINT& pen, int maxWidth)
{
    m_words.clear();
    for (const std::wstring& word : SplitWords(m_text))
        m_words.push_back(boost::make_shared<Word>(word));
    for (const auto& word : m_words)
        word->Layout(dc, extent, pen, maxWidth);
}

void PlainText::Paint(CDC& dc) const
{
    for (const auto& word : m_words)
        word->Paint(dc);
}

std::wstring HyperLink::GetLink(POINT point) const
{
    return HitTest(point) ? m_target : std::wstring();
}

bool HyperLink::HitTest(POINT point) const
{
    for (const auto& word : m_words)
        if (word->HitTest(point))
            return true;
    return false;
}

void HyperLink::Paint(CDC& dc) const
{
    LOGFONTW logFont = {};
    if (HGDIOBJ current = dc.GetCurrentObject(OBJ_FONT))
        ::GetObjectW(current, sizeof(logFont), &logFont);
    logFont.lfUnderline = TRUE;
    CFont underlined;
    underlined.CreateFontIndirect(&logFont);
    CSelectFont select(dc, underlined);
    PlainText::Paint(dc);
}

SIZE LayoutElements(const Elements& elements, const TextMeasurer& dc, int maxWidth)
{
    SIZE extent = {0, 0};
    POINT pen = {0, 0};
    for (const auto& element : elements)
        element->Layout(dc, extent, pen, maxWidth);
    return extent;
}

} // namespace Message
