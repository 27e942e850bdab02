#include "soap/xml_escape.h"

#include <cstdio>
#include <cstring>

namespace {

// The escaped form of one character (or surrogate pair) starting at text[i];
// advances i past what it consumed.
int EscapeOne(const wchar_t* text, int length, int& i, char (&out)[16], bool attributeMode)
{
    const unsigned c = static_cast<unsigned short>(text[i++]);
    switch (c) {
    case '&': std::memcpy(out, "&amp;", 5); return 5;
    case '<': std::memcpy(out, "&lt;", 4); return 4;
    case '>': std::memcpy(out, "&gt;", 4); return 4;
    case '"':
        if (attributeMode) {
            std::memcpy(out, "&quot;", 6);
            return 6;
        }
        break;
    case '\'':
        if (attributeMode) {
            std::memcpy(out, "&apos;", 6);
            return 6;
        }
        break;
    default: break;
    }
    if (c >= 0x20 && c <= 0x7E) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i < length) {
        const unsigned low = static_cast<unsigned short>(text[i]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++i;
            const unsigned codePoint = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            return std::snprintf(out, sizeof out, "&#x%06X;", codePoint);
        }
    }
    return std::snprintf(out, sizeof out, "&#x%04X;", c);
}

} // namespace

int EscapeXmlText(const wchar_t* text, int length, char* buffer, int bufferSize, bool attributeMode)
{
    if (!text || length <= 0)
        return 0;
    int written = 0;
    for (int i = 0; i < length;) {
        char piece[16];
        const int n = EscapeOne(text, length, i, piece, attributeMode);
        if (buffer) {
            if (n > bufferSize - written)
                return 0;
            std::memcpy(buffer + written, piece, static_cast<size_t>(n));
        }
        written += n;
    }
    return written;
}
