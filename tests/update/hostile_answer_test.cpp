// Whatever the service sends, a call ends within its byte and time limits
// and leaves nothing behind that could hold up or crash its caller: answers
// too large, endless, cut off or broken inside an element, in every framing.
#include "tests/support/update_service_client.h"
#include "update/service.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "framework/scoped_handle.h"
#include "soap/bounded_send.h"

namespace {

using Proxy = Service::CServiceT<CSoapWininetClient>;

const std::string kEnvelope = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">";
const std::string kResultStart = kEnvelope + "<soap:Body><GetVersionInfoResponse xmlns=\"http://tempuri.org/\">"
                                             "<GetVersionInfoResult>";
const std::string kResultEnd = "</GetVersionInfoResult></GetVersionInfoResponse></soap:Body></soap:Envelope>";
const std::string kHeaderStart = kEnvelope + "<soap:Header><h:A xmlns:h=\"urn:h\">";
const std::string kFaultStart = kEnvelope + "<soap:Body><soap:Fault><faultcode>soap:Server</faultcode><detail>";

std::string Json(const std::string& ascii)
{
    return test::JsonString(std::wstring(ascii.begin(), ascii.end()));
}

// A generated body: `prefix`, `piece` repeated (up to `size` bytes, or
// without end when `size` is 0), `suffix`; as JSON for the service, with
// `more` fields of the answer.
std::string Stream(const std::string& prefix, const std::string& piece, size_t size = 0, const std::string& suffix = "",
                   const std::string& more = "")
{
    std::string json = R"({"stream": {"prefix": )" + Json(prefix) + R"(, "piece": )" + Json(piece);
    if (size)
        json += ", \"size\": " + std::to_string(size) + R"(, "suffix": )" + Json(suffix);
    return json + "}" + more + "}";
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters) ? counters.PagefileUsage : 0;
}

// The most the process's private bytes grew by while this object lived.
class GrowthWatch {
public:
    GrowthWatch()
        : m_start(PrivateBytes()), m_thread([this] {
              while (!m_stop) {
                  m_most = std::max<SIZE_T>(m_most, PrivateBytes());
                  ::Sleep(10);
              }
          })
    {
    }
    ~GrowthWatch() { Stop(); }
    GrowthWatch(const GrowthWatch&) = delete;
    GrowthWatch& operator=(const GrowthWatch&) = delete;

    double Megabytes()
    {
        Stop();
        return m_most > m_start ? static_cast<double>(m_most - m_start) / 1048576.0 : 0;
    }

private:
    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    const SIZE_T m_start;
    std::atomic<SIZE_T> m_most{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

struct Outcome {
    HRESULT hr = S_OK;
    ClientError stage = ClientError::None;
    bool leftOpen = false;
    size_t answerLength = 0;
    DWORD milliseconds = 0; // the call and the proxy's destruction
};

class HostileAnswer : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.Reset()) << "the update service does not answer"; }

    Outcome Call(const std::string& answerJson, DWORD totalLimit = 60000)
    {
        EXPECT_TRUE(m_service.Script(answerJson));
        Outcome outcome;
        const DWORD start = ::GetTickCount();
        {
            Proxy proxy(test::UpdateServiceUrl().c_str());
            proxy.SetTimeLimit(2000);
            proxy.SetTotalTimeLimit(totalLimit);
            BSTR answer = nullptr;
            outcome.hr = proxy.GetVersionInfo(&answer);
            const ScopedBstr owned(answer);
            outcome.stage = proxy.GetClientError();
            outcome.answerLength = ::SysStringLen(answer);
            proxy.PrepareCall();
            outcome.leftOpen = proxy.LeftRequestOpen();
        }
        outcome.milliseconds = ::GetTickCount() - start;
        return outcome;
    }

    test::UpdateServiceControl m_service;
};

TEST_F(HostileAnswer, BodyWithinTheByteLimitIsRead)
{
    // A megabyte of answer text, a little under the limit with its envelope.
    for (const char* framing : {"length", "chunked"}) {
        SCOPED_TRACE(framing);
        const Outcome outcome = Call(
            Stream(kResultStart, "abcdefgh", 1000000, kResultEnd, std::string(R"(, "framing": ")") + framing + "\""));
        EXPECT_EQ(S_OK, outcome.hr);
        EXPECT_EQ(1000000u, outcome.answerLength);
        EXPECT_FALSE(outcome.leftOpen);
    }
}

