#include "soap/fault.h"

#include "soap/descriptor.h"
#include "soap/sax_reader.h"

#include <cwchar>
#include <cwctype>
#include <new>

namespace {

struct FaultElement {
    const wchar_t* m_name;
    int m_length;
    FaultState m_state;
};
// "Header" shares the state of "Body": a fault has no Header before its Body.
constexpr FaultElement kElements[] = {
    {L"Envelope", 8, FaultState::InEnvelope},
    {L"Body", 4, FaultState::InBody},
    {L"Header", 6, FaultState::InBody},
    {L"Fault", 5, FaultState::InFault},
    {L"faultcode", 9, FaultState::InFaultCode},
    {L"faultstring", 11, FaultState::InFaultString},
    {L"faultactor", 10, FaultState::InFaultActor},
    {L"detail", 6, FaultState::InDetail},
};

struct FaultCode {
    const wchar_t* m_name;
    int m_length;
    int m_code;
};
constexpr FaultCode kCodes[] = {
    {L"VersionMismatch", 15, 100},
    {L"MustUnderstand", 14, 200},
    {L"Client", 6, 300},
    {L"Server", 6, 400},
};

// Stores `text` in an empty field; a second non-empty value is an error.
HRESULT StoreOnce(std::wstring& field, const wchar_t* text, int length)
{
    if (!field.empty())
        return E_FAIL;
    field.assign(text, static_cast<size_t>(length));
    return S_OK;
}

} // namespace

void FaultRecord::Clear()
{
    m_code = 0;
    m_faultCodeText.clear();
    m_faultString.clear();
    m_faultActor.clear();
    m_detail.clear();
}

HRESULT FaultRecord::ReadFault(IStream* stream, ISAXXMLReader* reader, const CCallDeadline* deadline)
{
    soap::ComPtr<ISAXXMLReader> used(reader);
    if (!used && FAILED(soap::CreateSaxReader(used.ReleaseAndGetAddress())))
        return E_FAIL;
    Clear();
    if (!stream)
        return E_FAIL;
    CSoapFaultParser parser(this, used.Get(), deadline);
    HRESULT hr = used->putContentHandler(&parser);
    if (SUCCEEDED(hr))
        hr = soap::ParseStream(used.Get(), stream);
    used->putContentHandler(nullptr);
    return FAILED(hr) ? hr : S_OK;
}

CSoapFaultParser::CSoapFaultParser(FaultRecord* record, ISAXXMLReader* reader, const CCallDeadline* deadline)
    : m_record(record), m_deadline(deadline)
{
    m_reader.Assign(reader);
}

CSoapFaultParser::~CSoapFaultParser()
{
    // A parse cut off inside a collected or skipped element leaves them engaged.
    m_stringBuilder.Disengage();
    m_skipHandler.Disengage();
}

HRESULT CSoapFaultParser::startPrefixMapping(const wchar_t* prefix, int prefixLength, const wchar_t* uri, int uriLength)
{
    if (!IsEnvelopeNamespace(uri, uriLength))
        return S_OK;
    try {
        m_prefix.assign(prefix ? prefix : L"", static_cast<size_t>(prefixLength));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_hasPrefix = true;
    return S_OK;
}

HRESULT CSoapFaultParser::startElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                                       const wchar_t*, int, ISAXAttributes*)
{
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    m_textTaken = false;
    for (const FaultElement& element : kElements) {
        if (!NamesEqual(localName, localLength, element.m_name, element.m_length))
            continue;
        // Envelope, Body and Fault: each once, in that order, in the envelope namespace.
        if (element.m_state <= FaultState::InFault) {
            if (element.m_state <= m_state || !IsEnvelopeNamespace(uri, uriLength))
                return E_FAIL;
            m_state = element.m_state;
            return S_OK;
        }
        m_state = element.m_state;
        m_stringBuilder.Collect(this, m_reader.Get(), m_deadline);
        return S_OK;
    }
    // Other elements are skipped inside the Fault, and fail the parse before it.
    if (m_state <= FaultState::InFault)
        return E_FAIL;
    m_state = FaultState::Skipped;
    m_skipHandler.SkipElement(this, m_reader.Get(), m_deadline);
    return S_OK;
}

HRESULT CSoapFaultParser::characters(const wchar_t* text, int length)
{
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    if (m_textTaken)
        return S_OK;
    HRESULT hr;
    try {
        switch (m_state) {
        case FaultState::InFaultCode: hr = m_record->m_code == 0 ? ReadFaultCode(text, length) : E_FAIL; break;
        case FaultState::InFaultString: hr = StoreOnce(m_record->m_faultString, text, length); break;
        case FaultState::InFaultActor: hr = StoreOnce(m_record->m_faultActor, text, length); break;
        case FaultState::InDetail: hr = StoreOnce(m_record->m_detail, text, length); break;
        case FaultState::InEnvelope:
        case FaultState::InBody:
        case FaultState::InFault:
        case FaultState::Skipped: return S_OK;
        default: hr = E_FAIL; break;
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    m_textTaken = true;
    return hr;
}

HRESULT CSoapFaultParser::ReadFaultCode(const wchar_t* text, int length)
{
    if (!m_hasPrefix)
        return E_INVALIDARG;
    int start = 0;
    while (start < length && std::iswspace(text[start]))
        ++start;
    int colon = start;
    while (colon < length && text[colon] != L':')
        ++colon;
    if (colon == length || !NamesEqual(text + start, colon - start, m_prefix.data(), static_cast<int>(m_prefix.size())))
        return E_FAIL;
    const wchar_t* rest = text + colon + 1;
    const int restLength = length - colon - 1;
    for (const FaultCode& code : kCodes)
        if (NamesEqual(rest, restLength, code.m_name, code.m_length))
            m_record->m_code = code.m_code;
    if (m_record->m_faultString.empty())
        m_record->m_faultCodeText.assign(rest, static_cast<size_t>(restLength));
    return S_OK;
}
