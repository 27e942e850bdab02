#include "soap/sax_handlers.h"

#include <cwchar>
#include <new>

HRESULT QueryContentHandler(ISAXContentHandler* self, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, soap::kIidSaxContentHandler)) {
        *object = self;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

void CSAXStringBuilder::Collect(ISAXContentHandler* owner, ISAXXMLReader* reader, const CCallDeadline* deadline)
{
    m_owner = owner;
    m_reader = reader;
    m_deadline = deadline;
    m_text.clear();
    m_count = 0;
    reader->putContentHandler(this);
}

void CSAXStringBuilder::Disengage()
{
    m_owner = nullptr;
    m_reader = nullptr;
    m_deadline = nullptr;
    m_count = 0;
    m_text.clear();
    m_text.shrink_to_fit();
}

HRESULT CSAXStringBuilder::startElement(const wchar_t*, int, const wchar_t*, int, const wchar_t* qName, int qLength,
                                        ISAXAttributes* attributes)
{
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    if (m_count == 0)
        m_count = 1;
    ++m_count;
    try {
        m_text += L'<';
        m_text.append(qName, static_cast<size_t>(qLength));
        int count = 0;
        if (attributes && SUCCEEDED(attributes->getLength(&count))) {
            for (int i = 0; i < count; ++i) {
                const wchar_t *uri, *local, *name, *value;
                int uriLength, localLength, nameLength, valueLength;
                if (FAILED(attributes->getName(i, &uri, &uriLength, &local, &localLength, &name, &nameLength)) ||
                    FAILED(attributes->getValue(i, &value, &valueLength)))
                    return E_FAIL;
                // Some readers report namespace declarations as attributes.
                if ((nameLength == 5 || (nameLength > 5 && name[5] == L':')) && std::wcsncmp(name, L"xmlns", 5) == 0)
                    continue;
                m_text += L' ';
                m_text.append(name, static_cast<size_t>(nameLength));
                m_text += L"=\"";
                m_text.append(value, static_cast<size_t>(valueLength));
                m_text += L'"';
            }
        }
        m_text += L'>';
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CSAXStringBuilder::endElement(const wchar_t* uri, int uriLength, const wchar_t* localName, int localLength,
                                      const wchar_t* qName, int qLength)
{
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    if (!m_owner)
        return E_UNEXPECTED;
    if (m_count > 0)
        --m_count;
    if (m_count == 0) {
        HRESULT hr = m_owner->characters(m_text.data(), static_cast<int>(m_text.size()));
        if (SUCCEEDED(hr))
            hr = m_owner->endElement(uri, uriLength, localName, localLength, qName, qLength);
        m_reader->putContentHandler(m_owner);
        m_text.clear();
        m_text.shrink_to_fit();
        return hr;
    }
    try {
        m_text += L"</";
        m_text.append(qName, static_cast<size_t>(qLength));
        m_text += L'>';
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CSAXStringBuilder::characters(const wchar_t* text, int length)
{
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    try {
        m_text.append(text, static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CSAXStringBuilder::ignorableWhitespace(const wchar_t* text, int length)
{
    return characters(text, length);
}

void CSkipHandler::SkipElement(ISAXContentHandler* owner, ISAXXMLReader* reader, const CCallDeadline* deadline)
{
    m_count = 1;
    m_reader.Assign(reader);
    m_owner = owner;
    m_deadline = deadline;
    reader->putContentHandler(this);
}

void CSkipHandler::Disengage()
{
    m_count = 1;
    m_reader.Reset();
    m_owner = nullptr;
    m_deadline = nullptr;
}

HRESULT CSkipHandler::startElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int, ISAXAttributes*)
{
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    ++m_count;
    return S_OK;
}

HRESULT CSkipHandler::endElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int)
{
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    if (!m_reader)
        return E_UNEXPECTED;
    if (--m_count == 0) {
        m_reader->putContentHandler(m_owner);
        Disengage();
    }
    return S_OK;
}

HRESULT CSkipHandler::characters(const wchar_t*, int)
{
    return CheckDeadline(m_deadline);
}

HRESULT CSkipHandler::ignorableWhitespace(const wchar_t*, int)
{
    return CheckDeadline(m_deadline);
}
