// CSoapRootHandler, reading: the SAX callbacks that read an answer's
// envelope into the proxy's parameter record, one frame per open element.
#include "soap/root_handler.h"

#include "soap/sax_reader.h"

#include <cstring>
#include <new>

HRESULT CSoapRootHandler::ParseResponse(IStream* stream)
{
    if (!m_reader || !stream)
        return E_FAIL;
    HRESULT hr = m_reader->putContentHandler(this);
    if (FAILED(hr))
        return hr;
    hr = soap::ParseStream(m_reader.Get(), stream);
    // A parse that failed or was cut off inside a collected or skipped
    // element leaves the helper engaged.
    DisengageHelpers();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CSoapRootHandler::startDocument()
{
    m_phase = ParsePhase::NotStarted;
    m_noChildren = false;
    m_valuePending = false;
    m_depth = 0;
    m_bodyDepth = 0;
    return S_OK;
}

HRESULT CSoapRootHandler::startElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                                       const wchar_t*, int, ISAXAttributes* attributes)
{
    ++m_depth;
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    if (m_noChildren || m_valuePending)
        return E_FAIL;
    switch (m_phase) {
    case ParsePhase::NotStarted:
    case ParsePhase::InEnvelope:
    case ParsePhase::HeaderDone:
        if (!IsEnvelopeNamespace(uri, uriLength))
            return E_FAIL;
        if (NamesEqual(localName, localLength, L"Envelope", 8)) {
            if (m_phase != ParsePhase::NotStarted)
                return E_FAIL;
            m_phase = ParsePhase::InEnvelope;
        } else if (NamesEqual(localName, localLength, L"Header", 6)) {
            if (m_phase != ParsePhase::InEnvelope)
                return E_FAIL;
            m_phase = ParsePhase::InHeader;
        } else if (NamesEqual(localName, localLength, L"Body", 4)) {
            if (m_phase == ParsePhase::NotStarted)
                return E_FAIL;
            m_phase = ParsePhase::InBody;
            m_bodyDepth = m_depth;
        }
        return S_OK;
    case ParsePhase::InBody: {
        // After an empty Body nothing else may follow it.
        if (m_depth <= m_bodyDepth)
            return E_FAIL;
        const HRESULT hr = BeginWrapper(uri, uriLength, localName, localLength);
        m_phase = ParsePhase::InParameters;
        if (FAILED(hr))
            return hr;
        const Descriptor* operation = m_frames.empty() ? nullptr : m_frames.front().m_descriptor;
        if (operation && (operation->m_callFlags & SoapFlag::kParametersAsDocument))
            return ProcessParameter(localName, localLength, attributes);
        return S_OK;
    }
    case ParsePhase::InParameters:
        // The Body holds one wrapper: an element beside it is not part of the answer.
        if (m_frames.size() == 1 && m_depth <= m_frames.front().m_depth)
            return E_FAIL;
        return ProcessParameter(localName, localLength, attributes);
    case ParsePhase::InHeader: return ProcessParameter(localName, localLength, attributes);
    }
    return E_FAIL;
}

HRESULT CSoapRootHandler::BeginWrapper(const wchar_t*, int, const wchar_t*, int)
{
    if (!m_clientMode)
        return E_NOTIMPL; // this program is never a server
    if (m_frames.empty() || !m_params)
        return E_FAIL;
    const ParseFrame& bottom = m_frames.front();
    if (bottom.m_descriptor && bottom.m_descriptor->m_kind == SoapKind::kHeaderList) {
        size_t index = 0;
        for (const DescriptorEntry* entry = bottom.m_descriptor->m_entries; entry && entry->m_nameHash;
             ++entry, ++index) {
            if (Receives(*entry) && !bottom.m_bits.Test(index) &&
                !(entry->m_flags & (SoapFlag::kNullable | SoapFlag::kNoMarshal)))
                return E_FAIL;
        }
    }
    const int index = bottom.m_index;
    const Descriptor* operation = DescriptorAt(OperationDescriptors(), index);
    if (!operation)
        return E_FAIL;
    std::memset(m_params, 0, static_cast<size_t>(operation->m_recordSize));
    m_frames.clear();
    return PushFrame(m_params, operation, nullptr, 0, index, operation->m_elementCount, 0);
}

