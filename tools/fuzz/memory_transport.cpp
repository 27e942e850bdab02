#include "tools/fuzz/memory_transport.h"

#include "soap/sax_reader.h"

#include <cstring>

namespace fuzz {

void CMemoryBodyStream::Attach(const HttpAnswer* answer, const CCallDeadline* deadline, ULONGLONG byteLimit)
{
    m_answer = answer;
    m_deadline = deadline;
    m_byteLimit = byteLimit;
    m_offset = 0;
    m_readIndex = 0;
    m_leftInRead = 0;
    m_failed = false;
}

HRESULT CMemoryBodyStream::Read(void* buffer, ULONG size, ULONG* read)
{
    ULONG dummy = 0;
    if (!read)
        read = &dummy;
    *read = 0;
    if (!m_answer || m_failed)
        return E_FAIL;
    const std::string& body = m_answer->body;
    if (m_offset >= body.size()) {
        if (!m_answer->breaksOff)
            return S_OK; // the end
        m_failed = true;
        return E_FAIL;
    }
    if (m_offset > m_byteLimit)
        return kResponseTooLarge;
    if (FAILED(CheckDeadline(m_deadline)))
        return kCallTimedOut;
    // What has arrived: the rest of the current network read, or all of it.
    if (m_leftInRead == 0)
        m_leftInRead = m_readIndex < m_answer->reads.size() ? m_answer->reads[m_readIndex++] : body.size();
    size_t wanted = m_leftInRead < size ? m_leftInRead : size;
    if (wanted > body.size() - m_offset)
        wanted = body.size() - m_offset;
    const ULONGLONG room = m_byteLimit - m_offset;
    if (wanted > room)
        wanted = static_cast<size_t>(room + 1);
    std::memcpy(buffer, body.data() + m_offset, wanted);
    m_offset += wanted;
    m_leftInRead -= wanted < m_leftInRead ? wanted : m_leftInRead;
    if (m_offset > m_byteLimit)
        return kResponseTooLarge;
    *read = static_cast<ULONG>(wanted);
    return S_OK;
}

HRESULT CMemoryTransport::AcquireReader(ISAXXMLReader** reader)
{
    if (!reader)
        return E_POINTER;
    return soap::CreateSaxReader(reader);
}

// As CSoapWininetClient::PostRequest, from the answer's arrival on.
HRESULT CMemoryTransport::PostRequest(const wchar_t*)
{
    m_deadline.Arm(kDefaultTotalTimeLimit);
    if (!m_answer || !m_answer->received)
        return E_FAIL;
    m_body.Attach(m_answer, &m_deadline, kResponseByteLimit);
    if (m_answer->status != 500)
        return S_OK;
    m_clientError = ClientError::FaultReturned;
    soap::ComPtr<ISAXXMLReader> reader;
    if (SUCCEEDED(AcquireReader(reader.ReleaseAndGetAddress()))) {
        if (FAILED(m_fault.ReadFault(&m_body, reader.Get(), &m_deadline)))
            m_clientError = ClientError::FaultUnreadable;
    }
    return E_FAIL;
}

HRESULT CMemoryTransport::ResponseStream(IStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = &m_body;
    return S_OK;
}

void CMemoryTransport::PrepareCall()
{
    m_requestStream.Empty();
    m_fault.Clear();
    m_clientError = ClientError::None;
    FinishCall();
}

} // namespace fuzz
