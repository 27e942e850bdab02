#include "soap/streams.h"

#include <cstring>
#include <new>

HRESULT CWriteStreamOnCString::Write(const char* bytes, int length, DWORD* written)
{
    if (!bytes)
        return E_FAIL;
    const size_t count = length < 0 ? std::strlen(bytes) : static_cast<size_t>(length);
    try {
        m_data.append(bytes, count);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (written)
        *written = static_cast<DWORD>(count);
    return S_OK;
}

void CReadStreamOnInet::Attach(HINTERNET request, const CCallDeadline* deadline, ULONGLONG byteLimit)
{
    m_request = request;
    m_deadline = deadline;
    m_byteLimit = byteLimit;
    m_bytesRead = 0;
    m_atEnd = false;
}

void CReadStreamOnInet::Detach()
{
    m_request = nullptr;
    m_deadline = nullptr;
}

HRESULT CReadOnlyStream::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) || IsEqualIID(iid, IID_IStream)) {
        *object = static_cast<IStream*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT CReadStreamOnInet::Read(void* buffer, ULONG size, ULONG* read)
{
    ULONG dummy = 0;
    if (!read)
        read = &dummy;
    *read = 0;
    if (!m_request)
        return E_FAIL;
    if (m_atEnd)
        return S_OK;
    if (m_bytesRead > m_byteLimit)
        return kResponseTooLarge;
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    // Ask only for what has arrived: a read of more waits until its buffer is
    // full, and a server that trickles would hold it past the deadline.
    DWORD available = 0;
    if (!::InternetQueryDataAvailable(m_request, &available, 0, 0))
        return E_FAIL;
    if (available == 0) {
        m_atEnd = true;
        return S_OK;
    }
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    // One byte past the limit is enough to know the body is too large.
    const ULONGLONG room = m_byteLimit - m_bytesRead;
    DWORD wanted = available < size ? available : size;
    if (wanted > room)
        wanted = static_cast<DWORD>(room + 1);
    DWORD count = 0;
    if (!::InternetReadFile(m_request, buffer, wanted, &count))
        return E_FAIL;
    if (count == 0) {
        m_atEnd = true;
        return S_OK;
    }
    m_bytesRead += count;
    if (m_bytesRead > m_byteLimit)
        return kResponseTooLarge;
    *read = count;
    return S_OK;
}

HRESULT CGuardedStream::Read(void* buffer, ULONG size, ULONG* read)
{
    ULONG dummy = 0;
    if (!read)
        read = &dummy;
    *read = 0;
    if (!m_source || m_guard.Refused())
        return kMarkupRefused;
    ULONG count = 0;
    const HRESULT hr = m_source->Read(buffer, size, &count);
    if (FAILED(hr))
        return hr;
    if (count > size || !m_guard.Accept(static_cast<const uint8_t*>(buffer), count))
        return kMarkupRefused;
    *read = count;
    return hr;
}
