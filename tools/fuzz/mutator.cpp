#include "tools/fuzz/mutator.h"

#include "tools/fuzz/http_answer.h"

#include <vector>

namespace fuzz {

namespace {

// Lengths around the guard's bound and far beyond it.
size_t LongLength(Random& random)
{
    static const size_t kLengths[] = {100, 250, 255, 256, 257, 300, 700, 1100, 5000, 30000, 50000};
    return kLengths[random.Below(sizeof kLengths / sizeof kLengths[0])];
}

// Where the markup's pieces are: starts of tags, of attribute values, of
// references, of names.
std::vector<size_t> Positions(const std::string& text, const char* after)
{
    std::vector<size_t> at;
    for (size_t i = 0; i < text.size(); ++i)
        for (const char* a = after; *a; ++a)
            if (text[i] == *a)
                at.push_back(i + 1);
    return at;
}

size_t Pick(const std::vector<size_t>& positions, Random& random, size_t otherwise)
{
    return positions.empty() ? otherwise : positions[random.Below(positions.size())];
}

std::string ToUtf16(const std::string& text, bool littleEndian, bool mark)
{
    std::string out = mark ? (littleEndian ? std::string("\xFF\xFE") : std::string("\xFE\xFF")) : std::string();
    for (const char c : text) {
        out += littleEndian ? c : '\0';
        out += littleEndian ? '\0' : c;
    }
    return out;
}

std::string Declaration(const std::string& encoding)
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>";
}

std::string WithoutDeclaration(const std::string& body)
{
    const size_t end = body.compare(0, 5, "<?xml") == 0 ? body.find("?>") : std::string::npos;
    return end == std::string::npos ? body : body.substr(end + 2);
}

void MutateBody(std::string& body, Random& random)
{
    const size_t size = body.size();
    switch (random.Below(17)) {
    case 0: // cut off
        body.resize(random.Below(size + 1));
        break;
    case 1: // bits flipped
        for (size_t i = 0, n = 1 + random.Below(4); i < n && size; ++i)
            body[random.Below(size)] ^= static_cast<char>(1u << random.Below(8));
        break;
    case 2: { // a byte replaced by markup
        static const char kMarkup[] = "<>&;\"'/=:?![]- \r\n\t\0";
        if (size)
            body[random.Below(size)] = kMarkup[random.Below(sizeof kMarkup - 1)];
        break;
    }
    case 3: { // random bytes spliced in
        std::string noise;
        for (size_t i = 0, n = 1 + random.Below(16); i < n; ++i)
            noise += static_cast<char>(random.Next());
        body.insert(random.Below(size + 1), noise);
        break;
    }
    case 4: { // an element doubled or removed
        size_t begin, end;
        if (PickElement(body, random, begin, end)) {
            if (random.Below(2))
                body.insert(end, body.substr(begin, end - begin));
            else
                body.erase(begin, end - begin);
        }
        break;
    }
    case 5: { // deep nesting
        const size_t depth = 1 + random.Below(3000);
        std::string open, close;
        for (size_t i = 0; i < depth; ++i) {
            open += "<d>";
            close += "</d>";
        }
        const size_t at = Pick(Positions(body, ">"), random, 0);
        body.insert(at, open + (random.Below(2) ? close : std::string()));
        break;
    }
    case 6: { // a long name: element, attribute, prefix or end tag
        static const char* const kPieces[] = {"n", ":", "\xC3\xA9", "\xE2\x82\xAC"};
        const std::string piece = kPieces[random.Below(4)];
        std::string name;
        for (size_t n = LongLength(random); name.size() < n;)
            name += piece;
        body.insert(Pick(Positions(body, "<:/ "), random, 0), name);
        break;
    }
    case 7: { // a long attribute value, as a namespace URI that is not one
        static const char* const kPieces[] = {"u", "%zz", " ", "\xC3\xA9", "&amp;"};
        const std::string piece = kPieces[random.Below(5)];
        std::string value;
        for (size_t n = LongLength(random); value.size() < n;)
            value += piece;
        const std::string attribute = random.Below(2) ? " xmlns:p=\"" : " a=\"";
        const size_t at = Pick(Positions(body, "<"), random, 0);
        const size_t nameEnd = body.find_first_of(" />", at);
        body.insert(nameEnd == std::string::npos ? at : nameEnd, attribute + value + "\"");
        break;
    }
    case 8: { // a long reference
        const std::string name(LongLength(random), random.Below(2) ? 'e' : '9');
        const std::string reference = name[0] == '9' ? "&#" + name + ";" : "&" + name + ";";
        body.insert(Pick(Positions(body, ">"), random, 0), reference);
        break;
    }
    case 9: { // a long instruction, or a long piece of the declaration
        const std::string piece(LongLength(random), 'v');
        switch (random.Below(3)) {
        case 0: body = Declaration(piece) + WithoutDeclaration(body); break;
        case 1: body = "<?xml version=\"" + piece + "\"?>" + WithoutDeclaration(body); break;
        default: body.insert(Pick(Positions(body, ">"), random, 0), "<?" + piece + " x?>"); break;
        }
        break;
    }
    case 10: { // another encoding, declared or not
        static const char* const kEncodings[] = {"utf-16",    "iso-8859-1", "windows-1252", "us-ascii", "utf-7",
                                                 "shift_jis", "ucs-4",      "ebcdic-cp-us", "x-unknown"};
        const std::string plain = WithoutDeclaration(body);
        switch (random.Below(4)) {
        case 0: body = ToUtf16(Declaration("utf-16") + plain, true, true); break;
        case 1: body = ToUtf16(plain, random.Below(2) == 0, random.Below(2) == 0); break;
        case 2: body = ToUtf16(Declaration(kEncodings[random.Below(9)]) + plain, false, true); break;
        default: body = Declaration(kEncodings[random.Below(9)]) + plain; break;
        }
        break;
    }
    case 11: { // a document type, a comment or a CDATA section
        static const char* const kInserts[] = {
            "<!DOCTYPE a [<!ENTITY e \"x\">]>", "<!-- c -->", "<![CDATA[<x>]]>", "<!", "<![CDATA[", "<!--"};
        body.insert(Pick(Positions(body, ">"), random, 0), kInserts[random.Below(6)]);
        break;
    }
    case 12: { // a short body that is not XML
        static const char* const kBodies[] = {"HTTP/1.1 500 oops garbage garbage garbage garbage",
                                              "garbage",
                                              "\xFF\xFE\x01",
                                              "{\"version\": \"1.1.1.1\"}",
                                              "\0\0\0<",
                                              ""};
        body = kBodies[random.Below(6)];
        if (random.Below(2))
            for (size_t i = 0, n = random.Below(64); i < n; ++i)
                body += static_cast<char>(random.Next());
        break;
    }
    case 13: { // a stretch copied elsewhere
        if (!size)
            break;
        const size_t from = random.Below(size);
        const std::string stretch = body.substr(from, 1 + random.Below(64));
        body.insert(random.Below(size + 1), stretch);
        break;
    }
    case 14: { // a stretch removed
        if (!size)
            break;
        body.erase(random.Below(size), 1 + random.Below(64));
        break;
    }
    case 15: { // a long run of text, comment or CDATA (nothing the reader quotes)
        const std::string text(1 + random.Below(200000), 't');
        body.insert(Pick(Positions(body, ">"), random, 0), random.Below(2) ? text : "<!--" + text + "-->");
        break;
    }
    default: { // many attributes
        std::string attributes;
        for (size_t i = 0, n = 1 + random.Below(2000); i < n; ++i)
            attributes += " a" + std::to_string(i) + "=\"v\"";
        const size_t at = Pick(Positions(body, "<"), random, 0);
        const size_t nameEnd = body.find_first_of(" />", at);
        body.insert(nameEnd == std::string::npos ? at : nameEnd, attributes);
        break;
    }
    }
}

void MutateFraming(AnswerParts& parts, Random& random)
{
    switch (random.Below(5)) {
    case 0: // another framing
        parts.framing = static_cast<Framing>(random.Below(3));
        parts.chunks.clear();
        for (size_t i = 0, n = random.Below(40); i < n; ++i)
            parts.chunks.push_back(1 + random.Below(random.Below(2) ? 8 : 2000));
        break;
    case 1: // a length that lies
        parts.framing = Framing::Length;
        parts.lengthError = static_cast<long>(random.Below(200)) - 100;
        break;
    case 2: { // another status
        static const char* const kLines[] = {"HTTP/1.1 500 Internal Server Error",
                                             "HTTP/1.1 200 OK",
                                             "HTTP/1.0 404 Not Found",
                                             "HTTP/1.1 0 Zero",
                                             "HTTP/1.1 500",
                                             "HTTP/1.1 302 Found"};
        parts.statusLine = kLines[random.Below(6)];
        break;
    }
    case 3: // no status line and no headers: only the body
        parts.noStatusLine = true;
        break;
    default: // more header lines
        for (size_t i = 0, n = 1 + random.Below(200); i < n; ++i)
            parts.headers.emplace_back("X-Filler-" + std::to_string(i), std::string(random.Below(300), 'h'));
        break;
    }
}

} // namespace

