#pragma once
// The elements of a message: plain-text lines, hyperlink lines and line
// separators, with their word-wrapping layout, painting and hit testing.
// Layout works in text-area coordinates and measures through a
// TextMeasurer, so it can run on a device context or on chosen widths.
#include <windows.h>

#include <string>
#include <vector>

#include <boost/noncopyable.hpp>
#include <boost/shared_ptr.hpp>

class CDC;

namespace Message {

// Measures the text extent of characters, as GetTextExtentPoint32W does.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual SIZE Measure(const wchar_t* text, int length) const = 0;
};

// Measures with the font selected in a device context.
class DcTextMeasurer : public TextMeasurer {
public:
    explicit DcTextMeasurer(const CDC& dc) : m_dc(dc) {}
    SIZE Measure(const wchar_t* text, int length) const override;

private:
    const CDC& m_dc;
};

// How far a part of first..last may extend in `avail` pixels, estimated from
// the average character width of those characters (not by measuring
// candidates). Remaining characters that measure zero width all fit.
const wchar_t* EstimateFit(const TextMeasurer& dc, int avail, const wchar_t* first, const wchar_t* last);

class Text : private boost::noncopyable {
public:
    virtual ~Text() = default;
    // Places the element at `pen`, advancing the pen and growing `extent`.
    virtual void Layout(const TextMeasurer& dc, SIZE& extent, POINT& pen, int maxWidth) = 0;
    // The link target under `point`, or empty.
    virtual std::wstring GetLink(POINT point) const;
    virtual bool HitTest(POINT point) const;
    virtual void Paint(CDC& dc) const = 0;
};

using Elements = std::vector<boost::shared_ptr<Text>>;

// The break between two lines of a message.
class LineSeparator : public Text {
public:
    void Layout(const TextMeasurer& dc, SIZE& extent, POINT& pen, int maxWidth) override;
    void Paint(CDC&) const override {}
};

// One line of plain text (no line breaks).
class PlainText : public Text {
public:
    // A run of non-space characters with the spaces after it, placed as one
    // part or, when wider than a line, broken into several.
    class Word {
    public:
        // Characters placed together on one line, at m_rect.
        class WordPart {
        public:
            WordPart(const std::wstring& text, const RECT& rect) : m_text(text), m_rect(rect) {}
            void Paint(CDC& dc) const;

            std::wstring m_text;
            RECT m_rect;
        };

        explicit Word(const std::wstring& text) : m_text(text) {}
        void Layout(const TextMeasurer& dc, SIZE& extent, POINT& pen, int maxWidth);
        void Paint(CDC& dc) const;
        bool HitTest(POINT point) const;

        std::vector<boost::shared_ptr<WordPart>> m_parts;
        std::wstring m_text;

    private:
        void AddPart(const std::wstring& text, SIZE size, SIZE& extent, POINT& pen);
    };

    explicit PlainText(const std::wstring& text) : m_text(text) {}
    void Layout(const TextMeasurer& dc, SIZE& extent, POINT& pen, int maxWidth) override;
    void Paint(CDC& dc) const override;

    std::vector<boost::shared_ptr<Word>> m_words; // rebuilt by every Layout
    std::wstring m_text;
};

// One line of a link; drawn underlined, it answers hit tests with its target.
class HyperLink : public PlainText {
public:
    HyperLink(const std::wstring& text, const std::wstring& target) : PlainText(text), m_target(target) {}
    std::wstring GetLink(POINT point) const override;
    bool HitTest(POINT point) const override;
    void Paint(CDC& dc) const override;

    std::wstring m_target;
};

// The words of a line: each run of non-spaces with the spaces after it;
// spaces at the start of the line are a word of their own.
std::vector<std::wstring> SplitWords(const std::wstring& line);

// The layout pass: every element in order from the origin; returns the
// extent of the text.
SIZE LayoutElements(const Elements& elements, const TextMeasurer& dc, int maxWidth);

} // namespace Message
