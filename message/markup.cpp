#include "message/markup.h"

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>
#include <boost/ref.hpp>

#include "message/message_dialog.h"

namespace Message {

namespace xp = boost::xpressive;
using xp::as_xpr;

const wsregex& SchemeRegex()
{
    static const wsregex regex =
        (as_xpr(L"http") >> !as_xpr(L's')) | L"ftp" | L"gopher" | L"telnet" | L"file" | L"notes" | L"ms-help";
    return regex;
}

const wsregex& LinkPrefixRegex()
{
    static const wsregex regex = SchemeRegex() >> L':' >> +(as_xpr(L"//") | L"\\\\");
    return regex;
}

const wsregex& UrlCharsRegex()
{
    static const wsregex regex = *(xp::_w | xp::_d |
                                   (xp::set = L':', L'#', L'@', L'%', L'/', L';', L'$', L'(', L')', L'~', L'_', L'?',
                                    L'+', L'-', L'=', L'\\', L'.', L'&'));
    return regex;
}

const wsregex& UrlRegex()
{
    static const wsregex regex = LinkPrefixRegex() >> UrlCharsRegex();
    return regex;
}

const wsregex& MarkupRegex()
{
    static const wsregex regex = L"{hl}" >> (xp::s1 = -*xp::_) >> L"{hl=" >> (xp::s2 = UrlRegex()) >> L'}';
    return regex;
}

const wsregex& WordRegex()
{
    static const wsregex regex = (*~as_xpr(L' ') >> +as_xpr(L' ')) | (+~as_xpr(L' ') >> *as_xpr(L' '));
    return regex;
}

const wsregex& LineBreakRegex()
{
    static const wsregex regex = as_xpr(L"\r\n") | (xp::set = L'\r', L'\n', L'\f', L'\x0085', L'\x2028', L'\x2029');
    return regex;
}

void SplitLines(const std::wstring& text, const boost::function<void(const std::wstring&, bool)>& add)
{
    std::vector<std::wstring> lines;
    std::wstring::const_iterator from = text.begin();
    xp::wsmatch match;
    while (xp::regex_search(from, text.end(), match, LineBreakRegex())) {
        lines.emplace_back(from, match[0].first);
        from = match[0].second;
    }
    if (from != text.end())
        lines.emplace_back(from, text.end());
    for (size_t i = 0; i < lines.size(); ++i)
        add(lines[i], i + 1 < lines.size());
}

std::vector<std::wstring> SplitWords(const std::wstring& line)
{
    std::vector<std::wstring> words;
    for (xp::wsregex_iterator it(line.begin(), line.end(), WordRegex()), end; it != end; ++it)
        words.push_back(it->str());
    return words;
}

void BackInserter::operator()(Elements& elements, const std::wstring& line, bool moreFollow) const
{
    elements.push_back(boost::make_shared<PlainText>(line));
    if (moreFollow)
        elements.push_back(boost::make_shared<LineSeparator>());
}

void BackInserter::operator()(Elements& elements, const std::wstring& line, bool moreFollow,
                              const std::wstring& target) const
{
    elements.push_back(boost::make_shared<HyperLink>(line, target));
    if (moreFollow)
        elements.push_back(boost::make_shared<LineSeparator>());
}

void Dialog::SplitAndAdd(Elements& elements, const std::wstring& text)
{
    using namespace boost::placeholders;
    SplitLines(text, boost::bind<void>(BackInserter(), boost::ref(elements), _1, _2));
}

void Dialog::SplitAndAdd(Elements& elements, const std::wstring& text, const std::wstring& target)
{
    using namespace boost::placeholders;
    SplitLines(text, boost::bind<void>(BackInserter(), boost::ref(elements), _1, _2, target));
}

namespace {
bool EndsWithLineBreak(const std::wstring& text)
{
    if (text.empty())
        return false;
    const wchar_t last = text.back();
    return last == L'\r' || last == L'\n' || last == L'\f' || last == L'\x0085' || last == L'\x2028' ||
           last == L'\x2029';
}
} // namespace

void Dialog::ParseMarkup(Elements& elements, const std::wstring& text)
{
    // A line break that ends a piece before a link (or a link's text) is
    // kept as a separator when more text follows; only the message's own
    // trailing break adds nothing.
    bool pendingBreak = false;
    const auto add = [&](const std::wstring& piece, const std::wstring* target) {
        const size_t before = elements.size();
        if (pendingBreak)
            elements.push_back(boost::make_shared<LineSeparator>());
        if (target)
            SplitAndAdd(elements, piece, *target);
        else
            SplitAndAdd(elements, piece);
        if (elements.size() == before + (pendingBreak ? 1 : 0)) {
            elements.resize(before); // the piece added nothing: the break stays pending
            return;
        }
        pendingBreak = EndsWithLineBreak(piece);
    };

    const wsregex& markup = MarkupRegex();
    std::wstring::const_iterator restBegin = text.begin();
    for (xp::wsregex_iterator it(text.begin(), text.end(), markup), end; it != end; ++it) {
        const xp::wsmatch& match = *it;
        const std::wstring rest(restBegin, match[0].first);
        if (!rest.empty())
            add(rest, nullptr);
        const std::wstring linkText = match[1].str();
        const std::wstring target = match[2].str();
        if (!linkText.empty() || !target.empty())
            add(linkText, &target);
        restBegin = match[0].second;
    }
    const std::wstring rest(restBegin, text.end());
    if (!rest.empty())
        add(rest, nullptr);
}

} // namespace Message
