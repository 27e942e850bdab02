#include "tests/soap/test_handler.h"
#include "update/service.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Record = Service::GetVersionInfoRecord;

const std::string kStart =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">";
const std::string kEnd = "</soap:Envelope>";

std::string InBody(const std::string& body)
{
    return kStart + "<soap:Body>" + body + "</soap:Body>" + kEnd;
}
std::string InWrapper(const std::string& inner)
{
    return InBody("<GetVersionInfoResponse xmlns=\"http://tempuri.org/\">" + inner + "</GetVersionInfoResponse>");
}
std::string Result(const std::string& text)
{
    return InWrapper("<GetVersionInfoResult>" + text + "</GetVersionInfoResult>");
}

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}
// The bytes of `text` as UTF-16LE, as a service answering in UTF-16 sends them.
std::string Utf16Le(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

class ResponseReader : public testing::Test {
protected:
    ResponseReader() : m_handler(&Service::GetVersionInfoDescriptor(), &Service::GetVersionInfoHeaderDescriptor()) {}

    // The code of the parse and the result, which the fixture then frees.
    HRESULT Read(const std::string& envelope, std::optional<std::wstring>* result)
    {
        Record record = {5, nullptr};
        m_handler.BeginCall(0, &record);
        const HRESULT hr = m_handler.Parse(envelope);
        if (record.GetVersionInfoResult)
            *result = std::wstring(record.GetVersionInfoResult, ::SysStringLen(record.GetVersionInfoResult));
        else
            result->reset();
        m_handler.FreeAll();
        EXPECT_EQ(nullptr, record.GetVersionInfoResult);
        m_handler.EndCall();
        return hr;
    }

    test::TestHandler m_handler;
    test::CountingStrings m_counting;
};

struct ReadCase {
    const char* name;
    std::string envelope;
    bool ok;
    std::optional<std::wstring> result;
};

TEST_F(ResponseReader, Table)
{
    const std::nullopt_t none = std::nullopt;
    const std::string ns = "xmlns=\"http://tempuri.org/\"";
    const ReadCase cases[] = {
        {"answer", Result("&lt;main&gt;1&lt;/main&gt;"), true, L"<main>1</main>"},
        {"other wrapper name", InBody("<Answer " + ns + "><GetVersionInfoResult>x</GetVersionInfoResult></Answer>"),
         true, L"x"},
        {"wrapper in another namespace",
         InBody("<w:R xmlns:w=\"urn:o\"><GetVersionInfoResult>y</GetVersionInfoResult></w:R>"), true, L"y"},
        {"empty Body", InBody(""), true, none},
        {"no result", InWrapper(""), true, none},
        {"empty result", Result(""), true, L""},
        {"nil true", InWrapper("<GetVersionInfoResult xsi:nil=\"true\"/>"), true, none},
        {"nil 1", InWrapper("<GetVersionInfoResult xsi:nil=\"1\"></GetVersionInfoResult>"), true, none},
        {"nil false", InWrapper("<GetVersionInfoResult xsi:nil=\"false\">v</GetVersionInfoResult>"), true, L"v"},
        {"nil TRUE is no nil", InWrapper("<GetVersionInfoResult xsi:nil=\"TRUE\">v</GetVersionInfoResult>"), true,
         L"v"},
        {"nil outside xsi", InWrapper("<GetVersionInfoResult nil=\"true\">v</GetVersionInfoResult>"), true, L"v"},
        {"element inside nil", InWrapper("<GetVersionInfoResult xsi:nil=\"true\"><a/></GetVersionInfoResult>"), false,
         none},
        {"white space kept", Result(" a\tb \n"), true, L" a\tb \n"},
        {"white space between elements",
         kStart + "\n  <soap:Body>\n    <GetVersionInfoResponse " + ns +
             ">\n      <GetVersionInfoResult>z</GetVersionInfoResult>\n"
             "    </GetVersionInfoResponse>\n  </soap:Body>\n" +
             kEnd,
         true, L"z"},
        {"child markup", Result("<main a=\"1\" b='x'>1</main>t<url>u</url>"), true,
         L"<main a=\"1\" b=\"x\">1</main>t<url>u</url>"},
        {"entities", Result("a&amp;b&#x41;&#233;"), true, L"a&bA\u00e9"},
        {"CDATA", Result("<![CDATA[<main>2</main>]]>"), true, L"<main>2</main>"},
        {"second wrapper", InBody("<A " + ns + "/><B " + ns + "/>"), false, none},
        {"result after the wrapper", InBody("<A " + ns + "/><GetVersionInfoResult>late</GetVersionInfoResult>"), false,
         none},
        {"second result",
         InWrapper("<GetVersionInfoResult>a</GetVersionInfoResult><GetVersionInfoResult>b</GetVersionInfoResult>"),
         false, none},
        {"unknown parameter", InWrapper("<Other>a</Other>"), false, none},
        {"in-entry in the answer", InWrapper("<productID>5</productID>"), false, none},
        {"header mustUnderstand 1",
         kStart + "<soap:Header><h:S xmlns:h=\"urn:h\" soap:mustUnderstand=\"1\"/></soap:Header><soap:Body/>" + kEnd,
         false, none},
        {"header mustUnderstand true",
         kStart + "<soap:Header><h:S xmlns:h=\"urn:h\" soap:mustUnderstand=\"true\"/></soap:Header><soap:Body/>" + kEnd,
         false, none},
        {"header mustUnderstand unreadable",
         kStart + "<soap:Header><h:S xmlns:h=\"urn:h\" soap:mustUnderstand=\"yes\"/></soap:Header><soap:Body/>" + kEnd,
         false, none},
        {"headers skipped",
         kStart +
             "<soap:Header><h:S xmlns:h=\"urn:h\" soap:mustUnderstand=\"0\"><a><b>t</b></a><c/></h:S>"
             "<h:T xmlns:h=\"urn:h\"><GetVersionInfoResult>no</GetVersionInfoResult><d/></h:T>"
             "<h:U xmlns:h=\"urn:h\" mustUnderstand=\"1\"/></soap:Header>"
             "<soap:Body><R " +
             ns + "><GetVersionInfoResult>yes</GetVersionInfoResult></R></soap:Body>" + kEnd,
         true, L"yes"},
        {"empty Header",
         kStart + "<soap:Header/><soap:Body><R><GetVersionInfoResult>h</GetVersionInfoResult></R></soap:Body>" + kEnd,
         true, L"h"},
        {"Header after Body", kStart + "<soap:Body/><soap:Header/>" + kEnd, false, none},
        {"second Header", kStart + "<soap:Header/><soap:Header/><soap:Body/>" + kEnd, false, none},
        {"SOAP 1.2", "<env:Envelope xmlns:env=\"http://www.w3.org/2003/05/soap-envelope\"><env:Body/></env:Envelope>",
         false, none},
        {"no namespace", "<Envelope><Body/></Envelope>", false, none},
        {"not an envelope", "<html><body>Not Found</body></html>", false, none},
        {"Body first", "<soap:Body xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"/>", false, none},
        {"foreign element at envelope level", kStart + "<x:E xmlns:x=\"urn:x\"/><soap:Body/>" + kEnd, false, none},
        {"second Envelope", kStart + "<soap:Envelope/>" + kEnd, false, none},
        {"not XML", "HTTP error", false, none},
        {"empty", "", false, none},
        {"cut off", Result("abc").substr(0, 260), false, none},
        {"UTF-16",
         Utf16Le(L"\ufeff<?xml version=\"1.0\" encoding=\"utf-16\"?>" +
                 Widen(kStart.substr(kStart.find("<soap:Envelope"))) +
                 L"<soap:Body><R><GetVersionInfoResult>\u00e9t\u00e9</GetVersionInfoResult></R></soap:Body>" +
                 Widen(kEnd)),
         true, L"\u00e9t\u00e9"},
    };
    for (const ReadCase& c : cases) {
        std::optional<std::wstring> result;
        const HRESULT hr = Read(c.envelope, &result);
        EXPECT_EQ(c.ok, SUCCEEDED(hr)) << c.name << " 0x" << std::hex << hr;
        if (c.ok) {
            EXPECT_EQ(S_OK, hr) << c.name;
            EXPECT_EQ(c.result, result) << c.name;
        }
        EXPECT_EQ(0, test::CountingStrings::Live()) << c.name;
    }
}

TEST_F(ResponseReader, FreeResultsReleasesTheAnswerAndLeavesTheInEntry)
{
    Record record = {5, nullptr};
    m_handler.BeginCall(0, &record);
    ASSERT_EQ(S_OK, m_handler.Parse(Result("text")));
    ASSERT_NE(nullptr, record.GetVersionInfoResult);
    EXPECT_EQ(1, test::CountingStrings::Live());
    record.productID = 5; // the wrapper zeroes the record; the caller's in-value is set again
    m_handler.FreeAll();
    EXPECT_EQ(nullptr, record.GetVersionInfoResult);
    EXPECT_EQ(5, record.productID);
    EXPECT_EQ(0, test::CountingStrings::Live());
    m_handler.FreeAll(); // twice is harmless
    m_handler.EndCall();
}

TEST(ParseBoolean, Table)
{
    struct Case {
        const wchar_t* text;
        int length;
        HRESULT hr;
        bool value;
    } const cases[] = {
        {L"1", 1, S_OK, true},      {L"0", 1, S_OK, false},      {L"true", 4, S_OK, true},
        {L"false", 5, S_OK, false}, {L"TRUE", 4, E_FAIL, false}, {L" 1", 2, E_FAIL, false},
        {L"", 0, E_FAIL, false},    {L"truex", 4, S_OK, true},   {L"10", 2, E_FAIL, false},
    };
    for (const Case& c : cases) {
        bool value = !c.value;
        EXPECT_EQ(c.hr, ParseBoolean(c.text, c.length, &value)) << testing::PrintToString(std::wstring(c.text));
        if (c.hr == S_OK) {
            EXPECT_EQ(c.value, value);
        }
    }
}

} // namespace
