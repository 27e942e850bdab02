#pragma once
// A root handler over given descriptors, driven the way a proxy drives it,
// for reading envelopes from memory with the real SAX reader.
#include "soap/com_ptr.h"
#include "soap/root_handler.h"
#include "soap/system_string.h"

#include <string>

namespace test {

// A stream over a copy of `bytes`.
soap::ComPtr<IStream> MemoryStream(const std::string& bytes);

class TestHandler : public CSoapRootHandler {
public:
    TestHandler(const Descriptor* operation, const Descriptor* header);
    ~TestHandler() override;

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override { return QueryContentHandler(this, iid, object); }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
    const Descriptor* const* OperationDescriptors() override { return m_operations; }
    const Descriptor* const* HeaderDescriptors() override { return m_headers; }
    const wchar_t* TargetNamespace() override { return L"http://tempuri.org/"; }
    const wchar_t* ServiceName() override { return nullptr; }
    const char* TargetNamespaceA() override { return "http://tempuri.org/"; }
    HRESULT InvokeOperation(int, void*) override { return E_NOTIMPL; }
    void* HeaderObject() override { return m_headerObject ? m_headerObject : this; }
    void SetHeaderObject(void* object) { m_headerObject = object; }

    // Parses `envelope`; on failure frees what was read, as a proxy does.
    // A call is framed by BeginCall(0, &record) and EndCall(), as a proxy's.
    HRESULT Parse(const std::string& envelope);
    void FreeAll() { FreeResults(); }
    ISAXXMLReader* Reader() { return m_reader.Get(); }

private:
    const Descriptor* m_operations[2];
    const Descriptor* m_headers[2];
    void* m_headerObject = nullptr;
};

// Counts the system strings the SOAP layer allocates and frees.
class CountingStrings {
public:
    CountingStrings();
    ~CountingStrings();
    static long Live();
};

} // namespace test
