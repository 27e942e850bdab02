#pragma once
// Reading a SOAP 1.1 fault (the body of a status-500 answer) for diagnosis.
#include "soap/com_ptr.h"
#include "soap/sax_handlers.h"

#include <string>

struct FaultRecord {
    int m_code = 0;               // 0 none, 100 VersionMismatch, 200 MustUnderstand, 300 Client, 400 Server
    std::wstring m_faultCodeText; // local part of faultcode
    std::wstring m_faultString;
    std::wstring m_faultActor;
    std::wstring m_detail; // markup inside detail rebuilt as text

    void Clear();
    // Parses `stream` as a fault with `reader`, or a new reader when null;
    // the parse fails once `deadline` (when given) has passed.
    HRESULT ReadFault(IStream* stream, ISAXXMLReader* reader, const CCallDeadline* deadline = nullptr);
};

// Where the fault parser is: the structure elements in the order they must
// come, then the element whose text it reads, or one it skipped.
enum class FaultState {
    None,
    InEnvelope,
    InBody,
    InFault,
    InFaultCode,
    InFaultString,
    InFaultActor,
    InDetail,
    Skipped,
};

class CSoapFaultParser : public ISAXContentHandlerImpl {
public:
    CSoapFaultParser(FaultRecord* record, ISAXXMLReader* reader, const CCallDeadline* deadline = nullptr);
    ~CSoapFaultParser();
    CSoapFaultParser(const CSoapFaultParser&) = delete;
    CSoapFaultParser& operator=(const CSoapFaultParser&) = delete;

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override { return QueryContentHandler(this, iid, object); }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }

    HRESULT WINAPI startPrefixMapping(const wchar_t* prefix, int prefixLength, const wchar_t* uri,
                                      int uriLength) override;
    HRESULT WINAPI startElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                                const wchar_t* qName, int qLength, ISAXAttributes* attributes) override;
    HRESULT WINAPI characters(const wchar_t* text, int length) override;

private:
    HRESULT ReadFaultCode(const wchar_t* text, int length);

    FaultRecord* m_record;           // not owned
    const CCallDeadline* m_deadline; // not owned
    FaultState m_state = FaultState::None;
    bool m_textTaken = false; // the current element's text was read
    soap::ComPtr<ISAXXMLReader> m_reader;
    CSAXStringBuilder m_stringBuilder;
    CSkipHandler m_skipHandler;
    bool m_hasPrefix = false;
    std::wstring m_prefix;
};