TEST_F(HostileAnswer, BodyPastTheByteLimitFailsAtOnceAndIsNotReadFurther)
{
    struct Case {
        const char* name;
        std::string answer;
        ClientError stage;
    } const cases[] = {
        {"answer text of 2 MB", Stream(kResultStart, "abcdefgh", 2 << 20, kResultEnd),
         ClientError::ResponseParseFailed},
        {"endless answer text, chunked", Stream(kResultStart, "abcdefgh", 0, "", R"(, "framing": "chunked")"),
         ClientError::ResponseParseFailed},
        {"endless answer text, close-delimited", Stream(kResultStart, "abcdefgh", 0, "", R"(, "framing": "close")"),
         ClientError::ResponseParseFailed},
        {"endless skipped Header, chunked", Stream(kHeaderStart, "<b>x</b>", 0, "", R"(, "framing": "chunked")"),
         ClientError::ResponseParseFailed},
        {"endless fault detail", Stream(kFaultStart, "<e>x</e>", 0, "", R"(, "status": 500, "framing": "chunked")"),
         ClientError::FaultUnreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Call(c.answer);
        EXPECT_TRUE(FAILED(outcome.hr));
        EXPECT_EQ(c.stage, outcome.stage);
        // Reading the rest would never end: the request is left as it is.
        EXPECT_TRUE(outcome.leftOpen);
        // A megabyte takes well under a second; the margin is for slow
        // machines, far below the 60 s total limit of these calls.
        EXPECT_LT(outcome.milliseconds, 20000u);
    }
}

TEST_F(HostileAnswer, TotalLimitEndsAPacedEndlessChunkedBody)
{
    // 40 KB a second: each read is quick, the byte limit is 25 s away.
    const Outcome outcome =
        Call(Stream(kHeaderStart, "<b>x</b>", 0, "", R"(, "framing": "chunked", "rate": 40000)"), 2000);
    EXPECT_EQ(kCallTimedOut, outcome.hr);
    EXPECT_EQ(ClientError::ResponseParseFailed, outcome.stage);
    EXPECT_TRUE(outcome.leftOpen);
    EXPECT_GE(outcome.milliseconds, 1900u);
    EXPECT_LT(outcome.milliseconds, 20000u);
}

TEST_F(HostileAnswer, HeaderLinesWithoutEndAreCutOff)
{
    // Wine's send kept every header line it read, after the deadline too:
    // megabytes a second for as long as the server sent.
    const std::string flood = R"({"framing": "raw", "stream": {"prefix": "HTTP/1.1 200 OK\r\n",)"
                              R"( "piece": "X-Flood: aaaaaaaaaaaaaaaa\r\n"})";
    struct Case {
        const char* name;
        std::string answer;
        DWORD totalLimit;
    } const cases[] = {
        {"paced, cut at the deadline", flood + R"(, "rate": 100000})", 2000},
        {"at full speed, cut past the memory budget", flood + "}", 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GrowthWatch growth;
        const Outcome outcome = Call(c.answer, c.totalLimit);
        EXPECT_TRUE(FAILED(outcome.hr));
        // The send ended once its connection was cut, and its request was closed.
        EXPECT_FALSE(outcome.leftOpen);
        // Past the budget by what is read between two looks and by WinINet's
        // header table growing.
        EXPECT_LT(growth.Megabytes(), 2 * kSendMemoryBudget / 1048576.0);
        EXPECT_LT(outcome.milliseconds, c.totalLimit + kCutSendGrace + 10000);
    }
}

TEST_F(HostileAnswer, CutOffOrBrokenInsideACollectedOrSkippedElement)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n";
    const std::string bodies[] = {
        kHeaderStart + "<b>",           // the connection ends inside a skipped Header element
        kHeaderStart + "<b></c>",       // a wrong end tag there
        kResultStart + "&lt;main&gt;1", // the connection ends inside the answer text
        kResultStart + "<main>1</url>", // a wrong end tag there
    };
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body);
        Proxy proxy(test::UpdateServiceUrl().c_str());
        proxy.SetTimeLimit(2000);
        for (const char* answer : {"first", "second"}) {
            SCOPED_TRACE(answer);
            ASSERT_TRUE(m_service.Script("{\"raw\": " + Json(head + body) + "}"));
            BSTR text = nullptr;
            EXPECT_TRUE(FAILED(proxy.GetVersionInfo(&text)));
            EXPECT_EQ(nullptr, text);
        }
        // The same proxy serves a sound answer afterwards.
        ASSERT_TRUE(m_service.Script(R"({"result": "after"})"));
        BSTR text = nullptr;
        EXPECT_EQ(S_OK, proxy.GetVersionInfo(&text));
        const ScopedBstr owned(text);
        EXPECT_EQ(std::wstring(L"after"), std::wstring(text ? text : L""));
    }
}

} // namespace
