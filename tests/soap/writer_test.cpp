#include "framework/scoped_handle.h"
#include "soap/streams.h"
#include "tests/soap/test_handler.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

constexpr char kEnvelopeStart[] =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\">";

struct Record {
    int number;
    BSTR text;
    BSTR missing;
    BSTR answer;
};

constexpr ULONG kDocLiteral = SoapFlag::kDocument | SoapFlag::kLiteral;
constexpr ULONG kIn = SoapFlag::kIn | kDocLiteral;

#define ENTRY(name, type, flags, field)                                                                                \
    {                                                                                                                  \
        NameHash(L##name, sizeof(name) - 1), name, L##name, sizeof(name) - 1, type, flags,                             \
            static_cast<int>(offsetof(Record, field)), nullptr, nullptr, -1, 0, nullptr, nullptr, 0                    \
    }
const DescriptorEntry kEntries[] = {
    ENTRY("number", SoapType::kInt, kIn, number),
    ENTRY("text", SoapType::kString, kIn, text),
    ENTRY("missing", SoapType::kString, kIn | SoapFlag::kNullable, missing),
    ENTRY("answer", SoapType::kString, SoapFlag::kOut | kDocLiteral, answer),
    {},
};
const DescriptorEntry kOutHeaders[] = {
    ENTRY("session", SoapType::kString, SoapFlag::kOut | kDocLiteral, answer),
    {},
};
#undef ENTRY

Descriptor Operation(ULONG callFlags)
{
    return {NameHash(L"DoResponse", 10),
            "Do",
            L"DoResponse",
            2,
            10,
            SoapKind::kOperation,
            kEntries,
            sizeof(Record),
            1,
            -1,
            callFlags,
            NameHash(L"urn:x", 5),
            "urn:x",
            L"urn:x",
            5};
}

Descriptor Headers(const DescriptorEntry* entries)
{
    return {NameHash(L"DoResponse", 10),
            "Do",
            L"DoResponse",
            2,
            10,
            SoapKind::kHeaderList,
            entries,
            0,
            0,
            -1,
            kDocLiteral | SoapFlag::kWrapped,
            NameHash(L"urn:x", 5),
            "urn:x",
            L"urn:x",
            5};
}

std::string Write(ULONG callFlags, const DescriptorEntry* headerEntries, void* headerObject = nullptr)
{
    const Descriptor operation = Operation(callFlags);
    const Descriptor headers = Headers(headerEntries);
    test::TestHandler handler(&operation, &headers);
    handler.SetHeaderObject(headerObject);
    const ScopedBstr text(::SysAllocString(L"a<b \u00e9\U0001F600\"q\""));
    Record record = {-42, text.get(), nullptr, nullptr};
    handler.BeginCall(0, &record);
    CWriteStreamOnCString stream;
    EXPECT_EQ(S_OK, handler.WriteRequest(&stream));
    handler.EndCall();
    return stream.Data();
}

TEST(WriteRequest, DocumentLiteralInWrapper)
{
    EXPECT_EQ(
        std::string(kEnvelopeStart) +
            "<soap:Body><Do xmlns=\"urn:x\"><number>-42</number>"
            "<text>a&lt;b &#x00E9;&#x01F600;\"q\"</text><missing xsi:nil=\"1\"/></Do></soap:Body></soap:Envelope>",
        Write(kDocLiteral | SoapFlag::kWrapped, kOutHeaders));
    // The envelope's opening is 227 bytes, whatever the operation's framing.
    for (const ULONG framing : {kDocLiteral | SoapFlag::kWrapped, SoapFlag::kRpc | SoapFlag::kEncoded})
        EXPECT_EQ(227u, Write(framing, kOutHeaders).find("<soap:Body")) << framing;
}

TEST(WriteRequest, RpcEncodedFramingWinsOverWrapper)
{
    EXPECT_EQ(
        std::string(kEnvelopeStart) +
            "<soap:Body soap:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
            "<snp:Do xmlns:snp=\"urn:x\"><number>-42</number>"
            "<text>a&lt;b &#x00E9;&#x01F600;\"q\"</text><missing xsi:nil=\"1\"/></snp:Do></soap:Body></soap:Envelope>",
        Write(SoapFlag::kRpc | SoapFlag::kEncoded | SoapFlag::kWrapped, kOutHeaders));
}

TEST(WriteRequest, InHeadersAreWritten)
{
    const DescriptorEntry inHeaders[] = {
        {NameHash(L"token", 5), "token", L"token", 5, SoapType::kInt, kIn | SoapFlag::kMustUnderstand, 0, nullptr,
         nullptr, -1, 0, nullptr, nullptr, 0},
        {},
    };
    int token = 7;
    const std::string request = Write(kDocLiteral | SoapFlag::kWrapped, inHeaders, &token);
    const std::string start = std::string(kEnvelopeStart) +
                              "<soap:Header xmlns=\"urn:x\"><token soap:mustUnderstand=\"1\">7</token></soap:Header>"
                              "<soap:Body><Do xmlns=\"urn:x\">";
    EXPECT_EQ(start, request.substr(0, start.size()));
}

// A sink that refuses the n-th write.
class FailingStream : public IWriteStream {
public:
    explicit FailingStream(int failAt) : m_left(failAt) {}
    HRESULT Write(const char*, int, DWORD*) override { return m_left-- == 0 ? E_ACCESSDENIED : S_OK; }
    HRESULT Flush() override { return S_OK; }

private:
    int m_left;
};

TEST(WriteRequest, StopsAtTheFirstFailingWrite)
{
    const Descriptor operation = Operation(kDocLiteral | SoapFlag::kWrapped);
    const Descriptor headers = Headers(kOutHeaders);
    test::TestHandler handler(&operation, &headers);
    Record record = {1, nullptr, nullptr, nullptr};
    handler.BeginCall(0, &record);
    for (int failAt = 0; failAt < 20; ++failAt) {
        FailingStream stream(failAt);
        EXPECT_EQ(E_ACCESSDENIED, handler.WriteRequest(&stream)) << failAt;
    }
    EXPECT_EQ(E_FAIL, handler.WriteRequest(nullptr));
    handler.EndCall();
    CWriteStreamOnCString sink;
    EXPECT_ANY_THROW(handler.WriteRequest(&sink)); // no bottom frame: a programming error
}

TEST(WriteStreamOnCString, AppendsAndCounts)
{
    CWriteStreamOnCString stream;
    DWORD written = 0;
    EXPECT_EQ(S_OK, stream.Write("abc", -1, &written));
    EXPECT_EQ(3u, written);
    EXPECT_EQ(S_OK, stream.Write("d\0e", 3, nullptr));
    EXPECT_EQ(E_FAIL, stream.Write(nullptr, 1, &written));
    EXPECT_EQ(std::string("abcd\0e", 6), stream.Data());
    stream.Empty();
    EXPECT_TRUE(stream.Data().empty());
}

} // namespace
