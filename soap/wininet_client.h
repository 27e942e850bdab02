#pragma once
// The HTTP transport of the SOAP client: posts the request body to the
// service URL over WinINet and hands out the response body as a stream.
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
    // headers included; 0, the default, sets none.
    void SetTotalTimeLimit(DWORD milliseconds) { m_totalLimit = milliseconds; }

    CWriteStreamOnCString& RequestStream() { return m_requestStream; }
    // `actionLine` is the complete SOAPAction header line with its "\r\n".
    HRESULT PostRequest(const wchar_t* actionLine);
    // No reference is added.
    HRESULT ResponseStream(IStream** stream);
    void PrepareCall();
    // Ends the call's time limit; the request handle stays until the next call.
    void FinishCall();
    void CloseHandles();

    ClientError GetClientError() const { return m_clientError; }
    void SetClientError(ClientError error) { m_clientError = error; }
    const UrlParts& GetUrlParts() const { return m_url; }
    const std::wstring& ObjectName() const { return m_objectName; }
    const FaultRecord& Fault() const { return m_fault; }
    // For diagnosis: the handles kept between calls.
    HINTERNET InternetHandle() const { return m_internet; }
    HINTERNET ConnectionHandle() const { return m_connection; }
    // The status of the last answer (0 when it could not be read).
    int LastStatusCode() const { return m_statusCode; }

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
    HINTERNET m_internet = nullptr;
    HINTERNET m_connection = nullptr;
    HINTERNET m_request = nullptr;
    FaultRecord m_fault;
    DWORD m_totalLimit = 0;
    CCallDeadline m_deadline;
    int m_statusCode = 0;
};
