#pragma once
// The platform's MSXML SAX2 reader, created in process through COM.
#include <ole2.h>
#include <msxml2.h>

namespace soap {

// The import libraries declare these identifiers but do not define them.
extern const CLSID kClsidSaxXmlReader;  // SAXXMLReader
extern const IID kIidSaxXmlReader;      // ISAXXMLReader
extern const IID kIidSaxContentHandler; // ISAXContentHandler

extern const wchar_t kFeatureProhibitDtd[]; // "prohibit-dtd"

// Creates a reader with namespace processing on and DTDs prohibited (where
// the reader offers that feature). COM must be initialised on the calling
// thread.
HRESULT CreateSaxReader(ISAXXMLReader** reader);

// Has `reader` parse `stream` to its end with its current content handler,
// through the guard that keeps long markup from the reader (xml_guard.h).
HRESULT ParseStream(ISAXXMLReader* reader, IStream* stream);

} // namespace soap
