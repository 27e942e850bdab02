#pragma once
// The members of the update service proxy, for each transport it is built
// over: the WinINet client in the program (service.cpp), an in-memory one in
// the answer fuzzer (tools/fuzz).
#include "update/service.h"

#include <new>
#include <string>

namespace Service {

// The descriptor lists of the service (service.cpp), each ending with null.
const Descriptor* const* OperationList();
const Descriptor* const* HeaderList();

constexpr int kProductId = 5;
constexpr int kGetVersionInfoIndex = 0; // in OperationList() and HeaderList()

template <class TClient>
CServiceT<TClient>::CServiceT(const wchar_t* url) : TClient(url), CSoapRootHandler(nullptr)
{
    m_reader.Reset();
    m_clientMode = true;
    SetParseDeadline(&TClient::Deadline());
}

template <class TClient>
CServiceT<TClient>::~CServiceT()
{
    DisengageHelpers();
    if (m_reader) {
        m_reader->putContentHandler(nullptr);
        m_reader.Reset();
    }
}

template <class TClient>
HRESULT CServiceT<TClient>::AcquireReader(ISAXXMLReader** reader)
{
    if (!reader)
        return E_INVALIDARG;
    if (m_reader) {
        m_reader->AddRef();
        *reader = m_reader.Get();
        return S_OK;
    }
    return TClient::AcquireReader(reader);
}

template <class TClient>
HRESULT CServiceT<TClient>::QueryInterface(REFIID iid, void** object)
{
    return QueryContentHandler(this, iid, object);
}

template <class TClient>
const Descriptor* const* CServiceT<TClient>::OperationDescriptors()
{
    return OperationList();
}

template <class TClient>
const Descriptor* const* CServiceT<TClient>::HeaderDescriptors()
{
    return HeaderList();
}

template <class TClient>
const wchar_t* CServiceT<TClient>::TargetNamespace()
{
    return kUpdateServiceNamespace;
}

template <class TClient>
const char* CServiceT<TClient>::TargetNamespaceA()
{
    return kUpdateServiceNamespaceA;
}

template <class TClient>
HRESULT CServiceT<TClient>::GetVersionInfo(BSTR* result)
{
    if (!result)
        return E_POINTER;

    HRESULT hr = S_OK;
    if (!m_reader)
        hr = soap::CreateSaxReader(m_reader.ReleaseAndGetAddress());
    if (SUCCEEDED(hr))
        hr = m_reader->putContentHandler(this);
    if (FAILED(hr)) {
        TClient::SetClientError(ClientError::SetupFailed);
        return hr;
    }

    TClient::PrepareCall();
    GetVersionInfoRecord record = {kProductId, nullptr};
    // Whatever happens from here on, the call leaves no parse state behind.
    struct CallCleanup {
        CServiceT* self;
        ~CallCleanup()
        {
            self->EndCall();
            self->TClient::FinishCall();
        }
    } cleanup{this};

    hr = BeginCall(kGetVersionInfoIndex, &record);
    if (FAILED(hr)) {
        TClient::SetClientError(ClientError::OutOfMemory);
        return hr;
    }

    hr = WriteRequest(&TClient::RequestStream());
    if (FAILED(hr)) {
        TClient::SetClientError(ClientError::RequestBuildFailed);
        return hr;
    }

    std::wstring actionLine;
    try {
        actionLine = L"SOAPAction: \"";
        actionLine += TargetNamespace();
        actionLine += L"GetVersionInfo\"\r\n";
    } catch (const std::bad_alloc&) {
        TClient::SetClientError(ClientError::RequestBuildFailed);
        return E_OUTOFMEMORY;
    }
    hr = TClient::PostRequest(actionLine.c_str());
    if (FAILED(hr))
        return hr;

    IStream* stream = nullptr; // the client's own: it carries no reference
    hr = TClient::ResponseStream(&stream);
    if (FAILED(hr)) {
        TClient::SetClientError(ClientError::ResponseUnavailable);
        return hr;
    }

    FreeResults();
    hr = ParseResponse(stream);
    if (FAILED(hr)) {
        TClient::SetClientError(ClientError::ResponseParseFailed);
        FreeResults();
        return hr;
    }
    *result = record.GetVersionInfoResult;
    record.GetVersionInfoResult = nullptr;
    return S_OK;
}

} // namespace Service
