// The update service proxy against the real update service on loopback
// (tools/update_service), scripted per case.
#include "tests/support/update_service_client.h"
#include "update/service.h"

#include <gtest/gtest.h>

#include <optional>

#include "framework/scoped_handle.h"
#include "soap/com_ptr.h"

namespace {

using Proxy = Service::CServiceT<CSoapWininetClient>;

const std::string kNamespace = kUpdateServiceNamespaceA;
const std::string kExpectedBody =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\">"
    "<soap:Body><GetVersionInfo xmlns=\"" +
    kNamespace +
    "\"><productID>5</productID></GetVersionInfo>"
    "</soap:Body></soap:Envelope>";

struct Outcome {
    HRESULT hr;
    std::optional<std::wstring> result;
    DWORD milliseconds;
};

Outcome Call(Proxy& proxy)
{
    BSTR answer = nullptr;
    const DWORD start = ::GetTickCount();
    Outcome outcome{proxy.GetVersionInfo(&answer), std::nullopt, 0};
    outcome.milliseconds = ::GetTickCount() - start;
    const ScopedBstr owned(answer);
    if (answer)
        outcome.result = std::wstring(answer, ::SysStringLen(answer));
    return outcome;
}

class UpdateService : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.Reset()) << "the update service does not answer"; }

    // One call on a fresh proxy with the test run's time-outs.
    Outcome CallOnce(const std::string& answerJson, ClientError* stage = nullptr, DWORD totalLimit = 0)
    {
        EXPECT_TRUE(m_service.Script(answerJson));
        Proxy proxy(test::UpdateServiceUrl().c_str());
        proxy.SetTimeLimit(2000);
        proxy.SetTotalTimeLimit(totalLimit);
        Outcome outcome = Call(proxy);
        if (stage)
            *stage = proxy.GetClientError();
        return outcome;
    }

    test::UpdateServiceControl m_service;
};

std::vector<std::string> HeaderLines(const std::string& raw)
{
    std::vector<std::string> lines;
    const size_t end = raw.find("\r\n\r\n");
    for (size_t pos = 0; pos < end;) {
        const size_t next = raw.find("\r\n", pos);
        lines.push_back(raw.substr(pos, next - pos));
        pos = next + 2;
    }
    return lines;
}

TEST_F(UpdateService, RequestAsTheServiceReceivedIt)
{
    const Outcome outcome = CallOnce(R"({"version": "1.1.1.1", "url": "http://example.com/get"})");
    ASSERT_EQ(S_OK, outcome.hr);
    EXPECT_EQ(L"<main>1</main><minor>1</minor><build1>1</build1><build2>1</build2><url>http://example.com/get</url>",
              outcome.result.value_or(L"(null)"));

    const std::string raw = m_service.LastRequest();
    const size_t bodyStart = raw.find("\r\n\r\n") + 4;
    const std::vector<std::string> lines = HeaderLines(raw);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("POST /Service.asmx HTTP/1.0", lines[0]);
    for (const std::string& expected :
         {std::string("User-Agent: VCSoapClient"), "SOAPAction: \"" + kNamespace + "GetVersionInfo\"",
          std::string("Content-Type: text/xml; charset=utf-8"), std::string("Accept: text/*"),
          "Content-Length: " + std::to_string(kExpectedBody.size())})
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), expected)) << expected << "\n" << raw;
    const auto soapAction = std::find(lines.begin(), lines.end(), "SOAPAction: \"" + kNamespace + "GetVersionInfo\"");
    const auto contentType = std::find(lines.begin(), lines.end(), "Content-Type: text/xml; charset=utf-8");
    EXPECT_EQ(soapAction + 1, contentType) << "the SOAPAction line comes right before Content-Type";
    EXPECT_EQ(kExpectedBody, raw.substr(bodyStart));
    EXPECT_EQ(227u, raw.find("<soap:Body>", bodyStart) - bodyStart) << "the envelope's opening as the service got it";
}

