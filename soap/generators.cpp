#include "soap/generators.h"

namespace {

constexpr char kSoapEncodingNamespaceA[] = "http://schemas.xmlsoap.org/soap/encoding/";

// The namespace an entry is written in, or null when it takes none.
const Descriptor* NestedWithNamespace(const Descriptor* descriptor, const DescriptorEntry* entry)
{
    if (descriptor->m_kind == SoapKind::kHeaderList && entry->m_nested && entry->m_nested->m_namespaceA)
        return entry->m_nested;
    return nullptr;
}

bool TakesPrefix(const Descriptor* descriptor, const DescriptorEntry* entry)
{
    return entry->m_namespaceA != nullptr || NestedWithNamespace(descriptor, entry) != nullptr;
}

void WriteEntryName(CMarkupWriter& out, const DescriptorEntry* entry)
{
    if (entry->m_flags & SoapFlag::kReturnValue)
        out.Text("return", 6);
    else
        out.Text(entry->m_nameA, entry->m_nameLength);
}

bool IsResponseWrapper(const Descriptor* descriptor, bool clientMode)
{
    return !clientMode && (descriptor->m_callFlags & SoapFlag::kWrapped);
}

void WriteDefaultNamespace(CMarkupWriter& out, const Descriptor* descriptor)
{
    out.Text(" xmlns=", 7).Quoted(descriptor->m_namespaceA, descriptor->m_namespaceLength);
}

} // namespace

void CResponseGenerator::OpenEntry(CMarkupWriter& out, const Descriptor* descriptor, const DescriptorEntry* entry)
{
    const bool prefixed = TakesPrefix(descriptor, entry);
    out.Text("<", 1);
    if (prefixed)
        out.Text("snp:", 4);
    WriteEntryName(out, entry);
    if (prefixed) {
        out.Text(" xmlns:snp=", 11);
        const Descriptor* nested = NestedWithNamespace(descriptor, entry);
        if (nested && !entry->m_namespaceA)
            out.Quoted(nested->m_namespaceA, nested->m_namespaceLength);
        else
            out.Quoted(entry->m_namespaceA, entry->m_namespaceLength);
    }
    if (entry->m_flags & SoapFlag::kMustUnderstand)
        out.Text(" soap:mustUnderstand=\"1\"");
}

void CResponseGenerator::OpenHeader(CMarkupWriter& out, const Descriptor* descriptor)
{
    out.Text("<soap:Header", 12);
    const ULONG rpcEncoded = SoapFlag::kRpc | SoapFlag::kEncoded;
    if ((descriptor->m_callFlags & rpcEncoded) != rpcEncoded)
        WriteDefaultNamespace(out, descriptor);
    out.Text(">", 1);
}

void CResponseGenerator::CloseEntry(CMarkupWriter& out, const Descriptor* descriptor, const DescriptorEntry* entry)
{
    out.Text("</", 2);
    if (TakesPrefix(descriptor, entry))
        out.Text("snp:", 4);
    WriteEntryName(out, entry);
    out.Text(">", 1);
}

void CDocLiteralGenerator::OpenBody(CMarkupWriter& out)
{
    out.Text("<soap:Body>", 11);
}

void CDocLiteralGenerator::OpenWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool clientMode)
{
    out.Text("<", 1).Text(descriptor->m_nameA, descriptor->m_nameLengthA);
    if (descriptor->m_kind == SoapKind::kOperation) {
        if (IsResponseWrapper(descriptor, clientMode))
            out.Text("Response", 8);
        WriteDefaultNamespace(out, descriptor);
    }
    out.Text(">", 1);
}

void CDocLiteralGenerator::CloseWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool clientMode)
{
    out.Text("</", 2).Text(descriptor->m_nameA, descriptor->m_nameLengthA);
    if (descriptor->m_kind == SoapKind::kOperation && IsResponseWrapper(descriptor, clientMode))
        out.Text("Response", 8);
    out.Text(">", 1);
}

void CPADGenerator::OpenEntry(CMarkupWriter& out, const Descriptor* descriptor, const DescriptorEntry* entry)
{
    CResponseGenerator::OpenEntry(out, descriptor, entry);
    if (descriptor->m_callFlags & SoapFlag::kParametersAsDocument)
        WriteDefaultNamespace(out, descriptor);
}

void CRpcEncodedGenerator::OpenBody(CMarkupWriter& out)
{
    out.Text("<soap:Body soap:encodingStyle=", 30).Quoted(kSoapEncodingNamespaceA).Text(">", 1);
}

void CRpcEncodedGenerator::OpenWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool)
{
    out.Text("<snp:", 5).Text(descriptor->m_nameA, descriptor->m_nameLengthA);
    if (descriptor->m_kind == SoapKind::kOperation)
        out.Text(" xmlns:snp=", 11).Quoted(descriptor->m_namespaceA, descriptor->m_namespaceLength);
    out.Text(">", 1);
}

void CRpcEncodedGenerator::CloseWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool)
{
    out.Text("</snp:", 6).Text(descriptor->m_nameA, descriptor->m_nameLengthA).Text(">", 1);
}
