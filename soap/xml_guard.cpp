#include "soap/xml_guard.h"

#include <cctype>
#include <string_view>

namespace soap {

namespace {

// Stands for any character outside ASCII: none of them is a delimiter.
constexpr uint32_t kOther = 0x80;

bool IsSpace(uint32_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where a name in a tag ends. Counting on past a character that also ends a
// name for the parser only makes a piece look longer.
bool EndsName(uint32_t c)
{
    return IsSpace(c) || c == '>' || c == '/' || c == '=' || c == '"' || c == '\'' || c == '<' || c == '?';
}

bool EndsReference(uint32_t c)
{
    return IsSpace(c) || c == '<' || c == '&' || c == '>' || c == '"' || c == '\'';
}

// `lower` is in lower case.
bool EqualsNoCase(std::string_view text, std::string_view lower)
{
    if (text.size() != lower.size())
        return false;
    for (size_t i = 0; i < lower.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i])
            return false;
    return true;
}

// `prefix` followed by a number from `first` to `last`, as "iso-8859-15".
bool IsNumbered(std::string_view name, std::string_view prefix, int first, int last)
{
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 2 ||
        !EqualsNoCase(name.substr(0, prefix.size()), prefix))
        return false;
    int number = 0;
    for (const char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    return number >= first && number <= last;
}

bool IsUtf8Name(std::string_view name)
{
    return EqualsNoCase(name, "utf-8") || EqualsNoCase(name, "utf8");
}

} // namespace

bool IsCountableEncoding(const char* name, size_t length, bool utf16)
{
    const std::string_view text(name, length);
    // A UTF-16 document that declares another encoding makes the parser
    // read the rest of its bytes in that one.
    if (utf16)
        return EqualsNoCase(text, "utf-16") || EqualsNoCase(text, "utf16");
    // Single-byte encodings that keep ASCII where it is: a character
    // becomes at most three bytes of UTF-8.
    return IsUtf8Name(text) || EqualsNoCase(text, "us-ascii") || EqualsNoCase(text, "ascii") ||
           EqualsNoCase(text, "latin1") || IsNumbered(text, "iso-8859-", 1, 16) ||
           IsNumbered(text, "windows-125", 0, 8) || IsNumbered(text, "cp125", 0, 8);
}

bool XmlGuard::Refuse()
{
    m_refused = true;
    return false;
}

bool XmlGuard::Accept(const uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count && !m_refused; ++i) {
        if (m_encoding == Encoding::Unknown)
            Detect(bytes[i]);
        else
            DecodeByte(bytes[i]);
    }
    return !m_refused;
}

// The encoding as the parser finds it from the first bytes, then those bytes
// read in it.
bool XmlGuard::Detect(uint8_t byte)
{
    m_head[m_headLength++] = byte;
    const uint8_t* h = m_head;
    const size_t n = m_headLength;
    size_t mark = 0;
    Encoding found = Encoding::Utf8;
    if (h[0] == 0xEF) {
        if ((n >= 2 && h[1] != 0xBB) || (n >= 3 && h[2] != 0xBF))
            return Refuse();
        if (n < 3)
            return true;
        mark = 3;
    } else if (h[0] == 0xFF || h[0] == 0xFE) {
        if (n < 2)
            return true;
        if (h[1] != (h[0] == 0xFF ? 0xFE : 0xFF))
            return Refuse();
        found = h[0] == 0xFF ? Encoding::Utf16LE : Encoding::Utf16BE;
        mark = 2;
    } else if (h[0] == '<') {
        if (n < 2)
            return true;
        if (h[1] == 0) { // "<?" in UTF-16LE without a mark; anything else is UCS-4 or not XML
            if (n < 4)
                return true;
            if (h[2] != '?' || h[3] != 0)
                return Refuse();
            found = Encoding::Utf16LE;
        }
    } else if (h[0] == 0) { // "<?" in UTF-16BE without a mark
        if (n < 4)
            return true;
        if (h[1] != '<' || h[2] != 0 || h[3] != '?')
            return Refuse();
        found = Encoding::Utf16BE;
    } else if (!IsSpace(h[0])) {
        return Refuse(); // cannot start an XML document
    }
    m_encoding = found;
    for (size_t i = mark; i < n; ++i)
        if (!DecodeByte(h[i]))
            return false;
    return true;
}

bool XmlGuard::DecodeByte(uint8_t byte)
{
    if (m_encoding == Encoding::Utf8 || m_encoding == Encoding::Legacy8Bit) {
        if (byte >= 0x80)
            return Character(kOther, m_encoding == Encoding::Utf8 ? 1 : 3);
        // Control characters are never part of XML; they also stand for
        // encodings (stateful or wide ones) whose bytes the guard cannot count.
        if (byte < 0x20 && !IsSpace(byte))
            return Refuse();
        return Character(byte, 1);
    }
    if (!m_haveByte) {
        m_unit = byte;
        m_haveByte = true;
        return true;
    }
    m_haveByte = false;
    const uint32_t unit = m_encoding == Encoding::Utf16LE ? (m_unit | byte << 8) : (m_unit << 8 | byte);
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return Character(kOther, 4);
        if (!Character(kOther, 3)) // the unpaired one
            return false;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        m_highSurrogate = unit;
        return true;
    }
    if (unit >= 0x80)
        return Character(kOther, unit < 0x800 ? 2 : 3);
    if (unit < 0x20 && !IsSpace(unit))
        return Refuse();
    return Character(unit, 1);
}

