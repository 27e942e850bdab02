#include "soap/sax_reader.h"

#include "soap/streams.h"

namespace soap {

const CLSID kClsidSaxXmlReader = {0x079AA557, 0x4A18, 0x424A, {0x8E, 0xEE, 0xE3, 0x9F, 0x0A, 0x8D, 0x41, 0xB9}};
const IID kIidSaxXmlReader = {0xA4F96ED0, 0xF829, 0x476E, {0x81, 0xC0, 0xCD, 0xC7, 0xBD, 0x2A, 0x08, 0x02}};
const wchar_t kFeatureProhibitDtd[] = L"prohibit-dtd";
const IID kIidSaxContentHandler = {0x1545CDFA, 0x9E4E, 0x4497, {0xA8, 0xA4, 0x2B, 0xF7, 0xD0, 0x11, 0x2C, 0x44}};

HRESULT CreateSaxReader(ISAXXMLReader** reader)
{
    if (!reader)
        return E_POINTER;
    *reader = nullptr;
    const HRESULT hr = ::CoCreateInstance(kClsidSaxXmlReader, nullptr, CLSCTX_INPROC_SERVER, kIidSaxXmlReader,
                                          reinterpret_cast<void**>(reader));
    // A DTD's entities can expand a small answer hugely after its last byte
    // has arrived. A reader that refuses the feature still stops at the
    // handlers' deadline.
    if (SUCCEEDED(hr))
        (*reader)->putFeature(kFeatureProhibitDtd, VARIANT_TRUE);
    return hr;
}

HRESULT ParseStream(ISAXXMLReader* reader, IStream* stream)
{
    // The reader sees nothing that the guard refuses (xml_guard.h).
    CGuardedStream guarded(stream);
    VARIANT input;
    ::VariantInit(&input);
    input.vt = VT_UNKNOWN;
    input.punkVal = &guarded; // counts nothing: lives for the parse
    const HRESULT hr = reader->parse(input);
    ::VariantClear(&input);
    return hr;
}

} // namespace soap
