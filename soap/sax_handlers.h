#pragma once
// Content handlers that live inside their owner: they count no references.
#include "soap/call_deadline.h"
#include "soap/com_ptr.h"
#include "soap/sax_reader.h"

#include <string>

// Answers every content-handler callback with S_OK.
class ISAXContentHandlerImpl : public ISAXContentHandler {
public:
    HRESULT WINAPI putDocumentLocator(ISAXLocator*) override { return S_OK; }
    HRESULT WINAPI startDocument() override { return S_OK; }
    HRESULT WINAPI endDocument() override { return S_OK; }
    HRESULT WINAPI startPrefixMapping(const wchar_t*, int, const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI endPrefixMapping(const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI startElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int, ISAXAttributes*) override
    {
        return S_OK;
    }
    HRESULT WINAPI endElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI characters(const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI ignorableWhitespace(const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI processingInstruction(const wchar_t*, int, const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI skippedEntity(const wchar_t*, int) override { return S_OK; }

protected:
    ISAXContentHandlerImpl() = default;
    ~ISAXContentHandlerImpl() = default;
};

// QueryInterface for IUnknown and ISAXContentHandler, and reference counts
// that count nothing, for a handler embedded in its owner.
HRESULT QueryContentHandler(ISAXContentHandler* self, REFIID iid, void** object);

// Collects the whole content of one element as text, markup inside it
// rebuilt, and hands it to the owner as one characters call followed by the
// element's endElement.
class CSAXStringBuilder : public ISAXContentHandlerImpl {
public:
    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override { return QueryContentHandler(this, iid, object); }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }

    // Takes over the reader's events until the current element closes;
    // fails every event once `deadline` (when given) has passed.
    void Collect(ISAXContentHandler* owner, ISAXXMLReader* reader, const CCallDeadline* deadline = nullptr);
    // Lets go of a collection that a parse ended early, and of its text.
    void Disengage();

    HRESULT WINAPI startElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                                const wchar_t* qName, int qLength, ISAXAttributes* attributes) override;
    HRESULT WINAPI endElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                              const wchar_t* qName, int qLength) override;
    HRESULT WINAPI characters(const wchar_t* text, int length) override;
    HRESULT WINAPI ignorableWhitespace(const wchar_t* text, int length) override;

private:
    ISAXContentHandler* m_owner = nullptr;     // not owned
    ISAXXMLReader* m_reader = nullptr;         // not owned
    const CCallDeadline* m_deadline = nullptr; // not owned
    ULONG m_count = 0;
    std::wstring m_text;
};

// Drops every event until the element being skipped closes, then gives the
// reader back to the owner, which does not see that element's end.
class CSkipHandler : public ISAXContentHandlerImpl {
public:
    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override { return QueryContentHandler(this, iid, object); }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }

    // Takes over the reader's events until the current element closes;
    // fails every event once `deadline` (when given) has passed.
    void SkipElement(ISAXContentHandler* owner, ISAXXMLReader* reader, const CCallDeadline* deadline = nullptr);
    // Lets go of a skip that a parse ended early: releases the reader.
    void Disengage();

    HRESULT WINAPI startElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int,
                                ISAXAttributes*) override;
    HRESULT WINAPI endElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int) override;
    HRESULT WINAPI characters(const wchar_t*, int) override;
    HRESULT WINAPI ignorableWhitespace(const wchar_t*, int) override;

private:
    ULONG m_count = 1;
    soap::ComPtr<ISAXXMLReader> m_reader;
    // Not counted: the skip handler lives inside its owner, and a count
    // released while the owner is being destroyed would call into it.
    ISAXContentHandler* m_owner = nullptr;
    const CCallDeadline* m_deadline = nullptr; // not owned
};