HRESULT CSoapRootHandler::ProcessParameter(const wchar_t* localName, int localLength, ISAXAttributes* attributes)
{
    if (m_frames.empty())
        return m_phase == ParsePhase::InHeader ? ProcessUnlistedHeader(attributes) : E_FAIL;

    ParseFrame& frame = m_frames.back();
    const ULONG hash = NameHash(localName, localLength);
    const DescriptorEntry* found = nullptr;
    size_t index = 0;
    if (frame.m_descriptor) {
        for (const DescriptorEntry* entry = frame.m_descriptor->m_entries; entry && entry->m_nameHash;
             ++entry, ++index) {
            if (Receives(*entry) &&
                NamesEqual(entry->m_nameHash, entry->m_nameW, entry->m_nameLength, hash, localName, localLength)) {
                found = entry;
                break;
            }
        }
    }
    if (!found)
        return m_phase == ParsePhase::InHeader ? ProcessUnlistedHeader(attributes) : E_FAIL;
    if (frame.m_bits.Test(index))
        return E_FAIL;
    try {
        frame.m_bits.Set(index);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    ++frame.m_received;

    const wchar_t* nil = nullptr;
    int nilLength = 0;
    bool isNil = false;
    if (attributes &&
        SUCCEEDED(attributes->getValueFromName(kXsiNamespace, kXsiNamespaceLength, L"nil", 3, &nil, &nilLength)) &&
        FAILED(ParseBoolean(nil, nilLength, &isNil)))
        isNil = false; // an unreadable nil counts as absent
    if (isNil) {
        if (!(found->m_flags & SoapFlag::kNullable))
            return E_FAIL;
        m_noChildren = true;
        return PushFrame(nullptr, nullptr, nullptr, 0, 0, 0, 0);
    }

    if (found->m_typeCode == SoapType::kNestedType || !frame.m_target)
        return E_FAIL; // structures are not received by this program
    void* target = static_cast<BYTE*>(frame.m_target) + found->m_recordOffset;
    m_noChildren = true;
    const bool wholeText = found->m_typeCode == SoapType::kString || found->m_typeCode == SoapType::kBase64Binary;
    if (!wholeText)
        m_valuePending = true;
    if (FAILED(PushFrame(target, nullptr, found, found->m_flags | SoapFlag::kWaitsForValue, 0, 0, 0)))
        return E_OUTOFMEMORY;
    if (wholeText)
        m_stringBuilder.Collect(this, m_reader.Get(), m_deadline);
    return S_OK;
}

HRESULT CSoapRootHandler::ProcessUnlistedHeader(ISAXAttributes* attributes)
{
    const wchar_t* value = nullptr;
    int length = 0;
    if (attributes && SUCCEEDED(attributes->getValueFromName(kSoapEnvelopeNamespace, kSoapEnvelopeNamespaceLength,
                                                             L"mustUnderstand", 14, &value, &length))) {
        bool mustUnderstand = true;
        if (FAILED(ParseBoolean(value, length, &mustUnderstand)) || mustUnderstand) {
            ReportFault(200, nullptr, 0);
            return E_FAIL;
        }
    }
    m_skipHandler.SkipElement(this, m_reader.Get(), m_deadline);
    --m_depth; // this handler does not see the skipped element's end
    return S_OK;
}

HRESULT CSoapRootHandler::characters(const wchar_t* text, int length)
{
    m_valuePending = false;
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    if (m_frames.empty())
        return S_OK;
    const ParseFrame& frame = m_frames.back();
    if (!(frame.m_flags & SoapFlag::kWaitsForValue) || !frame.m_entry)
        return S_OK;
    return ReadValue(text, length, frame.m_target, frame.m_entry->m_typeCode);
}

bool CSoapRootHandler::FrameComplete(const ParseFrame& frame) const
{
    if (!frame.m_descriptor || frame.m_received == frame.m_expected)
        return true;
    size_t index = 0;
    for (const DescriptorEntry* entry = frame.m_descriptor->m_entries; entry && entry->m_nameHash; ++entry, ++index) {
        if (Receives(*entry) && !frame.m_bits.Test(index) &&
            !(entry->m_flags & (SoapFlag::kNullable | SoapFlag::kNoMarshal)) &&
            entry->m_typeCode != SoapType::kNestedType)
            return false;
    }
    return true;
}

HRESULT CSoapRootHandler::endElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                                     const wchar_t*, int)
{
    --m_depth;
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    if (m_valuePending)
        return E_FAIL;
    m_noChildren = false;
    if (m_frames.empty())
        return S_OK;
    if (m_phase == ParsePhase::InHeader && m_frames.size() == 1) {
        if (!IsEnvelopeNamespace(uri, uriLength) || !NamesEqual(localName, localLength, L"Header", 6))
            return E_FAIL;
        m_phase = ParsePhase::HeaderDone;
        return S_OK;
    }
    if (!FrameComplete(m_frames.back()))
        return E_FAIL;
    if (m_frames.size() > 1) // the bottom frame stays until the call ends
        m_frames.pop_back();
    return S_OK;
}
