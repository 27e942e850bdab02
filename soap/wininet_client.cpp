#include "soap/wininet_client.h"

#include "soap/bounded_send.h"

#include <cstdlib>
#include <new>

namespace {

void SetTimeouts(HINTERNET handle, DWORD milliseconds)
{
    for (const DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT}) {
        DWORD value = milliseconds;
        ::InternetSetOptionW(handle, option, &value, sizeof value);
    }
}

} // namespace

const wchar_t* ClientErrorName(ClientError error)
{
    switch (error) {
    case ClientError::None: return L"None";
    case ClientError::SetupFailed: return L"SetupFailed";
    case ClientError::OutOfMemory: return L"OutOfMemory";
    case ClientError::RequestBuildFailed: return L"RequestBuildFailed";
    case ClientError::ConnectFailed: return L"ConnectFailed";
    case ClientError::SendFailed: return L"SendFailed";
    case ClientError::FaultReturned: return L"FaultReturned";
    case ClientError::FaultUnreadable: return L"FaultUnreadable";
    case ClientError::ResponseUnavailable: return L"ResponseUnavailable";
    case ClientError::ResponseParseFailed: return L"ResponseParseFailed";
    }
    return L"Unknown";
}

CSoapWininetClient::CSoapWininetClient(const wchar_t* url)
{
    m_url.Clear();
    m_url.m_scheme = L"http";
    m_url.m_schemeIndex = UrlScheme::kHttp;
    m_url.m_port = INTERNET_DEFAULT_HTTP_PORT;
    // A URL that cannot be escaped or split leaves no host and no path: the
    // first call then fails to connect.
    std::wstring escaped;
    UrlParts parts;
    if (url && EscapeUrl(url, escaped) && Split(escaped, parts)) {
        m_url = parts;
        try {
            m_objectName = m_url.m_path + m_url.m_extraInfo;
        } catch (const std::bad_alloc&) {
        }
    }
}

CSoapWininetClient::~CSoapWininetClient()
{
    PrepareCall();
    CloseHandles();
}

HRESULT CSoapWininetClient::AcquireReader(ISAXXMLReader** reader)
{
    if (!reader)
        return E_POINTER;
    return soap::CreateSaxReader(reader);
}

HRESULT CSoapWininetClient::OpenConnection()
{
    if (m_connection)
        return S_OK;
    m_internet.reset(::InternetOpenW(L"VCSoapClient", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (m_internet) {
        if (m_timeout != 0)
            SetTimeouts(m_internet.get(), m_timeout);
        m_connection.reset(::InternetConnectW(m_internet.get(), m_url.m_host.c_str(), m_url.m_port, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, 0));
    }
    if (!m_internet || !m_connection) {
        CloseHandles();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CSoapWininetClient::PostRequest(const wchar_t* actionLine)
{
    if (FAILED(OpenConnection())) {
        m_clientError = ClientError::ConnectFailed;
        return E_FAIL;
    }
    std::wstring headers;
    try {
        headers = actionLine ? actionLine : L"";
        headers += L"Content-Type: text/xml; charset=utf-8\r\n";
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    CloseRequest();
    const wchar_t* acceptTypes[] = {L"text/*", nullptr};
    // Nothing of an answer is kept between starts: no cookie is stored or
    // sent, no cache entry (a redirect's included) is read or written.
    DWORD flags = INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;
    if (m_url.m_schemeIndex == UrlScheme::kHttps)
        flags |= INTERNET_FLAG_SECURE;
    m_request.reset(::HttpOpenRequestW(m_connection.get(), L"POST", m_objectName.c_str(), L"HTTP/1.0", nullptr,
                                       acceptTypes, flags, 0));
    if (!m_request) {
        m_clientError = ClientError::SendFailed;
        return E_FAIL;
    }
    // Wine does not hand the internet handle's time-outs on to its requests.
    if (m_timeout != 0)
        SetTimeouts(m_request.get(), m_timeout);
    const std::string& body = m_requestStream.Data();
    m_deadline.Arm(m_totalLimit);
    const SendOutcome sent = SendRequestWithin(m_request.get(), m_url.m_port, headers, body, m_deadline);
    m_sendEnded = sent != SendOutcome::TimedOut;
    if (sent != SendOutcome::Sent)
        return E_FAIL;

    m_responseStream.Attach(m_request.get(), &m_deadline, m_byteLimit);
    m_statusCode = QueryStatusCode();
    if (m_statusCode != 500)
        return S_OK;

    m_clientError = ClientError::FaultReturned;
    soap::ComPtr<ISAXXMLReader> reader;
    if (SUCCEEDED(AcquireReader(reader.ReleaseAndGetAddress()))) {
        IStream* stream = nullptr;
        if (FAILED(ResponseStream(&stream)) || FAILED(m_fault.ReadFault(stream, reader.Get(), &m_deadline)))
            m_clientError = ClientError::FaultUnreadable;
    }
    return E_FAIL;
}

int CSoapWininetClient::QueryStatusCode()
{
    wchar_t status[128] = {};
    DWORD length = 255;
    if (!::HttpQueryInfoW(m_request.get(), HTTP_QUERY_STATUS_CODE, status, &length, nullptr))
        return 0;
    return _wtoi(status);
}

HRESULT CSoapWininetClient::ResponseStream(IStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = &m_responseStream;
    return S_OK;
}

void CSoapWininetClient::PrepareCall()
{
    m_requestStream.Empty();
    CloseRequest();
    m_fault.Clear();
    m_clientError = ClientError::None;
    m_statusCode = 0;
}

void CSoapWininetClient::FinishCall()
{
    m_deadline.Disarm();
}

void CSoapWininetClient::CloseRequest()
{
    FinishCall();
    if (m_request) {
        // Closing a request makes WinINet under Wine read the rest of its
        // body first, and a send still running uses the handle: a request cut
        // off before the end of its body (too large, past the deadline, or
        // unreadable) is left open, never read again, until the process ends.
        const bool finished = m_sendEnded && (!m_responseStream.Attached() || m_responseStream.AtEnd());
        if (finished) {
            m_request.reset();
        } else {
            m_request.release();
            m_leftOpen = true;
        }
    }
    m_sendEnded = false;
    m_responseStream.Detach();
}

void CSoapWininetClient::CloseHandles()
{
    CloseRequest();
    // Closing the connection or the internet handle would close a request
    // left open below them, with the same effect: they are let go instead.
    if (m_leftOpen) {
        m_connection.release();
        m_internet.release();
        return;
    }
    m_connection.reset();
    m_internet.reset();
}