TEST_F(UpdateService, SecondCallReusesReaderAndHandles)
{
    ASSERT_TRUE(m_service.Script(R"([{"result": "first"}, {"result": "second"}])"));
    Proxy proxy(test::UpdateServiceUrl().c_str());
    proxy.SetTimeLimit(2000);
    const Outcome first = Call(proxy);
    ASSERT_EQ(S_OK, first.hr);
    EXPECT_EQ(L"first", first.result.value_or(L""));
    soap::ComPtr<ISAXXMLReader> reader;
    ASSERT_EQ(S_OK, proxy.AcquireReader(reader.ReleaseAndGetAddress()));
    const HINTERNET internet = proxy.InternetHandle();
    const HINTERNET connection = proxy.ConnectionHandle();

    const Outcome second = Call(proxy);
    ASSERT_EQ(S_OK, second.hr);
    EXPECT_EQ(L"second", second.result.value_or(L""));
    soap::ComPtr<ISAXXMLReader> again;
    ASSERT_EQ(S_OK, proxy.AcquireReader(again.ReleaseAndGetAddress()));
    EXPECT_EQ(reader.Get(), again.Get());
    EXPECT_EQ(internet, proxy.InternetHandle());
    EXPECT_EQ(connection, proxy.ConnectionHandle());

    ASSERT_EQ(2, m_service.RequestCount());
    const std::string secondRequest = m_service.Request(1);
    EXPECT_EQ(kExpectedBody, secondRequest.substr(secondRequest.find("\r\n\r\n") + 4));
}

TEST_F(UpdateService, AnswersThatSucceed)
{
    struct Case {
        const char* name;
        std::string answer;
        std::optional<std::wstring> result;
    } const cases[] = {
        {"nil", R"({"nil": true})", std::nullopt},
        {"missing", R"({"missing": true})", std::nullopt},
        {"empty", R"({"result": ""})", L""},
        {"other wrapper", R"({"wrapper": "Answer", "result": "w"})", L"w"},
        {"extra headers",
         R"({"header_xml": "<h:A xmlns:h=\"urn:h\"><x>1</x></h:A><h:B xmlns:h=\"urn:h\" soap:mustUnderstand=\"0\"/>", "result": "h"})",
         L"h"},
        {"delay within the time-out", R"({"delay": 0.5, "result": "late"})", L"late"},
        {"status 404 with an envelope", R"({"status": 404, "result": "odd"})", L"odd"},
        {"UTF-16", "{\"encoding\": \"utf-16\", \"result\": " + test::JsonString(L"\u00e9t\u00e9") + "}",
         L"\u00e9t\u00e9"},
    };
    for (const Case& c : cases) {
        ClientError stage = ClientError::SetupFailed;
        const Outcome outcome = CallOnce(c.answer, &stage);
        EXPECT_EQ(S_OK, outcome.hr) << c.name << " 0x" << std::hex << outcome.hr;
        EXPECT_EQ(c.result, outcome.result) << c.name;
        EXPECT_EQ(ClientError::None, stage) << c.name;
    }
}

TEST_F(UpdateService, AnswersThatFail)
{
    const auto kAnyStage = static_cast<ClientError>(-1);
    struct Case {
        const char* name;
        std::string answer;
        ClientError stage;
    } const cases[] = {
        {"fault with status 500", R"({"fault": {"code": "soap:Client", "string": "no"}})", ClientError::FaultReturned},
        {"status 500 without a fault", R"({"status": 500, "body": "<html>oops</html>", "content_type": "text/html"})",
         ClientError::FaultUnreadable},
        {"fault with status 200", R"({"fault": {"code": "soap:Server"}, "status": 200})",
         ClientError::ResponseParseFailed},
        {"404 with an HTML body",
         R"({"status": 404, "body": "<html><body>Not Found</body></html>", "content_type": "text/html"})",
         ClientError::ResponseParseFailed},
        {"mustUnderstand header",
         R"({"header_xml": "<h:A xmlns:h=\"urn:h\" soap:mustUnderstand=\"1\"/>", "result": "x"})",
         ClientError::ResponseParseFailed},
        {"body cut off", R"({"result": "abcdefghijklmnopqrstuvwxyz", "cut_after": 300})",
         ClientError::ResponseParseFailed},
        // Windows fails the send; Wine reads an empty answer and fails at the parse.
        {"closed without answer", R"({"close": true})", kAnyStage},
    };
    for (const Case& c : cases) {
        ClientError stage = ClientError::SetupFailed;
        const Outcome outcome = CallOnce(c.answer, &stage);
        EXPECT_TRUE(FAILED(outcome.hr)) << c.name;
        if (c.stage != kAnyStage) {
            EXPECT_EQ(c.stage, stage) << c.name;
        }
        EXPECT_LT(outcome.milliseconds, 20000u) << c.name;
    }
}

