#pragma once
// The message markup: "{hl}" link-text "{hl=" target "}" makes a link,
// everything else is shown as it stands. The regular expressions are built
// once, on first use, and kept for the life of the process.
#include <string>

#include <boost/function.hpp>
#include <boost/xpressive/xpressive_static.hpp>

#include "message/text.h"

namespace Message {

using boost::xpressive::wsregex;

const wsregex& SchemeRegex();     // http, https, ftp, gopher, telnet, file, notes, ms-help
const wsregex& LinkPrefixRegex(); // scheme, ":", then "//" or two backslashes, repeated
const wsregex& UrlCharsRegex();   // the characters a target may go on with
const wsregex& UrlRegex();        // a whole link target
const wsregex& MarkupRegex();     // capture 1: link text, capture 2: target
const wsregex& WordRegex();       // one word with the spaces after it
const wsregex& LineBreakRegex();  // CR LF as one break, or one of CR LF FF NEL LS PS

// Calls `add` with each line of `text` and whether another line follows.
// Text after the last break counts only when not empty; "" has no lines.
void SplitLines(const std::wstring& text, const boost::function<void(const std::wstring&, bool)>& add);

// Appends a line's element, and a separator after it when more lines follow.
struct BackInserter {
    using result_type = void;
    void operator()(Elements& elements, const std::wstring& line, bool moreFollow) const;
    void operator()(Elements& elements, const std::wstring& line, bool moreFollow, const std::wstring& target) const;
};

} // namespace Message
