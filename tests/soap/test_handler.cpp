#include "tests/soap/test_handler.h"

#include "soap/sax_reader.h"

#include <gtest/gtest.h>

#include <cstring>

namespace test {

IStream* MemoryStream(const std::string& bytes)
{
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
    if (void* p = ::GlobalLock(memory)) {
        std::memcpy(p, bytes.data(), bytes.size());
        ::GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    ::CreateStreamOnHGlobal(memory, TRUE, &stream);
    ULARGE_INTEGER size;
    size.QuadPart = bytes.size();
    stream->SetSize(size);
    return stream;
}

TestHandler::TestHandler(const Descriptor* operation, const Descriptor* header)
    : m_operations{operation, nullptr}, m_headers{header, nullptr}
{
    m_clientMode = true;
    EXPECT_EQ(S_OK, soap::CreateSaxReader(m_reader.ReleaseAndGetAddress()));
}

TestHandler::~TestHandler()
{
    if (m_reader)
        m_reader->putContentHandler(nullptr);
}

void TestHandler::BeginCall(void* record)
{
    m_params = record;
    m_frames.clear();
    PushFrame(HeaderObject(), m_headers[0], nullptr, 0, 0, m_headers[0] ? m_headers[0]->m_elementCount : 0, 0);
}

HRESULT TestHandler::Parse(const std::string& envelope)
{
    IStream* stream = MemoryStream(envelope);
    FreeResults();
    const HRESULT hr = ParseResponse(stream);
    if (FAILED(hr))
        FreeResults();
    stream->Release();
    return hr;
}

void TestHandler::EndCall()
{
    m_frames.clear();
    m_top = 0;
    m_params = nullptr;
}

namespace {

long g_live = 0;

BSTR WINAPI CountedAllocate(const wchar_t* text, UINT length)
{
    BSTR s = ::SysAllocStringLen(text, length);
    if (s)
        ++g_live;
    return s;
}

void WINAPI CountedFree(BSTR text)
{
    if (text)
        --g_live;
    ::SysFreeString(text);
}

const SystemStringAllocator kCounting = {&CountedAllocate, &CountedFree};

} // namespace

CountingStrings::CountingStrings()
{
    g_live = 0;
    SetSystemStringAllocator(&kCounting);
}

CountingStrings::~CountingStrings()
{
    SetSystemStringAllocator(nullptr);
}

long CountingStrings::Live()
{
    return g_live;
}

} // namespace test
