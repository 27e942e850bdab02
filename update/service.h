#pragma once
// The update service proxy: asks the vendor's update service for the current
// version text with one SOAP call.
#include "soap/root_handler.h"
#include "soap/wininet_client.h"
#include "update/service_settings.h"

namespace Service {

// The parameter record of GetVersionInfo.
struct GetVersionInfoRecord {
    int productID;             // sent: always 5
    BSTR GetVersionInfoResult; // received: owned, null when absent or nil
};

template <class TClient>
class CServiceT : public TClient, public CSoapRootHandler {
public:
    explicit CServiceT(const wchar_t* url = kUpdateServiceUrl);
    ~CServiceT() override;

    // Hands out the proxy's own reader when it has one.
    HRESULT AcquireReader(ISAXXMLReader** reader) override;

    // On S_OK `*result` holds the answer (null when the service sent none);
    // the caller frees it with SysFreeString. On failure it is not written.
    HRESULT GetVersionInfo(BSTR* result);

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override;
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }

    const Descriptor* const* OperationDescriptors() override;
    const Descriptor* const* HeaderDescriptors() override;
    const wchar_t* TargetNamespace() override;
    const wchar_t* ServiceName() override { return nullptr; }
    const char* TargetNamespaceA() override;
    HRESULT InvokeOperation(int, void*) override { return E_NOTIMPL; } // a client never dispatches
    void* HeaderObject() override { return this; }
};

extern template class CServiceT<CSoapWininetClient>;

// The descriptors of the service, for tests that read them.
const Descriptor& GetVersionInfoDescriptor();
const Descriptor& GetVersionInfoHeaderDescriptor();

} // namespace Service