TEST_F(UpdateService, FaultIsReadForDiagnosis)
{
    ASSERT_TRUE(m_service.Script(R"({"fault": {"code": "soap:Client", "string": "Bad product", "actor": "svc"}})"));
    Proxy proxy(test::UpdateServiceUrl().c_str());
    BSTR answer = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(E_FAIL, proxy.GetVersionInfo(&answer));
    EXPECT_EQ(reinterpret_cast<BSTR>(1), answer); // not written on failure
    EXPECT_EQ(ClientError::FaultReturned, proxy.GetClientError());
    EXPECT_EQ(500, proxy.LastStatusCode());
    EXPECT_EQ(300, proxy.Fault().m_code);
    EXPECT_EQ(L"Client", proxy.Fault().m_faultCodeText);
    EXPECT_EQ(L"Bad product", proxy.Fault().m_faultString);
    EXPECT_EQ(L"svc", proxy.Fault().m_faultActor);

    // The reader that read the fault serves the next call.
    ASSERT_TRUE(m_service.Script(R"({"result": "after"})"));
    const Outcome next = Call(proxy);
    EXPECT_EQ(S_OK, next.hr);
    EXPECT_EQ(L"after", next.result.value_or(L""));
    EXPECT_EQ(0, proxy.Fault().m_code);
}

TEST_F(UpdateService, UnreachablePortFailsAtSend)
{
    Proxy proxy(test::UpdateServiceUrl(test::ClosedPort()).c_str());
    proxy.SetTimeLimit(2000);
    const Outcome outcome = Call(proxy);
    EXPECT_EQ(E_FAIL, outcome.hr);
    EXPECT_EQ(ClientError::None, proxy.GetClientError());
}

TEST_F(UpdateService, ServerThatNeverAnswersTimesOut)
{
    const Outcome outcome = CallOnce(R"({"hang": true, "hang_seconds": 30})");
    EXPECT_EQ(E_FAIL, outcome.hr);
    // Bounded by the 2 s time-outs; the margin is for slow machines, far below the 30 s hang.
    EXPECT_LT(outcome.milliseconds, 20000u);
}

TEST_F(UpdateService, TotalLimitStopsATricklingBody)
{
    // 1 byte every 0.3 s: each read is within the time-out, the whole would take minutes.
    ClientError stage = ClientError::None;
    const Outcome outcome = CallOnce(R"({"result": "slow", "trickle": {"interval": 0.3, "bytes": 1}})", &stage, 3000);
    EXPECT_TRUE(FAILED(outcome.hr));
    EXPECT_EQ(ClientError::ResponseParseFailed, stage);
    EXPECT_GE(outcome.milliseconds, 2900u);
    // The whole body would take minutes; the margin is for slow machines.
    EXPECT_LT(outcome.milliseconds, 20000u);
}

TEST_F(UpdateService, TotalLimitStopsTricklingHeaders)
{
    const Outcome outcome =
        CallOnce(R"({"result": "slow", "trickle": {"interval": 0.3, "bytes": 1, "headers": true}})", nullptr, 3000);
    EXPECT_TRUE(FAILED(outcome.hr));
    EXPECT_LT(outcome.milliseconds, 20000u);
}

TEST_F(UpdateService, TotalLimitLeavesAQuickCallAlone)
{
    ASSERT_TRUE(m_service.Script(R"([{"result": "a", "delay": 0.2}, {"result": "b"}])"));
    Proxy proxy(test::UpdateServiceUrl().c_str());
    proxy.SetTimeLimit(2000);
    proxy.SetTotalTimeLimit(1000);
    EXPECT_EQ(L"a", Call(proxy).result.value_or(L""));
    ::Sleep(1200); // past the first call's deadline: each call has its own
    EXPECT_EQ(L"b", Call(proxy).result.value_or(L""));
}

TEST_F(UpdateService, QueryIsPartOfTheObjectName)
{
    ASSERT_TRUE(m_service.Script(R"({"result": "q"})"));
    Proxy proxy((test::UpdateServiceUrl() + L"?client=launcher").c_str());
    EXPECT_EQ(L"/Service.asmx?client=launcher", proxy.ObjectName());
    EXPECT_EQ(L"q", Call(proxy).result.value_or(L""));
    const std::string raw = m_service.LastRequest();
    EXPECT_EQ("POST /Service.asmx?client=launcher HTTP/1.0", raw.substr(0, raw.find("\r\n")));
}

