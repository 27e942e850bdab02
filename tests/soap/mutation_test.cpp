// Bad input never crashes and never leaks: deterministic mutations of valid
// answers and faults go through the real SAX reader.
#include "soap/fault.h"
#include "tests/soap/test_handler.h"
#include "tools/fuzz/mutator.h"
#include "update/service.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

const std::string kAnswer =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
    "<soap:Header><h:Session xmlns:h=\"urn:h\" soap:mustUnderstand=\"0\"><id>7</id></h:Session></soap:Header>"
    "<soap:Body><GetVersionInfoResponse xmlns=\"http://tempuri.org/\"><GetVersionInfoResult>"
    "&lt;main&gt;1&lt;/main&gt;&lt;minor&gt;1&lt;/minor&gt;&lt;url&gt;http://x/&lt;/url&gt;"
    "</GetVersionInfoResult></GetVersionInfoResponse></soap:Body></soap:Envelope>";
const std::string kNilAnswer = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                               "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><soap:Body><R>"
                               "<GetVersionInfoResult xsi:nil=\"true\"/></R></soap:Body></soap:Envelope>";
const std::string kFault =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><soap:Fault>"
    "<faultcode>soap:Server</faultcode><faultstring>Server was unable to process request.</faultstring>"
    "<detail><e:Why xmlns:e=\"urn:e\">x</e:Why></detail></soap:Fault></soap:Body></soap:Envelope>";

std::string Utf16(const std::string& ascii, bool withMark)
{
    std::string out = withMark ? std::string("\xff\xfe", 2) : std::string();
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string Mutate(const std::string& seed, uint32_t n)
{
    fuzz::Random random(n * 2654435761u + 17);
    std::string text = seed;
    switch (n % 9) {
    case 0: // truncation
        return text.substr(0, random.Below(text.size()));
    case 1: { // flipped bytes
        const size_t flips = 1 + random.Below(4);
        for (size_t i = 0; i < flips; ++i)
            text[random.Below(text.size())] ^= static_cast<char>(1u << random.Below(8));
        return text;
    }
    case 2: { // a byte replaced by markup characters
        static const char kMarkup[] = "<>&\"'/=:?! \0";
        text[random.Below(text.size())] = kMarkup[random.Below(sizeof kMarkup - 1)];
        return text;
    }
    case 3: { // an element duplicated
        size_t begin, end;
        if (fuzz::PickElement(text, random, begin, end))
            text.insert(end, text.substr(begin, end - begin));
        return text;
    }
    case 4: { // an element deleted
        size_t begin, end;
        if (fuzz::PickElement(text, random, begin, end))
            text.erase(begin, end - begin);
        return text;
    }
    case 5: { // deep nesting at some tag boundary
        const size_t depth = 1 + random.Below(3000);
        std::string open, close;
        for (size_t i = 0; i < depth; ++i) {
            open += "<d>";
            close += "</d>";
        }
        size_t begin, end;
        if (fuzz::PickElement(text, random, begin, end))
            text.insert(text.find('>', begin) + 1, open + close);
        return text;
    }
    case 6: { // a huge attribute value
        size_t begin, end;
        if (fuzz::PickElement(text, random, begin, end)) {
            const size_t nameEnd = text.find_first_of(" />", begin + 1);
            text.insert(nameEnd, " big=\"" + std::string(1 + random.Below(1 << 20), 'v') + "\"");
        }
        return text;
    }
    case 7: { // other encodings, declared or not
        switch (random.Below(5)) {
        case 0: return Utf16(text, true);
        case 1: return Utf16(text, false);
        case 2:
            return "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>" +
                   text.substr(text.find("?>") == std::string::npos ? 0 : text.find("?>") + 2);
        case 3: return "<?xml version=\"1.0\" encoding=\"utf-16\"?>" + text;
        default: return "<?xml version=\"1.0\" encoding=\"x-unknown\"?>" + text;
        }
    }
    default: { // a run of random bytes spliced in
        const size_t at = random.Below(text.size());
        std::string noise;
        for (size_t i = 0, count = 1 + random.Below(16); i < count; ++i)
            noise += static_cast<char>(random.Next());
        text.insert(at, noise);
        return text;
    }
    }
}

TEST(Mutations, ResponseReaderReturnsACodeAndLeavesNothingAllocated)
{
    test::CountingStrings counting;
    test::TestHandler handler(&Service::GetVersionInfoDescriptor(), &Service::GetVersionInfoHeaderDescriptor());
    const std::string seeds[] = {kAnswer, kNilAnswer, kFault};
    int succeeded = 0, failed = 0;
    for (uint32_t n = 0; n < 3000; ++n) {
        const std::string input = Mutate(seeds[n % 3], n);
        Service::GetVersionInfoRecord record = {5, nullptr};
        handler.BeginCall(0, &record);
        const HRESULT hr = handler.Parse(input);
        (SUCCEEDED(hr) ? succeeded : failed)++;
        handler.FreeAll();
        ASSERT_EQ(nullptr, record.GetVersionInfoResult) << n;
        handler.EndCall();
        ASSERT_EQ(0, test::CountingStrings::Live()) << "mutation " << n << " leaked";
    }
    // Both outcomes occur: the mutations neither all break nor all keep the answer.
    EXPECT_GT(succeeded, 100);
    EXPECT_GT(failed, 1000);
}

TEST(Mutations, FaultReaderReturnsACode)
{
    soap::ComPtr<ISAXXMLReader> reader;
    ASSERT_EQ(S_OK, soap::CreateSaxReader(reader.ReleaseAndGetAddress()));
    int failed = 0;
    for (uint32_t n = 0; n < 1500; ++n) {
        const std::string input = Mutate(n % 2 ? kFault : kAnswer, n);
        const soap::ComPtr<IStream> stream = test::MemoryStream(input);
        FaultRecord record;
        const HRESULT hr = record.ReadFault(stream.Get(), n % 4 == 0 ? nullptr : reader.Get());
        failed += FAILED(hr);
    }
    EXPECT_GT(failed, 500);
}

} // namespace
