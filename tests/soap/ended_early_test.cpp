// Parses that end early: cut off or broken inside an element that the string
// collector or the skip handler has taken over, or still running when the
// call's deadline passes. The handlers must let go of everything they hold,
// so that their owner can be destroyed, and must stop a parse at the
// deadline whatever the reader is busy with.
#include "soap/fault.h"
#include "soap/streams.h"
#include "tests/soap/test_handler.h"
#include "update/service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

const std::string kStart = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">";
const std::string kResultStart =
    kStart + "<soap:Body><GetVersionInfoResponse xmlns=\"http://tempuri.org/\"><GetVersionInfoResult>";
const std::string kFaultStart = kStart + "<soap:Body><soap:Fault><faultcode>soap:Server</faultcode>";

// `prefix`, then `piece` repeated up to `limit` bytes in all: a document that
// goes on far longer than any test waits for it.
class RepeatingStream : public CReadOnlyStream {
public:
    RepeatingStream(std::string prefix, std::string piece, size_t limit)
        : m_prefix(std::move(prefix)), m_piece(std::move(piece)), m_limit(limit)
    {
    }
    HRESULT WINAPI Read(void* buffer, ULONG size, ULONG* read) override
    {
        ULONG done = 0;
        auto* out = static_cast<char*>(buffer);
        while (done < size && m_offset < m_limit) {
            const std::string& part = m_offset < m_prefix.size() ? m_prefix : m_piece;
            const size_t at = m_offset < m_prefix.size() ? m_offset : (m_offset - m_prefix.size()) % m_piece.size();
            const size_t n = std::min<size_t>({size - done, part.size() - at, m_limit - m_offset});
            std::copy_n(part.data() + at, n, out + done);
            done += static_cast<ULONG>(n);
            m_offset += n;
        }
        if (read)
            *read = done;
        return S_OK;
    }

private:
    std::string m_prefix;
    std::string m_piece;
    size_t m_limit;
    size_t m_offset = 0;
};

TEST(EndedEarly, HandlerEngagedAtTheEndIsDestroyedSafely)
{
    struct Case {
        const char* name;
        std::string input;
    } const cases[] = {
        {"cut off in a skipped header", kStart + "<soap:Header><h:A xmlns:h=\"urn:h\"><b>"},
        {"wrong end tag in a skipped header", kStart + "<soap:Header><h:A xmlns:h=\"urn:h\"><b></c>"},
        {"cut off in the result", kResultStart + "<main>1"},
        {"wrong end tag in the result", kResultStart + "<main>1</url>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::CountingStrings counting;
        // On the heap, so that the test's end is where its destruction happens.
        auto handler = std::make_unique<test::TestHandler>(&Service::GetVersionInfoDescriptor(),
                                                           &Service::GetVersionInfoHeaderDescriptor());
        Service::GetVersionInfoRecord record = {5, nullptr};
        handler->BeginCall(0, &record);
        EXPECT_TRUE(FAILED(handler->Parse(c.input)));
        EXPECT_EQ(0, test::CountingStrings::Live());
        // The same handler reads the next answer, as a proxy's next call does.
        handler->BeginCall(0, &record);
        EXPECT_EQ(S_OK, handler->Parse(kResultStart + "ok</GetVersionInfoResult></GetVersionInfoResponse>"
                                                      "</soap:Body></soap:Envelope>"));
        handler->FreeAll();
        handler->EndCall();
        // Cut off once more, and destroyed while the reader still points at the helper.
        handler->BeginCall(0, &record);
        EXPECT_TRUE(FAILED(handler->Parse(c.input)));
        handler->EndCall();
        handler.reset();
    }
}

TEST(EndedEarly, FaultReaderCutOffInsideItsHelpers)
{
    soap::ComPtr<ISAXXMLReader> reader;
    ASSERT_EQ(S_OK, soap::CreateSaxReader(reader.ReleaseAndGetAddress()));
    const std::string inputs[] = {
        kFaultStart + "<faultstring>s</faultstring><extra><a>",
        kFaultStart + "<detail><e:Why xmlns:e=\"urn:e\">x",
        kFaultStart + "<detail><e:Why xmlns:e=\"urn:e\">x</e:Other>",
    };
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        FaultRecord record;
        const soap::ComPtr<IStream> stream = test::MemoryStream(input);
        EXPECT_TRUE(FAILED(record.ReadFault(stream.Get(), reader.Get())));
        EXPECT_EQ(400, record.m_code);
    }
}

// Documents that never end, read while the deadline passes: the content
// handler in charge stops the parse, whichever it is.
TEST(EndedEarly, DeadlineStopsTheParseInEveryHandler)
{
    struct Case {
        const char* name;
        std::string prefix;
        std::string piece;
    } const cases[] = {
        {"the root handler: elements beside the result", kStart + "<soap:Header>",
         "<h:A xmlns:h=\"urn:h\" soap:mustUnderstand=\"0\"/>"},
        {"the skip handler: a header that never ends", kStart + "<soap:Header><h:A xmlns:h=\"urn:h\">", "<b>x</b>"},
        {"the string collector: a result that never ends", kResultStart, "<i>x</i>"},
    };
    constexpr size_t kEnough = 256u << 20; // far more than a parse gets through in the test's time
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestHandler handler(&Service::GetVersionInfoDescriptor(), &Service::GetVersionInfoHeaderDescriptor());
        CCallDeadline deadline;
        handler.SetParseDeadline(&deadline);
        Service::GetVersionInfoRecord record = {5, nullptr};
        handler.BeginCall(0, &record);
        RepeatingStream stream(c.prefix, c.piece, kEnough);
        const ULONGLONG begin = ::GetTickCount64();
        deadline.Arm(300);
        EXPECT_EQ(kCallTimedOut, handler.ParseResponse(&stream));
        EXPECT_LT(::GetTickCount64() - begin, 20000u) << "the parse ran on";
        handler.FreeAll();
        handler.EndCall();
    }

    soap::ComPtr<ISAXXMLReader> reader;
    ASSERT_EQ(S_OK, soap::CreateSaxReader(reader.ReleaseAndGetAddress()));
    for (const char* piece : {"<x>y</x>", "z"}) {
        SCOPED_TRACE(piece);
        FaultRecord record;
        CCallDeadline deadline;
        RepeatingStream stream(kFaultStart + (piece[0] == '<' ? "<faultstring>s</faultstring><extra>" : "<detail>"),
                               piece, kEnough);
        deadline.Arm(300);
        EXPECT_EQ(kCallTimedOut, record.ReadFault(&stream, reader.Get(), &deadline));
    }
}

TEST(EndedEarly, ParseBeforeTheDeadlineIsUntouched)
{
    test::TestHandler handler(&Service::GetVersionInfoDescriptor(), &Service::GetVersionInfoHeaderDescriptor());
    CCallDeadline deadline;
    deadline.Arm(60000);
    handler.SetParseDeadline(&deadline);
    Service::GetVersionInfoRecord record = {5, nullptr};
    handler.BeginCall(0, &record);
    EXPECT_EQ(S_OK,
              handler.Parse(kStart + "<soap:Header><h:A xmlns:h=\"urn:h\"><b/></h:A></soap:Header>" +
                            kResultStart.substr(kStart.size()) +
                            "a<b>c</b></GetVersionInfoResult></GetVersionInfoResponse></soap:Body></soap:Envelope>"));
    ASSERT_NE(nullptr, record.GetVersionInfoResult);
    EXPECT_EQ(L"a<b>c</b>", std::wstring(record.GetVersionInfoResult));
    handler.FreeAll();
    handler.EndCall();
}

} // namespace
