#include "update/service.h"

#include <cstddef>
#include <new>
#include <string>

namespace Service {

namespace {

using Record = GetVersionInfoRecord;

#if defined(__i386__)
static_assert(sizeof(Record) == 8 && offsetof(Record, GetVersionInfoResult) == 4);
#endif

constexpr int kNamespaceLength = sizeof(kUpdateServiceNamespaceA) - 1;
static_assert(sizeof(kUpdateServiceNamespace) / sizeof(wchar_t) - 1 == kNamespaceLength);
constexpr ULONG kNamespaceHash = NameHash(kUpdateServiceNamespace, kNamespaceLength);
constexpr ULONG kCallFlags = SoapFlag::kDocument | SoapFlag::kLiteral | SoapFlag::kWrapped;
static_assert(kCallFlags == 0xA800);
constexpr int kProductId = 5;
constexpr int kGetVersionInfoIndex = 0; // in kOperations and kHeaders

const DescriptorEntry kGetVersionInfoEntries[] = {
    {NameHash(L"productID", 9), "productID", L"productID", 9, SoapType::kInt, kCallFlags | SoapFlag::kIn,
     static_cast<int>(offsetof(Record, productID)), nullptr, nullptr, -1, 0, nullptr, nullptr, 0},
    {NameHash(L"GetVersionInfoResult", 20), "GetVersionInfoResult", L"GetVersionInfoResult", 20, SoapType::kString,
     kCallFlags | SoapFlag::kOut | SoapFlag::kNullable, static_cast<int>(offsetof(Record, GetVersionInfoResult)),
     nullptr, nullptr, -1, 0, nullptr, nullptr, 0},
    {0, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, 0},
};
static_assert(NameHash(L"productID", 9) == 0x7E03E6CE);

const DescriptorEntry kNoEntries[] = {
    {0, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, 0},
};

// The formatter would put each field on a line of its own.
// clang-format off
const Descriptor kGetVersionInfo = {
    NameHash(L"GetVersionInfoResponse", 22), "GetVersionInfo", L"GetVersionInfoResponse", 14, 22,
    SoapKind::kOperation, kGetVersionInfoEntries, static_cast<int>(sizeof(Record)), 1, -1, kCallFlags,
    kNamespaceHash, kUpdateServiceNamespaceA, kUpdateServiceNamespace, kNamespaceLength,
};

const Descriptor kGetVersionInfoHeaders = {
    NameHash(L"GetVersionInfoResponse", 22), "GetVersionInfo", L"GetVersionInfoResponse", 14, 22,
    SoapKind::kHeaderList, kNoEntries, 0, 0, -1, kCallFlags,
    kNamespaceHash, kUpdateServiceNamespaceA, kUpdateServiceNamespace, kNamespaceLength,
};
// clang-format on

const Descriptor* const kOperations[] = {&kGetVersionInfo, nullptr};
const Descriptor* const kHeaders[] = {&kGetVersionInfoHeaders, nullptr};

} // namespace

const Descriptor& GetVersionInfoDescriptor() { return kGetVersionInfo; }
const Descriptor& GetVersionInfoHeaderDescriptor() { return kGetVersionInfoHeaders; }

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
    return kOperations;
}

template <class TClient>
const Descriptor* const* CServiceT<TClient>::HeaderDescriptors()
{
    return kHeaders;
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
    Record record = {kProductId, nullptr};
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

template class CServiceT<CSoapWininetClient>;

} // namespace Service
