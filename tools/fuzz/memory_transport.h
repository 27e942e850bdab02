#pragma once
// A transport for the update service proxy that answers from memory: the
// proxy, the real SAX reader and the guard in front of it read an answer as
// they would read it from WinINet, with the same byte and time limits.
#include "soap/fault.h"
#include "soap/streams.h"
#include "soap/wininet_client.h"
#include "tools/fuzz/http_answer.h"

namespace fuzz {

// The body of an answer, read as CReadStreamOnInet reads it from WinINet.
class CMemoryBodyStream : public CReadOnlyStream {
public:
    void Attach(const HttpAnswer* answer, const CCallDeadline* deadline, ULONGLONG byteLimit);
    HRESULT WINAPI Read(void* buffer, ULONG size, ULONG* read) override;

private:
    const HttpAnswer* m_answer = nullptr;      // not owned
    const CCallDeadline* m_deadline = nullptr; // not owned
    ULONGLONG m_byteLimit = 0;
    size_t m_offset = 0;
    size_t m_readIndex = 0;  // in m_answer->reads
    size_t m_leftInRead = 0; // bytes the current network read still holds
    bool m_failed = false;
};

// What the proxy needs of a transport, over an answer in memory.
class CMemoryTransport {
public:
    explicit CMemoryTransport(const wchar_t*) {}
    virtual ~CMemoryTransport() = default;
    CMemoryTransport(const CMemoryTransport&) = delete;
    CMemoryTransport& operator=(const CMemoryTransport&) = delete;

    virtual HRESULT AcquireReader(ISAXXMLReader** reader);

    // The answer the next call receives (not owned).
    void SetAnswer(const HttpAnswer* answer) { m_answer = answer; }

    CWriteStreamOnCString& RequestStream() { return m_requestStream; }
    HRESULT PostRequest(const wchar_t* actionLine);
    HRESULT ResponseStream(IStream** stream);
    void PrepareCall();
    void FinishCall() { m_deadline.Disarm(); }
    ClientError GetClientError() const { return m_clientError; }
    void SetClientError(ClientError error) { m_clientError = error; }
    const CCallDeadline& Deadline() const { return m_deadline; }

private:
    const HttpAnswer* m_answer = nullptr; // not owned
    CWriteStreamOnCString m_requestStream;
    CMemoryBodyStream m_body;
    CCallDeadline m_deadline;
    FaultRecord m_fault;
    ClientError m_clientError = ClientError::None;
};

} // namespace fuzz
