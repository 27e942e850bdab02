#include "soap/fault.h"
#include "tests/soap/test_handler.h"

#include <gtest/gtest.h>

namespace {

const std::string kStart =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><soap:Fault>";
const std::string kEnd = "</soap:Fault></soap:Body></soap:Envelope>";

struct FaultCase {
    const char* name;
    std::string envelope;
    HRESULT hr;
    int code;
    const wchar_t* codeText;
    const wchar_t* faultString;
    const wchar_t* detail;
};

HRESULT ReadFault(const std::string& envelope, FaultRecord& record, ISAXXMLReader* reader = nullptr)
{
    const soap::ComPtr<IStream> stream = test::MemoryStream(envelope);
    const HRESULT hr = record.ReadFault(stream.Get(), reader);
    return hr;
}

TEST(FaultReader, Table)
{
    const FaultCase cases[] = {
        {"client", kStart + "<faultcode>soap:Client</faultcode><faultstring>Bad</faultstring>" + kEnd, S_OK, 300,
         L"Client", L"Bad", L""},
        {"server, white space first", kStart + "<faultcode>\n  soap:Server</faultcode>" + kEnd, S_OK, 400, L"Server",
         L"", L""},
        {"version mismatch", kStart + "<faultcode>soap:VersionMismatch</faultcode>" + kEnd, S_OK, 100,
         L"VersionMismatch", L"", L""},
        {"must understand", kStart + "<faultcode>soap:MustUnderstand</faultcode>" + kEnd, S_OK, 200, L"MustUnderstand",
         L"", L""},
        {"unknown code", kStart + "<faultcode>soap:Other</faultcode>" + kEnd, S_OK, 0, L"Other", L"", L""},
        {"trailing space is no code", kStart + "<faultcode>soap:Client </faultcode>" + kEnd, S_OK, 0, L"Client ", L"",
         L""},
        {"other prefix", kStart + "<faultcode>env:Server</faultcode>" + kEnd, E_FAIL, 0, L"", L"", L""},
        {"no prefix", kStart + "<faultcode>Server</faultcode>" + kEnd, E_FAIL, 0, L"", L"", L""},
        {"faultstring first", kStart + "<faultstring>Why</faultstring><faultcode>soap:Client</faultcode>" + kEnd, S_OK,
         300, L"", L"Why", L""},
        {"detail markup",
         kStart + "<faultcode>soap:Server</faultcode><detail><e:Info xmlns:e=\"urn:e\" n=\"1\">x</e:Info></detail>" +
             kEnd,
         S_OK, 400, L"Server", L"", L"<e:Info n=\"1\">x</e:Info>"},
        {"unknown element after faultcode skipped",
         kStart +
             "<faultcode>soap:Client</faultcode><faultstring>s</faultstring><extra><faultstring>no</faultstring></"
             "extra>" +
             kEnd,
         S_OK, 300, L"Client", L"s", L""},
        {"unknown element first", kStart + "<extra/><faultcode>soap:Client</faultcode>" + kEnd, E_FAIL, 0, L"", L"",
         L""},
        {"second faultcode", kStart + "<faultcode>soap:Client</faultcode><faultcode>soap:Server</faultcode>" + kEnd,
         E_FAIL, 300, L"Client", L"", L""},
        {"second faultstring", kStart + "<faultstring>a</faultstring><faultstring>b</faultstring>" + kEnd, E_FAIL, 0,
         L"", L"a", L""},
        {"Header before Body",
         "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Header/><soap:Body><soap:Fault>"
         "<faultcode>soap:Client</faultcode>" +
             kEnd,
         E_FAIL, 0, L"", L"", L""},
        {"Fault outside the envelope namespace",
         "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><Fault>" + kEnd.substr(13),
         E_FAIL, 0, L"", L"", L""},
        {"SOAP 1.2", "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body/></e:Envelope>", E_FAIL,
         0, L"", L"", L""},
    };
    for (const FaultCase& c : cases) {
        FaultRecord record;
        record.m_faultActor = L"stale";
        const HRESULT hr = ReadFault(c.envelope, record);
        EXPECT_EQ(c.hr, hr) << c.name << " 0x" << std::hex << hr;
        EXPECT_EQ(c.code, record.m_code) << c.name;
        EXPECT_EQ(c.codeText, record.m_faultCodeText) << c.name;
        EXPECT_EQ(c.faultString, record.m_faultString) << c.name;
        EXPECT_EQ(c.detail, record.m_detail) << c.name;
        EXPECT_EQ(L"", record.m_faultActor) << c.name;
    }
}

TEST(FaultReader, MalformedXmlGivesTheReadersCode)
{
    FaultRecord record;
    const HRESULT hr = ReadFault(kStart + "<faultcode>soap:Client</faultcode><faultstring>x</faults", record);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(300, record.m_code); // what was read before the failure stays
}

TEST(FaultReader, UsesTheGivenReaderAndLeavesItWithoutHandler)
{
    soap::ComPtr<ISAXXMLReader> reader;
    ASSERT_EQ(S_OK, soap::CreateSaxReader(reader.ReleaseAndGetAddress()));
    FaultRecord record;
    EXPECT_EQ(S_OK, ReadFault(kStart + "<faultcode>soap:Client</faultcode><faultactor>me</faultactor>" + kEnd, record,
                              reader.Get()));
    EXPECT_EQ(L"me", record.m_faultActor);
    ISAXContentHandler* handler = reinterpret_cast<ISAXContentHandler*>(1);
    EXPECT_EQ(S_OK, reader->getContentHandler(&handler));
    EXPECT_EQ(nullptr, handler);
}

} // namespace
