// The guard in front of the SAX reader: which documents reach the reader.
// Long pieces of markup overran the reader's error message buffer.
#include "soap/streams.h"
#include "soap/xml_guard.h"
#include "tests/soap/test_handler.h"
#include "update/service.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using soap::kMaxMarkupPiece;

std::string Repeat(const std::string& piece, size_t times)
{
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// The UTF-16 code units of `text`, as bytes in either order.
std::string Utf16(const std::u16string& text, bool littleEndian, bool mark)
{
    std::string bytes;
    const auto unit = [&](char16_t u) {
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    };
    if (mark)
        unit(u'\xFEFF');
    for (const char16_t u : text)
        unit(u);
    return bytes;
}

std::u16string Repeat16(const std::u16string& piece, size_t times)
{
    std::u16string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

const std::string kAnswer = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                            "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><!-- served --><soap:Body>"
                            "<GetVersionInfoResponse xmlns=\"http://tempuri.org/\"><GetVersionInfoResult>"
                            "&lt;main&gt;1&lt;/main&gt;&#60;url&#x3E;http://x/&lt;/url&gt;"
                            "</GetVersionInfoResult></GetVersionInfoResponse></soap:Body></soap:Envelope>";

// A document whose element name has `name` in place of "n".
std::string WithName(const std::string& name)
{
    return "<" + name + " a=\"1\">text</" + name + ">";
}

struct Case {
    const char* name;
    std::string bytes;
    bool accepted;
};

std::vector<Case> Cases()
{
    const std::string atLimit(kMaxMarkupPiece, 'n');
    const std::string overLimit(kMaxMarkupPiece + 1, 'n');
    const std::string e2 = "\xC3\xA9"; // é: two bytes of UTF-8
    const std::u16string name16 = u"<" + Repeat16(u"\u00E9", 128) + u" a='1'/>";
    const std::u16string long16 = u"<" + Repeat16(u"\u00E9", 129) + u" a='1'/>";
    const std::u16string pairs16 = u"<a b='" + Repeat16(u"\U0001F600", 64) + u"'/>";
    const std::u16string longPairs16 = u"<a b='" + Repeat16(u"\U0001F600", 65) + u"'/>";
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    return {
        {"an ordinary answer", kAnswer, true},
        {"white space before the document", " \r\n\t" + kAnswer.substr(kAnswer.find("?>") + 2), true},
        {"long text, comment and CDATA section",
         "<a>" + std::string(100000, 't') + "<!--" + std::string(100000, '-') + "x-->" + "<![CDATA[" +
             std::string(100000, ']') + "x]]>" + "</a>",
         true},
        {"element name at the limit", WithName(atLimit), true},
        {"element name over the limit", WithName(overLimit), false},
        {"end tag name over the limit", "<a></" + overLimit + ">", false},
        {"prefixed name over the limit", "<p:" + std::string(kMaxMarkupPiece - 1, 'n') + "/>", false},
        {"attribute name over the limit", "<a " + overLimit + "=\"1\"/>", false},
        {"attribute value at the limit", "<a b='" + atLimit + "'/>", true},
        {"namespace URI of 30 KB", "<p:a xmlns:p=\"" + std::string(30000, 'u') + "\"/>", false},
        {"namespace prefix over the limit", "<a xmlns:" + overLimit + "=\"urn:x\"/>", false},
        {"unclosed attribute value", "<a b='" + overLimit, false},
        {"processing instruction over the limit", "<a><?" + overLimit + "?></a>", false},
        {"XML declaration over the limit", "<?xml version=\"" + overLimit + "\"?><a/>", false},
        {"entity reference over the limit", "<a>&" + overLimit + ";</a>", false},
        {"character reference over the limit", "<a>&#" + std::string(kMaxMarkupPiece, '0') + "60;</a>", false},
        {"entity reference ended by a blank", "<a>&" + atLimit + " " + atLimit + "</a>", true},
        {"two-byte characters at the limit", WithName(Repeat(e2, kMaxMarkupPiece / 2)), true},
        {"two-byte characters over the limit", WithName(Repeat(e2, kMaxMarkupPiece / 2 + 1)), false},
        {"UTF-16LE with a mark, at the limit", Utf16(name16, true, true), true},
        {"UTF-16LE with a mark, over the limit", Utf16(long16, true, true), false},
        {"UTF-16BE with a mark, over the limit", Utf16(long16, false, true), false},
        {"UTF-16LE without a mark, over the limit", Utf16(u"<?xml version='1.0'?>" + long16, true, false), false},
        {"UTF-16BE without a mark, at the limit", Utf16(u"<?xml version='1.0'?>" + name16, false, false), true},
        {"UTF-16 surrogate pairs at the limit", Utf16(pairs16, true, true), true},
        {"UTF-16 surrogate pairs over the limit", Utf16(longPairs16, true, true), false},
        {"UTF-16 declared as UTF-16", Utf16(u"<?xml version='1.0' encoding='utf-16'?><a/>", true, true), true},
        {"UTF-16 declared as another encoding", Utf16(u"<?xml version='1.0' encoding='iso-8859-1'?><a/>", true, true),
         false},
        // ISO-8859-1 makes each byte above 127 two bytes of UTF-8; the guard counts three.
        {"ISO-8859-1 at the limit", latin1 + WithName(std::string(kMaxMarkupPiece / 3, '\xE9')), true},
        {"ISO-8859-1 over the limit", latin1 + WithName(std::string(kMaxMarkupPiece / 3 + 1, '\xE9')), false},
        {"windows-1252 declared", "<?xml version='1.0' encoding='windows-1252'?><a/>", true},
        {"an encoding the guard cannot count", "<?xml version='1.0' encoding='shift_jis'?><a/>", false},
        {"UTF-16 declared in an 8-bit document", "<?xml version='1.0' encoding='UTF-16'?><a/>", false},
        {"a document type declaration", "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>", false},
        {"a body that is not XML", "HTTP/1.1 500 oops garbage garbage garbage garbage", false},
        {"text before the document", "x<a/>", false},
        {"a NUL byte", std::string("<a>\0</a>", 8), false},
        {"an escape byte", "<a>\x1B$B</a>", false},
        {"UCS-4", std::string("\0\0\0<\0\0\0a", 8), false},
        {"EBCDIC", "\x4C\x6F\xA7\x94", false},
        {"a byte order mark that breaks off", "\xEF\xBB<a/>", false},
    };
}

TEST(XmlGuard, DecidesWhichDocumentsReachTheReader)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
        soap::XmlGuard whole;
        EXPECT_EQ(c.accepted, whole.Accept(bytes, c.bytes.size()));
        // The same verdict however the stream splits the bytes.
        soap::XmlGuard single;
        bool accepted = true;
        for (size_t i = 0; i < c.bytes.size() && accepted; ++i)
            accepted = single.Accept(bytes + i, 1);
        EXPECT_EQ(c.accepted, accepted);
        EXPECT_EQ(!accepted, single.Refused());
    }
}

// A refused document fails the parse with the guard's code; what the guard
// lets pass still parses.
TEST(XmlGuard, StandsInFrontOfTheReader)
{
    test::TestHandler handler(&Service::GetVersionInfoDescriptor(), &Service::GetVersionInfoHeaderDescriptor());
    Service::GetVersionInfoRecord record = {5, nullptr};
    ASSERT_EQ(S_OK, handler.BeginCall(0, &record));
    EXPECT_EQ(S_OK, handler.Parse(kAnswer));
    handler.FreeAll();
    const std::string longUri = "<soap:Envelope xmlns:soap=\"" + std::string(50000, 'u') + "\"/>";
    EXPECT_EQ(kMarkupRefused, handler.Parse(longUri));
    EXPECT_EQ(kMarkupRefused, handler.Parse("garbage"));
    handler.EndCall();

    FaultRecord fault;
    EXPECT_EQ(kMarkupRefused, fault.ReadFault(test::MemoryStream(longUri).Get(), nullptr));
}

} // namespace
