#include "soap/root_handler.h"

#include "soap/generators.h"
#include "soap/sax_reader.h"
#include "soap/system_string.h"
#include "soap/xml_escape.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

namespace {

constexpr ULONG kEnvelopeHash = NameHash(L"Envelope", 8);
constexpr ULONG kHeaderHash = NameHash(L"Header", 6);
constexpr ULONG kBodyHash = NameHash(L"Body", 4);
constexpr ULONG kEnvelopeNamespaceHash = NameHash(kSoapEnvelopeNamespace, kSoapEnvelopeNamespaceLength);
static_assert(kEnvelopeHash == 0xDBE6009E && kHeaderHash == 0xAF4DFFC9 && kBodyHash == 0x0026168E);

// The envelope start tag: the SOAP prefix and the three namespaces a
// request may use, 227 bytes.
constexpr char kEnvelopeStart[] =
    "<soap:Envelope"
    " xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    " xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\">";
static_assert(sizeof(kEnvelopeStart) - 1 == 227);

bool IsEnvelopeNamespace(const wchar_t* uri, int length)
{
    return NamesEqual(kEnvelopeNamespaceHash, kSoapEnvelopeNamespace, kSoapEnvelopeNamespaceLength,
                      NameHash(uri, length), uri, length);
}

bool IsName(const wchar_t* name, int length, ULONG hash, const wchar_t* expected, int expectedLength)
{
    return NamesEqual(hash, expected, expectedLength, NameHash(name, length), name, length);
}

// An error in the program, not in the input: raised, never returned.
class CSoapUsageError : public std::logic_error {
public:
    explicit CSoapUsageError(HRESULT code) : std::logic_error("SOAP handler used out of order"), m_code(code) {}
    HRESULT m_code;
};

} // namespace

bool ReceivedBits::Test(size_t index) const
{
    if (index < 64)
        return (m_first >> index) & 1u;
    const size_t word = index / 64 - 1;
    return word < m_more.size() && ((m_more[word] >> (index % 64)) & 1u);
}

void ReceivedBits::Set(size_t index)
{
    if (index < 64) {
        m_first |= uint64_t{1} << index;
        return;
    }
    const size_t word = index / 64 - 1;
    if (word >= m_more.size())
        m_more.resize(word + 1);
    m_more[word] |= uint64_t{1} << (index % 64);
}

HRESULT ParseBoolean(const wchar_t* text, int length, bool* value)
{
    if (!text)
        return E_FAIL;
    if ((length == 1 && text[0] == L'1') || (length == 4 && std::wmemcmp(text, L"true", 4) == 0)) {
        *value = true;
        return S_OK;
    }
    if ((length == 1 && text[0] == L'0') || (length == 5 && std::wmemcmp(text, L"false", 5) == 0)) {
        *value = false;
        return S_OK;
    }
    return E_FAIL;
}

HRESULT ReadValue(const wchar_t* text, int length, void* value, int typeCode)
{
    if (!value || length < 0)
        return E_POINTER;
    if (IsStringType(typeCode)) {
        BSTR copy = AllocSystemString(length ? text : nullptr, static_cast<UINT>(length));
        if (!copy)
            return E_OUTOFMEMORY;
        // A value read twice must not leak the first one.
        BSTR& slot = *static_cast<BSTR*>(value);
        if (slot)
            FreeSystemString(slot);
        slot = copy;
        return S_OK;
    }
    if (typeCode == SoapType::kBoolean) {
        bool flag = false;
        const HRESULT hr = ParseBoolean(text, length, &flag);
        if (SUCCEEDED(hr))
            *static_cast<bool*>(value) = flag;
        return hr;
    }
    return E_NOTIMPL; // no other value types are received by this program
}

HRESULT FreeValue(void* value, int typeCode)
{
    if (!value)
        return E_POINTER;
    if (IsStringType(typeCode)) {
        BSTR& slot = *static_cast<BSTR*>(value);
        if (slot)
            FreeSystemString(slot);
        slot = nullptr;
    }
    return S_OK;
}

CSoapRootHandler::CSoapRootHandler(ISAXXMLReader* reader)
{
    m_reader.Assign(reader);
}

CSoapRootHandler::~CSoapRootHandler()
{
    DisengageHelpers();
}

void CSoapRootHandler::DisengageHelpers()
{
    m_stringBuilder.Disengage();
    m_skipHandler.Disengage();
}

bool CSoapRootHandler::Receives(const DescriptorEntry& entry) const
{
    if (m_clientMode)
        return (entry.m_flags & SoapFlag::kOut) || !(entry.m_flags & SoapFlag::kIn);
    return (entry.m_flags & SoapFlag::kIn) || !(entry.m_flags & SoapFlag::kOut);
}