bool XmlGuard::Grow(size_t utf8Length)
{
    m_piece += utf8Length;
    return m_piece <= kMaxMarkupPiece || Refuse();
}

bool XmlGuard::Character(uint32_t c, size_t utf8Length)
{
    const bool atStart = m_atStart;
    m_atStart = false;
    const uint32_t before = m_last[1];
    const uint32_t beforeThat = m_last[0];
    m_last[0] = m_last[1];
    m_last[1] = c;
    switch (m_state) {
    case State::Start:
        if (IsSpace(c))
            return true;
        if (c != '<')
            return Refuse(); // cannot start an XML document
        m_declarationPossible = atStart;
        m_state = State::Open;
        return true;
    case State::Content:
        if (c == '<') {
            m_state = State::Open;
        } else if (c == '&') {
            m_state = State::Reference;
            m_piece = 0;
        }
        return true;
    case State::Open: {
        const bool declarationPossible = m_declarationPossible;
        m_declarationPossible = false;
        m_piece = 0;
        if (c == '?') {
            m_state = State::Instruction;
            m_declaration = declarationPossible;
            m_instructionLength = 0;
            m_last[0] = m_last[1] = 0;
            return true;
        }
        if (c == '!') {
            m_state = State::Bang;
            m_bangMatched = 0;
            return true;
        }
        m_state = State::Name;
        return c == '/' || Character(c, utf8Length);
    }
    case State::Name:
        if (EndsName(c)) {
            m_state = State::InTag;
            return Character(c, utf8Length);
        }
        return Grow(utf8Length);
    case State::InTag:
        if (c == '>') {
            m_state = State::Content;
        } else if (c == '"' || c == '\'') {
            m_state = State::Value;
            m_quote = c;
            m_piece = 0;
        } else if (c == '<') {
            m_state = State::Open;
        } else if (!EndsName(c)) {
            m_state = State::Name;
            m_piece = 0;
            return Grow(utf8Length);
        }
        return true;
    case State::Value:
        if (c == m_quote) {
            m_state = State::InTag;
            return true;
        }
        return Grow(utf8Length);
    case State::Bang: {
        // Only a comment or a CDATA section; a document type declaration
        // has no place in a SOAP message.
        static const char kComment[] = "--";
        static const char kCData[] = "[CDATA[";
        if (m_bangMatched == 0)
            m_bangCData = c == '[';
        const char* expected = m_bangCData ? kCData : kComment;
        if (c != static_cast<uint8_t>(expected[m_bangMatched]))
            return Refuse();
        if (expected[++m_bangMatched] == '\0') {
            m_state = m_bangCData ? State::CData : State::Comment;
            m_last[0] = m_last[1] = 0;
        }
        return true;
    }
    case State::Comment:
        if (c == '>' && before == '-' && beforeThat == '-')
            m_state = State::Content;
        return true;
    case State::CData:
        if (c == '>' && before == ']' && beforeThat == ']')
            m_state = State::Content;
        return true;
    case State::Instruction:
        if (c == '>' && before == '?') {
            m_state = State::Content;
            return EndInstruction();
        }
        if (!Grow(utf8Length))
            return false;
        m_instruction[m_instructionLength++] = c < 0x80 ? static_cast<char>(c) : '?';
        return true;
    case State::Reference:
        if (c == ';') {
            m_state = State::Content;
            return true;
        }
        if (EndsReference(c)) {
            m_state = State::Content;
            return Character(c, utf8Length);
        }
        return Grow(utf8Length);
    }
    return true;
}

// The XML declaration may name the encoding of what follows.
bool XmlGuard::EndInstruction()
{
    if (!m_declaration)
        return true;
    const std::string_view text(m_instruction, m_instructionLength);
    if (text.size() < 4 || text.compare(0, 3, "xml") != 0 || !IsSpace(static_cast<uint8_t>(text[3])))
        return true;
    size_t at = text.find("encoding");
    if (at == std::string_view::npos)
        return true;
    at += 8;
    while (at < text.size() && IsSpace(static_cast<uint8_t>(text[at])))
        ++at;
    if (at >= text.size() || text[at] != '=')
        return true;
    ++at;
    while (at < text.size() && IsSpace(static_cast<uint8_t>(text[at])))
        ++at;
    if (at >= text.size() || (text[at] != '"' && text[at] != '\''))
        return true;
    const size_t end = text.find(text[at], at + 1);
    if (end == std::string_view::npos)
        return true;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    const bool utf16 = m_encoding == Encoding::Utf16LE || m_encoding == Encoding::Utf16BE;
    if (!IsCountableEncoding(name.data(), name.size(), utf16))
        return Refuse();
    if (!utf16 && !IsUtf8Name(name))
        m_encoding = Encoding::Legacy8Bit;
    return true;
}

} // namespace soap
