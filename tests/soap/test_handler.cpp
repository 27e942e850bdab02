#include "tests/soap/test_handler.h"

#include "soap/sax_reader.h"

#include <gtest/gtest.h>

#include <cstring>

namespace test {

soap::ComPtr<IStream> MemoryStream(const std::string& bytes)
{
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
    if (void* p = ::GlobalLock(memory)) {
        std::memcpy(p, bytes.data(), bytes.size());
        ::GlobalUnlock(memory);
    }
    soap::ComPtr<IStream> stream; // frees the memory with it
    EXPECT_EQ(S_OK, ::CreateStreamOnHGlobal(memory, TRUE, stream.ReleaseAndGetAddress()));
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

HRESULT TestHandler::Parse(const std::string& envelope)
{
    const soap::ComPtr<IStream> stream = MemoryStream(envelope);
    FreeResults();
    const HRESULT hr = ParseResponse(stream.Get());
    if (FAILED(hr))
        FreeResults();
    return hr;
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
