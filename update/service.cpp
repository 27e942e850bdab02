#include "update/service_impl.h"

#include <cstddef>

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

const Descriptor& GetVersionInfoDescriptor()
{
    return kGetVersionInfo;
}
const Descriptor& GetVersionInfoHeaderDescriptor()
{
    return kGetVersionInfoHeaders;
}
const Descriptor* const* OperationList()
{
    return kOperations;
}
const Descriptor* const* HeaderList()
{
    return kHeaders;
}

template class CServiceT<CSoapWininetClient>;

} // namespace Service
