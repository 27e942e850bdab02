#pragma once
// The HTTP transport of the SOAP client: posts the request body to the
// service URL over WinINet and hands out the response body as a stream.
#include "framework/scoped_handle.h"
#include "soap/call_deadline.h"
#include "soap/fault.h"
#include "soap/sax_reader.h"
#include "soap/streams.h"
#include "soap/url.h"

#include <string>

// The stage at which the last call failed.
enum class ClientError {
    None = 0,
    SetupFailed = 1,
    OutOfMemory = 2,
    RequestBuildFailed = 3,
    ConnectFailed = 4,
    SendFailed = 5,
    FaultReturned = 7,
    FaultUnreadable = 8,
    ResponseUnavailable = 9,
    ResponseParseFailed = 10,
};

// The stage's name, for diagnosis ("ResponseParseFailed").
const wchar_t* ClientErrorName(ClientError error);

// How a call is bounded, whatever the server does:
// - One clock, the call's CCallDeadline (call_deadline.h), starts when the
//   request is sent and runs kDefaultTotalTimeLimit unless set otherwise.
// - The send waits no longer than the clock allows (SendRequestWithin,
//   bounded_send.h), nor past a memory budget: then its connection is cut,
//   which ends a send reading header lines without end, and a send still
//   running after that is left to its helper thread.
// - Every read of the body (CReadStreamOnInet, streams.h) and every content
//   handler's callback fails with kCallTimedOut once the clock has passed, so
//   neither a slow server nor a long parse holds the call.
// - A body may have kResponseByteLimit bytes; the read past them fails.
// - WinINet's own time-outs (SetTimeLimit) bound each single wait inside it.
// Nothing closes a handle at the deadline: closing a request whose body has
// not ended makes WinINet under Wine read the rest first (see CloseRequest).
// An answer of the update service is a few hundred bytes.
constexpr ULONGLONG kResponseByteLimit = 1024ULL * 1024;
constexpr DWORD kDefaultTotalTimeLimit = 10000;

class CSoapWininetClient {
public:
    explicit CSoapWininetClient(const wchar_t* url);
    virtual ~CSoapWininetClient();
    CSoapWininetClient(const CSoapWininetClient&) = delete;
    CSoapWininetClient& operator=(const CSoapWininetClient&) = delete;

    // Hands out a new SAX reader (a proxy may hand out its own).
    virtual HRESULT AcquireReader(ISAXXMLReader** reader);

    // Connect, send and receive time-out in milliseconds; 0 keeps WinINet's.
    // Takes effect when the connection is opened.
    void SetTimeLimit(DWORD milliseconds) { m_timeout = milliseconds; }
    // Bound of one call from sending the request to the last byte read,
    // headers and parsing included; 0 sets none.
    void SetTotalTimeLimit(DWORD milliseconds) { m_totalLimit = milliseconds; }
    // The most bytes a response body may have; more fails the read.
    void SetResponseByteLimit(ULONGLONG bytes) { m_byteLimit = bytes; }
    // The running call's deadline, for the content handlers that parse it.
    const CCallDeadline& Deadline() const { return m_deadline; }

    CWriteStreamOnCString& RequestStream() { return m_requestStream; }
    // `actionLine` is the complete SOAPAction header line with its "\r\n".
    HRESULT PostRequest(const wchar_t* actionLine);
    // No reference is added.
    HRESULT ResponseStream(IStream** stream);
    void PrepareCall();
    // Ends the call's time limit; the request handle stays until the next call.
    void FinishCall();
    // Closes the handles, except after a request that was left unfinished:
    // that one, and the handles above it, are kept until the process ends.
    void CloseHandles();

    ClientError GetClientError() const { return m_clientError; }
    void SetClientError(ClientError error) { m_clientError = error; }
    const UrlParts& GetUrlParts() const { return m_url; }
    const std::wstring& ObjectName() const { return m_objectName; }
    const FaultRecord& Fault() const { return m_fault; }
    // For diagnosis: the handles kept between calls.
    HINTERNET InternetHandle() const { return m_internet.get(); }
    HINTERNET ConnectionHandle() const { return m_connection.get(); }
    // The status of the last answer (0 when it could not be read).
    int LastStatusCode() const { return m_statusCode; }
    // True once a request had to be left open (see CloseRequest).
    bool LeftRequestOpen() const { return m_leftOpen; }

private:
    HRESULT OpenConnection();
    int QueryStatusCode();
    void CloseRequest();

    UrlParts m_url;
    CWriteStreamOnCString m_requestStream;
    CReadStreamOnInet m_responseStream;
    DWORD m_timeout = 0;
    std::wstring m_objectName;
    ClientError m_clientError = ClientError::None;
    ScopedInternetHandle m_internet;
    ScopedInternetHandle m_connection;
    ScopedInternetHandle m_request;
    FaultRecord m_fault;
    DWORD m_totalLimit = kDefaultTotalTimeLimit;
    ULONGLONG m_byteLimit = kResponseByteLimit;
    CCallDeadline m_deadline;
    int m_statusCode = 0;
    bool m_sendEnded = false; // HttpSendRequestW returned for the current request
    bool m_leftOpen = false;
};
