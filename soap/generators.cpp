#include "soap/generators.h"

#include <cstring>

HRESULT WriteText(IWriteStream* stream, const char* text, int length)
{
    if (length < 0)
        length = static_cast<int>(std::strlen(text));
    return stream->Write(text, length, nullptr);
}

namespace {

constexpr char kSoapEncodingNamespaceA[] = "http://schemas.xmlsoap.org/soap/encoding/";

HRESULT WriteQuoted(IWriteStream* stream, const char* text, int length)
{
    HRESULT hr = WriteText(stream, "\"", 1);
    if (SUCCEEDED(hr) && text)
        hr = WriteText(stream, text, length);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, "\"", 1);
    return hr;
}

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

HRESULT WriteEntryName(IWriteStream* stream, const DescriptorEntry* entry)
{
    if (entry->m_flags & SoapFlag::kReturnValue)
        return WriteText(stream, "return", 6);
    return WriteText(stream, entry->m_nameA, entry->m_nameLength);
}

bool IsResponseWrapper(const Descriptor* descriptor, bool clientMode)
{
    return !clientMode && (descriptor->m_callFlags & SoapFlag::kWrapped);
}

} // namespace

HRESULT CResponseGenerator::OpenEntry(IWriteStream* stream, const Descriptor* descriptor,
                                      const DescriptorEntry* entry)
{
    const bool prefixed = TakesPrefix(descriptor, entry);
    HRESULT hr = WriteText(stream, "<", 1);
    if (SUCCEEDED(hr) && prefixed)
        hr = WriteText(stream, "snp:", 4);
    if (SUCCEEDED(hr))
        hr = WriteEntryName(stream, entry);
    if (SUCCEEDED(hr) && prefixed) {
        hr = WriteText(stream, " xmlns:snp=", 11);
        if (SUCCEEDED(hr)) {
            const Descriptor* nested = NestedWithNamespace(descriptor, entry);
            hr = nested && !entry->m_namespaceA
                     ? WriteQuoted(stream, nested->m_namespaceA, nested->m_namespaceLength)
                     : WriteQuoted(stream, entry->m_namespaceA, entry->m_namespaceLength);
        }
    }
    if (SUCCEEDED(hr) && (entry->m_flags & SoapFlag::kMustUnderstand))
        hr = WriteText(stream, " soap:mustUnderstand=\"1\"");
    return hr;
}

HRESULT CResponseGenerator::OpenHeader(IWriteStream* stream, const Descriptor* descriptor)
{
    HRESULT hr = WriteText(stream, "<soap:Header", 12);
    const ULONG rpcEncoded = SoapFlag::kRpc | SoapFlag::kEncoded;
    if (SUCCEEDED(hr) && (descriptor->m_callFlags & rpcEncoded) != rpcEncoded) {
        hr = WriteText(stream, " xmlns=", 7);
        if (SUCCEEDED(hr))
            hr = WriteQuoted(stream, descriptor->m_namespaceA, descriptor->m_namespaceLength);
    }
    if (SUCCEEDED(hr))
        hr = WriteText(stream, ">", 1);
    return hr;
}

HRESULT CResponseGenerator::CloseEntry(IWriteStream* stream, const Descriptor* descriptor,
                                       const DescriptorEntry* entry)
{
    HRESULT hr = WriteText(stream, "</", 2);
    if (SUCCEEDED(hr) && TakesPrefix(descriptor, entry))
        hr = WriteText(stream, "snp:", 4);
    if (SUCCEEDED(hr))
        hr = WriteEntryName(stream, entry);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, ">", 1);
    return hr;
}

HRESULT CDocLiteralGenerator::OpenBody(IWriteStream* stream)
{
    return WriteText(stream, "<soap:Body>", 11);
}

HRESULT CDocLiteralGenerator::OpenWrapper(IWriteStream* stream, const Descriptor* descriptor, bool clientMode)
{
    HRESULT hr = WriteText(stream, "<", 1);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, descriptor->m_nameA, descriptor->m_nameLengthA);
    if (descriptor->m_kind != SoapKind::kOperation)
        return SUCCEEDED(hr) ? WriteText(stream, ">", 1) : hr;
    if (SUCCEEDED(hr) && IsResponseWrapper(descriptor, clientMode))
        hr = WriteText(stream, "Response", 8);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, " xmlns=", 7);
    if (SUCCEEDED(hr))
        hr = WriteQuoted(stream, descriptor->m_namespaceA, descriptor->m_namespaceLength);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, ">", 1);
    return hr;
}

HRESULT CDocLiteralGenerator::CloseWrapper(IWriteStream* stream, const Descriptor* descriptor, bool clientMode)
{
    HRESULT hr = WriteText(stream, "</", 2);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, descriptor->m_nameA, descriptor->m_nameLengthA);
    if (SUCCEEDED(hr) && descriptor->m_kind == SoapKind::kOperation && IsResponseWrapper(descriptor, clientMode))
        hr = WriteText(stream, "Response", 8);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, ">", 1);
    return hr;
}

HRESULT CPADGenerator::OpenEntry(IWriteStream* stream, const Descriptor* descriptor, const DescriptorEntry* entry)
{
    HRESULT hr = CResponseGenerator::OpenEntry(stream, descriptor, entry);
    if (SUCCEEDED(hr) && (descriptor->m_callFlags & SoapFlag::kParametersAsDocument)) {
        hr = WriteText(stream, " xmlns=", 7);
        if (SUCCEEDED(hr))
            hr = WriteQuoted(stream, descriptor->m_namespaceA, descriptor->m_namespaceLength);
    }
    return hr;
}

HRESULT CRpcEncodedGenerator::OpenBody(IWriteStream* stream)
{
    HRESULT hr = WriteText(stream, "<soap:Body soap:encodingStyle=", 30);
    if (SUCCEEDED(hr))
        hr = WriteQuoted(stream, kSoapEncodingNamespaceA, -1);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, ">", 1);
    return hr;
}

HRESULT CRpcEncodedGenerator::OpenWrapper(IWriteStream* stream, const Descriptor* descriptor, bool)
{
    HRESULT hr = WriteText(stream, "<snp:", 5);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, descriptor->m_nameA, descriptor->m_nameLengthA);
    if (SUCCEEDED(hr) && descriptor->m_kind == SoapKind::kOperation) {
        hr = WriteText(stream, " xmlns:snp=", 11);
        if (SUCCEEDED(hr))
            hr = WriteQuoted(stream, descriptor->m_namespaceA, descriptor->m_namespaceLength);
    }
    if (SUCCEEDED(hr))
        hr = WriteText(stream, ">", 1);
    return hr;
}

HRESULT CRpcEncodedGenerator::CloseWrapper(IWriteStream* stream, const Descriptor* descriptor, bool)
{
    HRESULT hr = WriteText(stream, "</snp:", 6);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, descriptor->m_nameA, descriptor->m_nameLengthA);
    if (SUCCEEDED(hr))
        hr = WriteText(stream, ">", 1);
    return hr;
}