bool PickElement(const std::string& text, Random& random, size_t& begin, size_t& end)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '<' && text[i + 1] != '/' && text[i + 1] != '?' && text[i + 1] != '!')
            starts.push_back(i);
    if (starts.empty())
        return false;
    begin = starts[random.Below(starts.size())];
    const size_t nameEnd = text.find_first_of(" />", begin + 1);
    if (nameEnd == std::string::npos)
        return false;
    const std::string name = text.substr(begin + 1, nameEnd - begin - 1);
    const size_t tagEnd = text.find('>', begin);
    if (tagEnd != std::string::npos && text[tagEnd - 1] == '/') {
        end = tagEnd + 1;
        return true;
    }
    const size_t close = text.find("</" + name + ">", begin);
    if (close == std::string::npos)
        return false;
    end = close + name.size() + 3;
    return true;
}

std::string MutateAnswer(const std::string& original, uint32_t seed, uint32_t number)
{
    Random random((static_cast<uint64_t>(seed) << 32) | number);
    AnswerParts parts = SplitAnswer(original);
    for (size_t i = 0, n = 1 + random.Below(3); i < n; ++i) {
        if (random.Below(5) == 0)
            MutateFraming(parts, random);
        else
            MutateBody(parts.body, random);
    }
    std::string raw = parts.Bytes();
    // Now and then, a byte of the framing itself.
    if (random.Below(10) == 0 && !raw.empty()) {
        const size_t headEnd = raw.find("\r\n\r\n");
        const size_t limit = headEnd == std::string::npos ? raw.size() : headEnd + 4;
        raw[random.Below(limit)] = "0123456789abcdefxX:\r\n ;"[random.Below(24)];
    }
    return raw;
}

} // namespace fuzz
