// XML escaping of any UTF-16 text: the output is printable ASCII with no raw
// markup characters, reading its references back gives the text unchanged,
// and a buffer one byte short gets 0 (the sanitizer sees any write past a
// buffer of exactly the asked size).
#include <cstring>
#include <vector>

#include "native/fuzz/fuzz_text.h"
#include "soap/xml_escape.h"

namespace {

// The text that `escaped` stands for, as UTF-16 units; false where it holds
// anything but the references the escaper writes.
bool Unescape(const std::string& escaped, std::wstring& text)
{
    static const struct {
        const char* reference;
        wchar_t character;
    } kNamed[] = {{"&amp;", L'&'}, {"&lt;", L'<'}, {"&gt;", L'>'}, {"&quot;", L'"'}, {"&apos;", L'\''}};
    for (size_t i = 0; i < escaped.size();) {
        if (escaped[i] != '&') {
            text += static_cast<wchar_t>(escaped[i++]);
            continue;
        }
        const size_t end = escaped.find(';', i);
        if (end == std::string::npos)
            return false;
        const std::string reference = escaped.substr(i, end + 1 - i);
        i = end + 1;
        bool named = false;
        for (const auto& n : kNamed)
            if (reference == n.reference) {
                text += n.character;
                named = true;
            }
        if (named)
            continue;
        const size_t digits = reference.size() - 4;
        if (reference.compare(0, 3, "&#x") != 0 || (digits != 4 && digits != 6) ||
            std::strspn(reference.c_str() + 3, "0123456789ABCDEF") != digits)
            return false;
        const unsigned long code = std::strtoul(reference.c_str() + 3, nullptr, 16);
        if (code > 0xFFFF) {
            text += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            text += static_cast<wchar_t>(code);
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool attributeMode = data[0] & 1;
    const std::wstring text = FuzzText(data + 1, size - 1);
    const int length = static_cast<int>(text.size());

    const int needed = EscapeXmlText(text.data(), length, nullptr, 0, attributeMode);
    FUZZ_CHECK(needed >= length);
    if (needed == 0)
        return 0;
    std::vector<char> exact(static_cast<size_t>(needed));
    FUZZ_CHECK(EscapeXmlText(text.data(), length, exact.data(), needed, attributeMode) == needed);
    if (needed > 1) {
        std::vector<char> tooSmall(static_cast<size_t>(needed - 1));
        FUZZ_CHECK(EscapeXmlText(text.data(), length, tooSmall.data(), needed - 1, attributeMode) == 0);
    }

    const std::string escaped(exact.begin(), exact.end());
    for (const char c : escaped) {
        FUZZ_CHECK(c >= 0x20 && c <= 0x7E && c != '<' && c != '>');
        if (attributeMode)
            FUZZ_CHECK(c != '"' && c != '\'');
    }
    std::wstring back;
    FUZZ_CHECK(Unescape(escaped, back));
    FUZZ_CHECK(back == text);
    return 0;
}