const Descriptor* CSoapRootHandler::DescriptorAt(const Descriptor* const* list, int index) const
{
    if (!list || index < 0)
        return nullptr;
    for (int i = 0; i < index; ++i)
        if (!list[i])
            return nullptr;
    return list[index];
}

HRESULT CSoapRootHandler::PushFrame(void* target, const Descriptor* descriptor, const DescriptorEntry* entry,
                                    ULONG flags, int index, int expectedCount, int receivedCount)
{
    try {
        m_frames.push_back(ParseFrame{target, flags, index, expectedCount, receivedCount, descriptor, entry,
                                      ReceivedBits(), m_depth});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_top = m_frames.size() - 1;
    return S_OK;
}

void CSoapRootHandler::PopFrame()
{
    m_frames.pop_back();
    m_top = m_frames.empty() ? 0 : m_frames.size() - 1;
}

HRESULT CSoapRootHandler::ReportFault(int, const wchar_t*, int)
{
    return m_clientMode ? S_OK : E_FAIL;
}

// ---- Writing the request ------------------------------------------------

HRESULT CSoapRootHandler::WriteValue(int typeCode, const void* value, IWriteStream* stream)
{
    if (typeCode == SoapType::kInt) {
        char digits[16];
        if (_itoa_s(*static_cast<const int*>(value), digits, sizeof digits, 10) != 0)
            return E_FAIL;
        return WriteText(stream, digits, static_cast<int>(std::strlen(digits)));
    }
    if (IsStringType(typeCode)) {
        const BSTR text = *static_cast<const BSTR*>(value);
        const int length = static_cast<int>(::SysStringLen(text));
        if (length == 0)
            return S_OK;
        const int needed = EscapeXmlText(text, length, nullptr, 0, false);
        std::string escaped;
        try {
            escaped.resize(static_cast<size_t>(needed));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        EscapeXmlText(text, length, escaped.data(), needed, false);
        return WriteText(stream, escaped.data(), needed);
    }
    return E_NOTIMPL; // no other value types are sent by this program
}

HRESULT CSoapRootHandler::WriteEntries(IWriteStream* stream, CResponseGenerator& generator,
                                       const Descriptor* descriptor, void* record)
{
    for (const DescriptorEntry* entry = descriptor->m_entries; entry && entry->m_nameHash; ++entry) {
        if (entry->m_flags & SoapFlag::kNoMarshal)
            continue;
        if (m_clientMode ? !((entry->m_flags & SoapFlag::kIn) || !(entry->m_flags & SoapFlag::kOut))
                         : !((entry->m_flags & SoapFlag::kOut) || !(entry->m_flags & SoapFlag::kIn)))
            continue;
        if (entry->m_typeCode == SoapType::kNestedType ||
            (entry->m_flags & (SoapFlag::kDynamicArray | SoapFlag::kFixedArray)))
            return E_NOTIMPL;
        HRESULT hr = generator.OpenEntry(stream, descriptor, entry);
        if (FAILED(hr))
            return hr;
        const void* value = static_cast<const BYTE*>(record) + entry->m_recordOffset;
        if (IsStringType(entry->m_typeCode) && !*static_cast<const BSTR*>(value)) {
            hr = WriteText(stream, " xsi:nil=\"1\"/>", 14);
            if (FAILED(hr))
                return hr;
            continue;
        }
        hr = WriteText(stream, ">", 1);
        if (SUCCEEDED(hr))
            hr = WriteValue(entry->m_typeCode, value, stream);
        if (SUCCEEDED(hr))
            hr = generator.CloseEntry(stream, descriptor, entry);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT CSoapRootHandler::WriteRequest(IWriteStream* stream)
{
    if (m_frames.empty())
        throw CSoapUsageError(E_INVALIDARG);
    const ParseFrame& bottom = m_frames.front();
    const Descriptor* header;
    const Descriptor* operation;
    if (m_clientMode) {
        header = bottom.m_descriptor;
        operation = DescriptorAt(OperationDescriptors(), bottom.m_index);
    } else {
        header = DescriptorAt(HeaderDescriptors(), bottom.m_index);
        operation = bottom.m_descriptor;
    }
    if (!header || !operation)
        return E_FAIL;

    CPIDGenerator pid;
    CPADGenerator pad;
    CRpcEncodedGenerator rpc;
    const ULONG rpcEncoded = SoapFlag::kRpc | SoapFlag::kEncoded;
    CResponseGenerator& generator = (operation->m_callFlags & rpcEncoded) == rpcEncoded ? static_cast<CResponseGenerator&>(rpc)
                                    : (operation->m_callFlags & SoapFlag::kWrapped)   ? static_cast<CResponseGenerator&>(pid)
                                                                                      : static_cast<CResponseGenerator&>(pad);
    if (!stream)
        return E_FAIL;

    HRESULT hr = WriteText(stream, kEnvelopeStart, sizeof(kEnvelopeStart) - 1);
    if (FAILED(hr))
        return hr;

    const ULONG sent = m_clientMode ? SoapFlag::kIn : SoapFlag::kOut;
    int headerCount = 0;
    for (const DescriptorEntry* entry = header->m_entries; entry && entry->m_nameHash; ++entry)
        if (entry->m_flags & sent)
            ++headerCount;
    if (headerCount > 0) {
        hr = generator.OpenHeader(stream, header);
        if (SUCCEEDED(hr))
            hr = WriteEntries(stream, generator, header, HeaderObject());
        if (SUCCEEDED(hr))
            hr = WriteText(stream, "</soap:Header>", 14);
        if (FAILED(hr))
            return hr;
    }

    hr = generator.OpenBody(stream);
    if (FAILED(hr))
        return hr;
    const bool wrapped = !(operation->m_callFlags & SoapFlag::kParametersAsDocument);
    if (wrapped)
        hr = generator.OpenWrapper(stream, operation, m_clientMode);
    if (SUCCEEDED(hr))
        hr = WriteEntries(stream, generator, operation, m_params);
    if (SUCCEEDED(hr) && wrapped)
        hr = generator.CloseWrapper(stream, operation, m_clientMode);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, "</soap:Body>", 12);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, "</soap:Envelope>", 16);
    return hr;
}

// ---- Reading the response -----------------------------------------------

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

HRESULT CSoapRootHandler::startElement(const wchar_t* uri, int uriLength, const wchar_t* localName,
                                       int localLength, const wchar_t*, int, ISAXAttributes* attributes)
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
        if (IsName(localName, localLength, kEnvelopeHash, L"Envelope", 8)) {
            if (m_phase != ParsePhase::NotStarted)
                return E_FAIL;
            m_phase = ParsePhase::InEnvelope;
        } else if (IsName(localName, localLength, kHeaderHash, L"Header", 6)) {
            if (m_phase != ParsePhase::InEnvelope)
                return E_FAIL;
            m_phase = ParsePhase::InHeader;
        } else if (IsName(localName, localLength, kBodyHash, L"Body", 4)) {
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
        if (m_top == 0 && !m_frames.empty() && m_depth <= m_frames.front().m_depth)
            return E_FAIL;
        return ProcessParameter(localName, localLength, attributes);
    case ParsePhase::InHeader:
        return ProcessParameter(localName, localLength, attributes);
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

    ParseFrame& frame = m_frames[m_top];
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
    const ParseFrame& frame = m_frames[m_top];
    if (!(frame.m_flags & SoapFlag::kWaitsForValue) || !frame.m_entry)
        return S_OK;
    return ReadValue(text, length, frame.m_target, frame.m_entry->m_typeCode);
}

bool CSoapRootHandler::FrameComplete(const ParseFrame& frame) const
{
    if (!frame.m_descriptor || frame.m_received == frame.m_expected)
        return true;
    size_t index = 0;
    for (const DescriptorEntry* entry = frame.m_descriptor->m_entries; entry && entry->m_nameHash;
         ++entry, ++index) {
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
    if (m_phase == ParsePhase::InHeader && m_top == 0) {
        if (!IsEnvelopeNamespace(uri, uriLength) || !IsName(localName, localLength, kHeaderHash, L"Header", 6))
            return E_FAIL;
        m_phase = ParsePhase::HeaderDone;
        return S_OK;
    }
    if (!FrameComplete(m_frames[m_top]))
        return E_FAIL;
    if (m_top > 0)
        PopFrame();
    return S_OK;
}

// ---- Releasing values ---------------------------------------------------

void CSoapRootHandler::FreeOutValues(const Descriptor* descriptor, void* record)
{
    if (!descriptor || !record)
        return;
    for (const DescriptorEntry* entry = descriptor->m_entries; entry && entry->m_nameHash; ++entry) {
        if (Receives(*entry) && entry->m_typeCode != SoapType::kNestedType)
            FreeValue(static_cast<BYTE*>(record) + entry->m_recordOffset, entry->m_typeCode);
    }
}

void CSoapRootHandler::FreeHeaderValues()
{
    if (m_frames.empty())
        return;
    FreeOutValues(DescriptorAt(HeaderDescriptors(), m_frames.front().m_index), HeaderObject());
}

void CSoapRootHandler::FreeResults()
{
    FreeHeaderValues();
    if (m_frames.empty() || !m_params)
        return;
    FreeOutValues(DescriptorAt(OperationDescriptors(), m_frames.front().m_index), m_params);
}
