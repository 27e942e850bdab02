// CSoapRootHandler, writing: the envelope of a request from the proxy's
// descriptors and its parameter record.
#include "soap/root_handler.h"

#include "soap/generators.h"

#include <stdexcept>

namespace {

// The envelope start tag: the SOAP prefix and the three namespaces a
// request may use, 227 bytes.
constexpr char kEnvelopeStart[] = "<soap:Envelope"
                                  " xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
                                  " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
                                  " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
                                  " xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\">";
static_assert(sizeof(kEnvelopeStart) - 1 == 227);

// An error in the program, not in the input: raised, never returned.
class CSoapUsageError : public std::logic_error {
public:
    explicit CSoapUsageError(HRESULT code) : std::logic_error("SOAP handler used out of order"), m_code(code) {}
    HRESULT m_code;
};

} // namespace

void CSoapRootHandler::WriteEntries(CMarkupWriter& out, CResponseGenerator& generator, const Descriptor* descriptor,
                                    void* record)
{
    for (const DescriptorEntry* entry = descriptor->m_entries; entry && entry->m_nameHash; ++entry) {
        if ((entry->m_flags & SoapFlag::kNoMarshal) || !Sends(*entry))
            continue;
        if (entry->m_typeCode == SoapType::kNestedType ||
            (entry->m_flags & (SoapFlag::kDynamicArray | SoapFlag::kFixedArray))) {
            out.Fail(E_NOTIMPL); // no structures or arrays are sent by this program
            return;
        }
        generator.OpenEntry(out, descriptor, entry);
        const void* value = static_cast<const BYTE*>(record) + entry->m_recordOffset;
        if (IsStringType(entry->m_typeCode) && !*static_cast<const BSTR*>(value)) {
            out.Text(" xsi:nil=\"1\"/>", 14);
            continue;
        }
        out.Text(">", 1);
        WriteValue(entry->m_typeCode, value, out);
        generator.CloseEntry(out, descriptor, entry);
    }
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
    CResponseGenerator& generator =
        (operation->m_callFlags & rpcEncoded) == rpcEncoded ? static_cast<CResponseGenerator&>(rpc)
        : (operation->m_callFlags & SoapFlag::kWrapped)     ? static_cast<CResponseGenerator&>(pid)
                                                            : static_cast<CResponseGenerator&>(pad);
    if (!stream)
        return E_FAIL;

    CMarkupWriter out(stream);
    out.Text(kEnvelopeStart, sizeof(kEnvelopeStart) - 1);

    bool sendsHeaders = false;
    for (const DescriptorEntry* entry = header->m_entries; entry && entry->m_nameHash; ++entry)
        sendsHeaders = sendsHeaders || Sends(*entry);
    if (sendsHeaders) {
        generator.OpenHeader(out, header);
        WriteEntries(out, generator, header, HeaderObject());
        out.Text("</soap:Header>", 14);
    }

    generator.OpenBody(out);
    const bool wrapped = !(operation->m_callFlags & SoapFlag::kParametersAsDocument);
    if (wrapped)
        generator.OpenWrapper(out, operation, m_clientMode);
    WriteEntries(out, generator, operation, m_params);
    if (wrapped)
        generator.CloseWrapper(out, operation, m_clientMode);
    out.Text("</soap:Body>", 12).Text("</soap:Envelope>", 16);
    return out.Result();
}
