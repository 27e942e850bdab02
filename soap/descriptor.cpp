#include "soap/descriptor.h"

#include <cwchar>

namespace {

// The formatter would put each name on a line of its own.
// clang-format off
#define SOAP_TYPE(name) {name, L##name, sizeof(name) - 1}
const SoapTypeName kTypeNames[SoapType::kCount] = {
    SOAP_TYPE("string"), SOAP_TYPE("boolean"), SOAP_TYPE("float"), SOAP_TYPE("double"),
    SOAP_TYPE("decimal"), SOAP_TYPE("duration"), SOAP_TYPE("hexBinary"), SOAP_TYPE("base64Binary"),
    SOAP_TYPE("anyURI"), SOAP_TYPE("ID"), SOAP_TYPE("IDREF"), SOAP_TYPE("ENTITY"),
    SOAP_TYPE("NOTATION"), SOAP_TYPE("QName"), SOAP_TYPE("normalizedString"), SOAP_TYPE("token"),
    SOAP_TYPE("language"), SOAP_TYPE("IDREFS"), SOAP_TYPE("ENTITIES"), SOAP_TYPE("NMTOKEN"),
    SOAP_TYPE("NMTOKENS"), SOAP_TYPE("Name"), SOAP_TYPE("NCName"), SOAP_TYPE("integer"),
    SOAP_TYPE("nonPositiveInteger"), SOAP_TYPE("negativeInteger"), SOAP_TYPE("long"), SOAP_TYPE("int"),
    SOAP_TYPE("short"), SOAP_TYPE("byte"), SOAP_TYPE("nonNegativeInteger"), SOAP_TYPE("unsignedLong"),
    SOAP_TYPE("unsignedInt"), SOAP_TYPE("unsignedShort"), SOAP_TYPE("unsignedByte"),
    SOAP_TYPE("positiveInteger"), SOAP_TYPE("dateTime"), SOAP_TYPE("time"), SOAP_TYPE("date"),
    SOAP_TYPE("gMonth"), SOAP_TYPE("gYearMonth"), SOAP_TYPE("gYear"), SOAP_TYPE("gMonthDay"),
    SOAP_TYPE("gDay"),
};
#undef SOAP_TYPE
// clang-format on

} // namespace

SoapTypeName GetSoapTypeName(int typeCode)
{
    if (typeCode < 0 || typeCode >= SoapType::kCount)
        return {nullptr, nullptr, 0};
    return kTypeNames[typeCode];
}

bool IsStringType(int typeCode)
{
    return typeCode == 0 || typeCode == 5 || (typeCode >= 8 && typeCode <= 22) || (typeCode >= 36 && typeCode <= 43);
}

bool NamesEqual(ULONG hashA, const wchar_t* a, int lengthA, ULONG hashB, const wchar_t* b, int lengthB)
{
    return hashA == hashB && lengthA == lengthB &&
           (lengthA == 0 || std::wmemcmp(a, b, static_cast<size_t>(lengthA)) == 0);
}
