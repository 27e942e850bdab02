#pragma once
// The SOAP 1.1 content handler of a service proxy: writes request envelopes
// from the proxy's descriptors and reads responses into its parameter record.
#include "soap/com_ptr.h"
#include "soap/descriptor.h"
#include "soap/sax_handlers.h"
#include "soap/write_stream.h"

#include <cstdint>
#include <vector>

enum class ParsePhase {
    NotStarted = 0,
    InEnvelope = 1,
    InHeader = 2,
    InBody = 3,
    InParameters = 4,
    HeaderDone = 7,
};

// One bit per entry of a descriptor: 64 held inline, more on demand.
class ReceivedBits {
public:
    bool Test(size_t index) const;
    void Set(size_t index); // may throw std::bad_alloc

private:
    uint64_t m_first = 0;
    std::vector<uint64_t> m_more;
};

struct ParseFrame {
    void* m_target;                  // storage being filled
    ULONG m_flags;                   // the entry's flags, plus kWaitsForValue
    int m_index;                     // bottom frame: the operation's index
    int m_expected;
    int m_received;
    const Descriptor* m_descriptor;  // may be null
    const DescriptorEntry* m_entry;  // may be null
    ReceivedBits m_bits;
    int m_depth;
};

// "1"/"true" and "0"/"false", exactly; anything else is E_FAIL.
HRESULT ParseBoolean(const wchar_t* text, int length, bool* value);
// Stores element text as a value of the type code at `value`.
HRESULT ReadValue(const wchar_t* text, int length, void* value, int typeCode);
// Frees what the value owns and nulls it.
HRESULT FreeValue(void* value, int typeCode);

class CSoapRootHandler : public ISAXContentHandlerImpl {
public:
    HRESULT WINAPI startDocument() override;
    HRESULT WINAPI startElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                                const wchar_t* qName, int qLength, ISAXAttributes* attributes) override;
    HRESULT WINAPI endElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                              const wchar_t* qName, int qLength) override;
    HRESULT WINAPI characters(const wchar_t* text, int length) override;

    // Supplied by the proxy. The lists end with a null pointer.
    virtual const Descriptor* const* OperationDescriptors() = 0;
    virtual const Descriptor* const* HeaderDescriptors() = 0;
    virtual const wchar_t* TargetNamespace() = 0;
    virtual const wchar_t* ServiceName() = 0;
    virtual const char* TargetNamespaceA() = 0;
    virtual HRESULT InvokeOperation(int index, void* record) = 0;
    virtual void* HeaderObject() = 0;

    virtual ~CSoapRootHandler();

    virtual HRESULT ReportFault(int faultCode, const wchar_t* detail, int detailLength);
    virtual HRESULT BeginWrapper(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength);
    virtual HRESULT ParseResponse(IStream* stream);
    virtual HRESULT WriteRequest(IWriteStream* stream);
    virtual void FreeResults();
    virtual void FreeHeaderValues();

    // The parse fails once `deadline` (not owned; null for none) has passed,
    // also while the reader is busy with input that has all arrived.
    void SetParseDeadline(const CCallDeadline* deadline) { m_deadline = deadline; }

    // S_OK, or E_OUTOFMEMORY when the stack could not grow.
    HRESULT PushFrame(void* target, const Descriptor* descriptor, const DescriptorEntry* entry, ULONG flags,
                      int index, int expectedCount, int receivedCount);
    static HRESULT WriteValue(int typeCode, const void* value, IWriteStream* stream);

protected:
    explicit CSoapRootHandler(ISAXXMLReader* reader = nullptr);

    // Takes back from the string collector and the skip handler what a parse
    // that ended early left with them.
    void DisengageHelpers();

    soap::ComPtr<ISAXXMLReader> m_reader;
    CSAXStringBuilder m_stringBuilder;
    CSkipHandler m_skipHandler;
    bool m_clientMode = false;
    void* m_params = nullptr;
    std::vector<ParseFrame> m_frames;
    size_t m_top = 0;
    ParsePhase m_phase = ParsePhase::NotStarted;
    bool m_noChildren = false;
    bool m_valuePending = false;
    int m_depth = 0;
    int m_bodyDepth = 0; // depth of the Body element, once it started
    const CCallDeadline* m_deadline = nullptr; // not owned

private:
    bool Receives(const DescriptorEntry& entry) const;
    const Descriptor* DescriptorAt(const Descriptor* const* list, int index) const;
    HRESULT WriteEntries(IWriteStream* stream, class CResponseGenerator& generator, const Descriptor* descriptor,
                         void* record);
    HRESULT ProcessParameter(const wchar_t* localName, int localLength, ISAXAttributes* attributes);
    HRESULT ProcessUnlistedHeader(ISAXAttributes* attributes);
    bool FrameComplete(const ParseFrame& frame) const;
    void FreeOutValues(const Descriptor* descriptor, void* record);
    void PopFrame();
};
