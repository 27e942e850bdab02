// What the guard in front of the XML reader costs on an ordinary answer:
// the same answer parsed from memory by the real reader straight from its
// stream and through soap::ParseStream (the guard's stream), in alternating
// rounds, and the guard alone over the answer's bytes.
//
//   guard_cost [PARSES]
#include "soap/sax_handlers.h"
#include "soap/sax_reader.h"
#include "soap/xml_guard.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

const char kAnswer[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><soap:Body>"
    "<GetVersionInfoResponse xmlns=\"http://tempuri.org/\"><GetVersionInfoResult>&lt;main&gt;1&lt;/main&gt;"
    "&lt;minor&gt;1&lt;/minor&gt;&lt;build1&gt;1&lt;/build1&gt;&lt;build2&gt;1&lt;/build2&gt;&lt;url&gt;"
    "http://downloads.example.test/velto/setup.exe&lt;/url&gt;</GetVersionInfoResult></GetVersionInfoResponse>"
    "</soap:Body></soap:Envelope>";

class Handler : public ISAXContentHandlerImpl {
public:
    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override { return QueryContentHandler(this, iid, object); }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
};

soap::ComPtr<IStream> AnswerStream()
{
    soap::ComPtr<IStream> stream;
    ::CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddress());
    if (stream)
        stream->Write(kAnswer, sizeof kAnswer - 1, nullptr);
    return stream;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int parses = argc > 1 ? _wtoi(argv[1]) : 20000;
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    {
        soap::ComPtr<ISAXXMLReader> reader;
        Handler handler;
        if (FAILED(soap::CreateSaxReader(reader.ReleaseAndGetAddress())) || FAILED(reader->putContentHandler(&handler)))
            return 1;
        const soap::ComPtr<IStream> stream = AnswerStream();
        LARGE_INTEGER frequency, a, b;
        ::QueryPerformanceFrequency(&frequency);
        double direct = 0, guarded = 0;
        constexpr int kRound = 500;
        for (int done = 0; done < parses; done += kRound) {
            for (int guard = 0; guard < 2; ++guard) {
                ::QueryPerformanceCounter(&a);
                for (int i = 0; i < kRound; ++i) {
                    const LARGE_INTEGER start = {};
                    stream->Seek(start, STREAM_SEEK_SET, nullptr);
                    if (guard) {
                        soap::ParseStream(reader.Get(), stream.Get());
                    } else {
                        VARIANT input;
                        ::VariantInit(&input);
                        input.vt = VT_UNKNOWN;
                        input.punkVal = stream.Get();
                        reader->parse(input);
                    }
                }
                ::QueryPerformanceCounter(&b);
                (guard ? guarded : direct) += Seconds(a, b, frequency);
            }
        }
        ::QueryPerformanceCounter(&a);
        for (int i = 0; i < parses; ++i) {
            soap::XmlGuard guard;
            guard.Accept(reinterpret_cast<const uint8_t*>(kAnswer), sizeof kAnswer - 1);
        }
        ::QueryPerformanceCounter(&b);
        const double alone = Seconds(a, b, frequency);
        std::printf("%d parses of an ordinary answer (%u bytes)\n", parses, static_cast<unsigned>(sizeof kAnswer - 1));
        std::printf("reader straight from the stream   %8.1f us a parse\n", direct / parses * 1e6);
        std::printf("reader through the guard          %8.1f us a parse   (ratio %.3f)\n", guarded / parses * 1e6,
                    guarded / direct);
        std::printf("the guard alone over the bytes    %8.2f us an answer\n", alone / parses * 1e6);
        reader->putContentHandler(nullptr);
    }
    ::CoUninitialize();
    return 0;
}
