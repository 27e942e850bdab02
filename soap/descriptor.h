#pragma once
// Static descriptions of web-service operations, from which requests are
// written and responses read. Proxies define them as constant tables.
#include "soap/platform_types.h"

struct DescriptorEntry;

struct Descriptor {
    ULONG m_nameHash;       // NameHash of m_nameW
    const char* m_nameA;    // element name written in requests
    const wchar_t* m_nameW; // element name the service answers with
    int m_nameLengthA;
    int m_nameLengthW;
    int m_kind;                       // SoapKind
    const DescriptorEntry* m_entries; // ended by an entry whose hash is 0
    int m_recordSize;                 // bytes of the parameter record
    int m_elementCount;               // elements expected inside the wrapper
    int m_returnValueIndex;           // -1: none
    ULONG m_callFlags;                // SoapFlag bits
    ULONG m_namespaceHash;
    const char* m_namespaceA;
    const wchar_t* m_namespaceW;
    int m_namespaceLength;
};

struct DescriptorEntry {
    ULONG m_nameHash; // 0 ends the array
    const char* m_nameA;
    const wchar_t* m_nameW;
    int m_nameLength;   // the same for both forms
    int m_typeCode;     // SoapType, or kNestedType
    ULONG m_flags;      // SoapFlag bits
    int m_recordOffset; // of the value in the parameter record
    const int* m_arrayDimensions;
    const Descriptor* m_nested;
    int m_sizeIsIndex;     // -1: none
    ULONG m_namespaceHash; // 0: no namespace of its own
    const char* m_namespaceA;
    const wchar_t* m_namespaceW;
    int m_namespaceLength;
};

namespace SoapKind {
constexpr int kEnumeration = 1;
constexpr int kOperation = 2;
constexpr int kStructure = 3;
constexpr int kHeaderList = 5;
} // namespace SoapKind

namespace SoapFlag {
constexpr ULONG kIn = 0x1;
constexpr ULONG kOut = 0x2;
constexpr ULONG kReturnValue = 0x4;
constexpr ULONG kDynamicArray = 0x8;
constexpr ULONG kFixedArray = 0x10;
constexpr ULONG kMustUnderstand = 0x20;
constexpr ULONG kWaitsForValue = 0x80; // frames only
constexpr ULONG kNoMarshal = 0x200;
constexpr ULONG kNullable = 0x400;
constexpr ULONG kDocument = 0x800;
constexpr ULONG kRpc = 0x1000;
constexpr ULONG kLiteral = 0x2000;
constexpr ULONG kEncoded = 0x4000;
constexpr ULONG kWrapped = 0x8000;
constexpr ULONG kParametersAsDocument = 0x10000;
} // namespace SoapFlag

// XML Schema simple types by code; kNestedType marks a nested descriptor.
namespace SoapType {
constexpr int kNestedType = -1;
constexpr int kString = 0;
constexpr int kBoolean = 1;
constexpr int kBase64Binary = 7;
constexpr int kInt = 27;
constexpr int kCount = 44;
} // namespace SoapType

struct SoapTypeName {
    const char* m_nameA;
    const wchar_t* m_nameW;
    int m_length;
};
// The schema name of a type code (0 to 43); null texts for other codes.
SoapTypeName GetSoapTypeName(int typeCode);
// True for the codes whose values are held as system strings.
bool IsStringType(int typeCode);

// hash = hash * 33 + code unit, modulo 2^32.
constexpr ULONG NameHash(const wchar_t* text, int length)
{
    ULONG hash = 0;
    for (int i = 0; i < length; ++i)
        hash = hash * 33u + static_cast<unsigned short>(text[i]);
    return hash;
}

// By hash, then length, then code units (case-sensitive).
bool NamesEqual(ULONG hashA, const wchar_t* a, int lengthA, ULONG hashB, const wchar_t* b, int lengthB);
inline bool NamesEqual(const wchar_t* a, int lengthA, const wchar_t* b, int lengthB)
{
    return NamesEqual(NameHash(a, lengthA), a, lengthA, NameHash(b, lengthB), b, lengthB);
}

// The namespaces of SOAP 1.1 and XML Schema 2001.
constexpr wchar_t kSoapEnvelopeNamespace[] = L"http://schemas.xmlsoap.org/soap/envelope/";
constexpr int kSoapEnvelopeNamespaceLength = 41;
constexpr wchar_t kSoapEncodingNamespace[] = L"http://schemas.xmlsoap.org/soap/encoding/";
constexpr wchar_t kXsiNamespace[] = L"http://www.w3.org/2001/XMLSchema-instance";
constexpr int kXsiNamespaceLength = 41;
constexpr wchar_t kXsdNamespace[] = L"http://www.w3.org/2001/XMLSchema";

static_assert(NameHash(kSoapEnvelopeNamespace, kSoapEnvelopeNamespaceLength) == 0x5D3574E2);

// True for the SOAP 1.1 envelope namespace, which answers and faults must use.
inline bool IsEnvelopeNamespace(const wchar_t* uri, int length)
{
    return NamesEqual(uri, length, kSoapEnvelopeNamespace, kSoapEnvelopeNamespaceLength);
}