TEST(ServiceProxy, ArgumentsAndDeploymentEndpoint)
{
    Proxy proxy;
    EXPECT_EQ(E_POINTER, proxy.GetVersionInfo(nullptr));
    EXPECT_EQ(E_INVALIDARG, proxy.AcquireReader(nullptr));
    EXPECT_EQ(L"/Service.asmx", proxy.ObjectName());
    soap::ComPtr<ISAXXMLReader> reader;
    ASSERT_EQ(S_OK, proxy.AcquireReader(reader.ReleaseAndGetAddress())); // no reader of its own yet: a new one
    ASSERT_NE(nullptr, reader.Get());

    Proxy broken(L"no url at all");
    EXPECT_EQ(L"", broken.ObjectName());
    EXPECT_EQ(L"", broken.GetUrlParts().m_host);
    BSTR answer = nullptr;
    EXPECT_TRUE(FAILED(broken.GetVersionInfo(&answer)));
    EXPECT_EQ(nullptr, answer);
}

} // namespace

namespace {

TEST(ServiceDescriptors, OperationAndHeaderList)
{
    const Descriptor& op = Service::GetVersionInfoDescriptor();
    const Descriptor& headers = Service::GetVersionInfoHeaderDescriptor();
    const ULONG kDocLiteralWrapped = SoapFlag::kDocument | SoapFlag::kLiteral | SoapFlag::kWrapped;
    const ULONG responseHash = NameHash(L"GetVersionInfoResponse", 22);
    const ULONG namespaceHash = NameHash(kUpdateServiceNamespace, static_cast<int>(wcslen(kUpdateServiceNamespace)));
    for (const Descriptor* d : {&op, &headers}) {
        EXPECT_EQ(responseHash, d->m_nameHash);
        EXPECT_STREQ("GetVersionInfo", d->m_nameA);
        EXPECT_STREQ(L"GetVersionInfoResponse", d->m_nameW);
        EXPECT_EQ(14, d->m_nameLengthA);
        EXPECT_EQ(22, d->m_nameLengthW);
        EXPECT_EQ(-1, d->m_returnValueIndex);
        EXPECT_EQ(kDocLiteralWrapped, d->m_callFlags);
        EXPECT_EQ(namespaceHash, d->m_namespaceHash);
        EXPECT_STREQ(kUpdateServiceNamespaceA, d->m_namespaceA);
        EXPECT_STREQ(kUpdateServiceNamespace, d->m_namespaceW);
        EXPECT_EQ(static_cast<int>(wcslen(kUpdateServiceNamespace)), d->m_namespaceLength);
    }
    EXPECT_EQ(2, op.m_kind);
    EXPECT_EQ(static_cast<int>(sizeof(Service::GetVersionInfoRecord)), op.m_recordSize);
    EXPECT_EQ(1, op.m_elementCount);
    EXPECT_EQ(5, headers.m_kind);
    EXPECT_EQ(0, headers.m_recordSize);
    EXPECT_EQ(0, headers.m_elementCount);
    EXPECT_EQ(0u, headers.m_entries[0].m_nameHash);

    struct Expected {
        ULONG hash;
        const char* name;
        int length;
        int type;
        ULONG flags;
        size_t offset;
    } const entries[] = {
        {0x7E03E6CE, "productID", 9, SoapType::kInt, kDocLiteralWrapped | SoapFlag::kIn,
         offsetof(Service::GetVersionInfoRecord, productID)},
        {NameHash(L"GetVersionInfoResult", 20), "GetVersionInfoResult", 20, SoapType::kString,
         kDocLiteralWrapped | SoapFlag::kNullable | SoapFlag::kOut,
         offsetof(Service::GetVersionInfoRecord, GetVersionInfoResult)},
    };
    for (size_t i = 0; i < 2; ++i) {
        const DescriptorEntry& e = op.m_entries[i];
        EXPECT_EQ(entries[i].hash, e.m_nameHash) << i;
        EXPECT_STREQ(entries[i].name, e.m_nameA) << i;
        EXPECT_EQ(std::wstring(entries[i].name, entries[i].name + entries[i].length), e.m_nameW) << i;
        EXPECT_EQ(entries[i].length, e.m_nameLength) << i;
        EXPECT_EQ(entries[i].type, e.m_typeCode) << i;
        EXPECT_EQ(entries[i].flags, e.m_flags) << i;
        EXPECT_EQ(static_cast<int>(entries[i].offset), e.m_recordOffset) << i;
        EXPECT_EQ(nullptr, e.m_arrayDimensions) << i;
        EXPECT_EQ(nullptr, e.m_nested) << i;
        EXPECT_EQ(-1, e.m_sizeIsIndex) << i;
        EXPECT_EQ(0u, e.m_namespaceHash) << i;
        EXPECT_EQ(nullptr, e.m_namespaceA) << i;
    }
    EXPECT_EQ(0u, op.m_entries[2].m_nameHash);
}

} // namespace
