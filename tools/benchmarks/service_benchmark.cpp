// Update service call figures: calls per second for a typical answer, and the
// process's peak memory while reading answers whose skipped Header is large.
// Runs against the update service tool on loopback (run_service_benchmark.sh).
#include "framework/scoped_handle.h"
#include "soap/sax_handlers.h"
#include "soap/streams.h"
#include "tools/benchmarks/service_control.h"
#include "update/service.h"

#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>

namespace {

HRESULT CallOnce(const std::wstring& url, size_t* answerLength)
{
    Service::CServiceT<CSoapWininetClient> proxy(url.c_str());
    proxy.SetTimeLimit(2000);
    proxy.SetTotalTimeLimit(60000);
    BSTR answer = nullptr;
    const HRESULT hr = proxy.GetVersionInfo(&answer);
    const ScopedBstr owned(answer);
    if (answerLength)
        *answerLength = ::SysStringLen(answer);
    return hr;
}

// Reads the whole answer with WinINet and no parser, for comparison.
HRESULT ReadRaw(unsigned short port, size_t* bytes)
{
    // Closed in the reverse of their opening: request, connection, internet.
    const ScopedInternetHandle internet(
        ::InternetOpenW(L"VCSoapClient", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    const ScopedInternetHandle connection(
        internet ? ::InternetConnectW(internet.get(), L"127.0.0.1", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                 : nullptr);
    const wchar_t* types[] = {L"text/*", nullptr};
    const ScopedInternetHandle request(connection
                                           ? ::HttpOpenRequestW(connection.get(), L"POST", L"/Service.asmx",
                                                                L"HTTP/1.0", nullptr, types, INTERNET_FLAG_NO_UI, 0)
                                           : nullptr);
    const wchar_t headers[] = L"SOAPAction: \"http://tempuri.org/GetVersionInfo\"\r\n";
    HRESULT hr = E_FAIL;
    *bytes = 0;
    if (request && ::HttpSendRequestW(request.get(), headers, static_cast<DWORD>(wcslen(headers)), nullptr, 0)) {
        char buffer[4096];
        DWORD read = 0;
        while (::InternetReadFile(request.get(), buffer, sizeof buffer, &read) && read)
            *bytes += read;
        hr = S_OK;
    }
    return hr;
}

// A document generated as it is read: an envelope whose Header holds
// `pieces` elements of 1 KB text each.
class GeneratedEnvelope : public CReadOnlyStream {
public:
    explicit GeneratedEnvelope(size_t pieces) : m_pieces(pieces) {}
    HRESULT WINAPI Read(void* buffer, ULONG size, ULONG* read) override
    {
        ULONG done = 0;
        while (done < size) {
            if (m_offset == m_current.size()) {
                if (!NextPart())
                    break;
            }
            const size_t n = std::min<size_t>(size - done, m_current.size() - m_offset);
            std::memcpy(static_cast<char*>(buffer) + done, m_current.data() + m_offset, n);
            m_offset += n;
            done += static_cast<ULONG>(n);
        }
        if (read)
            *read = done;
        return S_OK;
    }

private:
    bool NextPart()
    {
        m_offset = 0;
        if (m_part == 0)
            m_current = "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
                        "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Header><P>";
        else if (m_part <= m_pieces)
            m_current = "<p>" + std::string(1017, 'x') + "</p>";
        else if (m_part == m_pieces + 1)
            m_current = "</P></soap:Header><soap:Body/></soap:Envelope>";
        else {
            m_current.clear();
            return false;
        }
        ++m_part;
        return true;
    }

    size_t m_pieces;
    size_t m_part = 0;
    std::string m_current;
    size_t m_offset = 0;
};

// A content handler that ignores every event.
class IgnoreAll : public ISAXContentHandlerImpl {
public:
    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override { return QueryContentHandler(this, iid, object); }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
};

HRESULT ParseBare(size_t megabytes)
{
    soap::ComPtr<ISAXXMLReader> reader;
    HRESULT hr = soap::CreateSaxReader(reader.ReleaseAndGetAddress());
    if (FAILED(hr))
        return hr;
    IgnoreAll handler;
    GeneratedEnvelope stream(megabytes * 1024);
    reader->putContentHandler(&handler);
    hr = soap::ParseStream(reader.Get(), &stream);
    reader->putContentHandler(nullptr);
    return hr;
}

struct Memory {
    double peakWorkingSetMb;
    double peakPagefileMb;
};

Memory PeakMemory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return {static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0,
            static_cast<double>(counters.PeakPagefileUsage) / 1048576.0};
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: service_benchmark <port> [calls] [bare]\n");
        return 2;
    }
    const unsigned short port = static_cast<unsigned short>(_wtoi(argv[1]));
    const int calls = argc > 2 ? _wtoi(argv[2]) : 300;
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/Service.asmx";
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    if (!SetDefaultAnswer(port, R"({"version": "1.1.1.1", "url": "http://example.com/download"})")) {
        std::fprintf(stderr, "the update service does not answer on port %u\n", port);
        return 1;
    }
    for (int i = 0; i < 5; ++i)
        CallOnce(url, nullptr);
    int failures = 0;
    const ULONGLONG start = ::GetTickCount64();
    for (int i = 0; i < calls; ++i)
        failures += FAILED(CallOnce(url, nullptr));
    const double seconds = static_cast<double>(::GetTickCount64() - start) / 1000.0;
    std::printf("typical answer: %d calls in %.2f s = %.1f calls/s (%d failed), a new proxy per call\n", calls, seconds,
                calls / seconds, failures);
    const Memory base = PeakMemory();
    std::printf("peak after typical calls: working set %.1f MB, pagefile %.1f MB\n", base.peakWorkingSetMb,
                base.peakPagefileMb);

    // Peaks only grow: element-only padding goes first, so that a growth
    // caused by character data shows apart from one caused by markup.
    const bool raw = argc > 3 && std::wstring(argv[3]) == L"raw";
    if (argc > 3 && std::wstring(argv[3]) == L"bare") {
        std::printf("(bare: the SAX reader alone, a handler that ignores everything, a generated stream)\n");
        for (const int megabytes : {1, 16, 64}) {
            const HRESULT hr = ParseBare(static_cast<size_t>(megabytes));
            const Memory peak = PeakMemory();
            std::printf("Header %2d MB of elements with text: hr 0x%08lx; peak working set %.1f MB\n", megabytes,
                        static_cast<unsigned long>(hr), peak.peakWorkingSetMb);
        }
        return 0;
    }
    if (raw)
        std::printf("(raw: WinINet reads without the SAX reader, for comparison)\n");
    for (const bool text : {false, true}) {
        for (const int megabytes : {1, 16, 64}) {
            const std::string json = "{\"header_padding\": " + std::to_string(megabytes * 1048576) +
                                     ", \"padding_text\": " + (text ? "true" : "false") +
                                     ", \"version\": \"1.1.1.1\", \"url\": \"http://example.com/download\"}";
            if (!SetDefaultAnswer(port, json))
                return 1;
            size_t length = 0;
            const ULONGLONG begin = ::GetTickCount64();
            const HRESULT hr = raw ? ReadRaw(port, &length) : CallOnce(url, &length);
            const double took = static_cast<double>(::GetTickCount64() - begin) / 1000.0;
            const Memory peak = PeakMemory();
            std::printf("skipped Header %2d MB of %s: hr 0x%08lx, answer %u chars, %.2f s (%.1f MB/s); "
                        "peak working set %.1f MB, peak pagefile %.1f MB\n",
                        megabytes, text ? "elements with text" : "empty elements", static_cast<unsigned long>(hr),
                        static_cast<unsigned>(length), took, megabytes / (took > 0 ? took : 1e-3),
                        peak.peakWorkingSetMb, peak.peakPagefileMb);
        }
    }
    SetDefaultAnswer(port, R"({"version": "1.1.1.0"})");
    ::CoUninitialize();
    return 0;
}
