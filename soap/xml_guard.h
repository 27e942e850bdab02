#pragma once
// A guard in front of the SAX reader: it reads a document's bytes as they
// pass and refuses, before the reader sees them, any document in which a
// piece of markup that the reader may quote in an error message is long.
//
// Why: the reader we are given may format its parser's error messages into a
// fixed buffer of 1024 bytes on the stack (Wine's does), quoting up to three
// pieces of the input in UTF-8. A long name or attribute value in an answer
// would then overwrite the stack. Answers of real services have every such
// piece far below 200 bytes.
#include <cstddef>
#include <cstdint>

namespace soap {

// The most UTF-8 bytes a piece of markup may have: a name (element,
// attribute, prefix, end tag), an attribute value (a namespace URI among
// them), a processing instruction or the XML declaration as a whole, an
// entity or character reference. Three pieces and the longest message text
// of the parser (well below 200 bytes) stay within 1024 bytes.
constexpr size_t kMaxMarkupPiece = 256;

// Reads a document as a stream of bytes, in any chunks, and decides whether
// it may reach the reader. It refuses:
// - a body that cannot start an XML document (after an optional byte order
//   mark and white space, the first character is not "<");
// - a piece of markup longer than kMaxMarkupPiece, counting what it becomes
//   in UTF-8 (a character of a single-byte encoding may become three bytes);
// - a document type declaration (a SOAP message carries none);
// - an encoding it cannot count: UCS-4, EBCDIC, a control character other
//   than tab, CR and LF in an 8-bit document, or a declared encoding other
//   than UTF-8, UTF-16 (in a UTF-16 document), US-ASCII, ISO-8859-n or
//   windows-125n.
// Comments, CDATA sections and text are not quoted by the parser and are not
// bounded here (the transport bounds the body).
class XmlGuard {
public:
    // False once the document is refused; then every later call is false too.
    bool Accept(const uint8_t* bytes, size_t count);
    bool Refused() const { return m_refused; }

private:
    enum class Encoding { Unknown, Utf8, Legacy8Bit, Utf16LE, Utf16BE };
    enum class State {
        Start, // before the first "<"
        Content,
        Open,  // after "<"
        Name,  // a name inside a tag
        InTag, // between the names and values of a tag
        Value, // an attribute value
        Bang,  // after "<!": "--" or "[CDATA[" must follow
        Comment,
        CData,
        Instruction, // after "<?"
        Reference,   // after "&" in content
    };

    bool Detect(uint8_t byte);
    bool DecodeByte(uint8_t byte);
    bool Character(uint32_t c, size_t utf8Length);
    bool Grow(size_t utf8Length);
    bool EndInstruction();
    bool Refuse();

    bool m_refused = false;
    Encoding m_encoding = Encoding::Unknown;
    uint8_t m_head[4] = {};
    size_t m_headLength = 0;
    // A UTF-16 code unit in the making, and a high surrogate waiting for its pair.
    uint32_t m_unit = 0;
    bool m_haveByte = false;
    uint32_t m_highSurrogate = 0;

    State m_state = State::Start;
    size_t m_piece = 0;       // UTF-8 bytes of the current piece
    uint32_t m_quote = 0;     // the quote that ends the current value
    uint32_t m_last[2] = {};  // the characters before the current one, for "-->", "]]>" and "?>"
    size_t m_bangMatched = 0; // characters of "--" or "[CDATA[" seen after "<!"
    bool m_bangCData = false;
    bool m_atStart = true;                        // no character read yet
    bool m_declarationPossible = false;           // the "<" just read was the first character
    bool m_declaration = false;                   // the current instruction is the XML declaration
    char m_instruction[kMaxMarkupPiece + 1] = {}; // the current instruction, ASCII only
    size_t m_instructionLength = 0;
};

// Whether `name`, the encoding an XML declaration gives, is one the guard
// counts, for a document read as 8-bit (`utf16` false) or as UTF-16.
bool IsCountableEncoding(const char* name, size_t length, bool utf16);

} // namespace soap
