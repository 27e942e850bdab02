#pragma once
// The SOAP 1.1 content handler of a service proxy: writes request envelopes
// from the proxy's descriptors and reads responses into its parameter record.
// Its code is split by concern:
//   root_handler.cpp     a call's frames and record, which entries go which way
//   request_writer.cpp   WriteRequest: the envelope of a request
//   response_parser.cpp  ParseResponse and the SAX callbacks
//   values.h             one value as element text, read, written and freed
#include "soap/com_ptr.h"
#include "soap/descriptor.h"
#include "soap/parse_frame.h"
#include "soap/sax_handlers.h"
#include "soap/values.h"
#include "soap/write_stream.h"

#include <vector>

enum class ParsePhase {
    NotStarted = 0,
    InEnvelope = 1,
    InHeader = 2,
    InBody = 3,
    InParameters = 4,
    HeaderDone = 7,
};

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

    // Starts a call of the operation at `operationIndex` with its parameter
    // record: the bottom frame reads that operation's headers. E_FAIL when
    // either has no descriptor, E_OUTOFMEMORY when the stack could not grow.
    HRESULT BeginCall(int operationIndex, void* record);
    // Ends a call however it went: no frames left, the record zeroed and let
    // go. What the record held must have been freed or handed on before.
    void EndCall();

    // The parse fails once `deadline` (not owned; null for none) has passed,
    // also while the reader is busy with input that has all arrived.
    void SetParseDeadline(const CCallDeadline* deadline) { m_deadline = deadline; }

    // S_OK, or E_OUTOFMEMORY when the stack could not grow.
    HRESULT PushFrame(void* target, const Descriptor* descriptor, const DescriptorEntry* entry, ULONG flags, int index,
                      int expectedCount, int receivedCount);

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
    // The innermost frame is the last; the bottom one belongs to the call.
    std::vector<ParseFrame> m_frames;
    ParsePhase m_phase = ParsePhase::NotStarted;
    bool m_noChildren = false;
    bool m_valuePending = false;
    int m_depth = 0;
    int m_bodyDepth = 0;                       // depth of the Body element, once it started
    const CCallDeadline* m_deadline = nullptr; // not owned

private:
    // The one rule for which entries this side writes and which it reads.
    bool Sends(const DescriptorEntry& entry) const;
    bool Receives(const DescriptorEntry& entry) const;
    const Descriptor* DescriptorAt(const Descriptor* const* list, int index) const;
    void WriteEntries(CMarkupWriter& out, class CResponseGenerator& generator, const Descriptor* descriptor,
                      void* record);
    HRESULT ProcessParameter(const wchar_t* localName, int localLength, ISAXAttributes* attributes);
    HRESULT ProcessUnlistedHeader(ISAXAttributes* attributes);
    bool FrameComplete(const ParseFrame& frame) const;
    void FreeOutValues(const Descriptor* descriptor, void* record);
};
