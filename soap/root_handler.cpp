#include "soap/root_handler.h"

#include <cstring>
#include <new>

namespace {

// An entry goes the way its flag names; one flagged neither way goes both ways.
bool Travels(const DescriptorEntry& entry, ULONG way)
{
    return (entry.m_flags & way) || !(entry.m_flags & (SoapFlag::kIn | SoapFlag::kOut));
}

} // namespace

CSoapRootHandler::CSoapRootHandler(ISAXXMLReader* reader)
{
    m_reader.Assign(reader);
}

CSoapRootHandler::~CSoapRootHandler()
{
    DisengageHelpers();
}

void CSoapRootHandler::DisengageHelpers()
{
    m_stringBuilder.Disengage();
    m_skipHandler.Disengage();
}

// A client sends the in-entries and receives the out-entries; a server the reverse.
bool CSoapRootHandler::Sends(const DescriptorEntry& entry) const
{
    return Travels(entry, m_clientMode ? SoapFlag::kIn : SoapFlag::kOut);
}

bool CSoapRootHandler::Receives(const DescriptorEntry& entry) const
{
    return Travels(entry, m_clientMode ? SoapFlag::kOut : SoapFlag::kIn);
}

const Descriptor* CSoapRootHandler::DescriptorAt(const Descriptor* const* list, int index) const
{
    if (!list || index < 0)
        return nullptr;
    for (int i = 0; i < index; ++i)
        if (!list[i])
            return nullptr;
    return list[index];
}

HRESULT CSoapRootHandler::PushFrame(void* target, const Descriptor* descriptor, const DescriptorEntry* entry,
                                    ULONG flags, int index, int expectedCount, int receivedCount)
{
    try {
        m_frames.push_back(
            ParseFrame{target, flags, index, expectedCount, receivedCount, descriptor, entry, ReceivedBits(), m_depth});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CSoapRootHandler::BeginCall(int operationIndex, void* record)
{
    const Descriptor* operation = DescriptorAt(OperationDescriptors(), operationIndex);
    const Descriptor* headers = DescriptorAt(HeaderDescriptors(), operationIndex);
    if (!operation || !headers || !record)
        return E_FAIL;
    m_params = record;
    m_frames.clear();
    return PushFrame(HeaderObject(), headers, nullptr, 0, operationIndex, headers->m_elementCount, 0);
}

void CSoapRootHandler::EndCall()
{
    // The bottom frame names the call's operation, whichever frame it is now.
    const Descriptor* operation =
        m_frames.empty() ? nullptr : DescriptorAt(OperationDescriptors(), m_frames.front().m_index);
    if (operation && m_params)
        std::memset(m_params, 0, static_cast<size_t>(operation->m_recordSize));
    m_frames.clear();
    m_params = nullptr;
}

HRESULT CSoapRootHandler::ReportFault(int, const wchar_t*, int)
{
    return m_clientMode ? S_OK : E_FAIL;
}

void CSoapRootHandler::FreeOutValues(const Descriptor* descriptor, void* record)
{
    if (!descriptor || !record)
        return;
    for (const DescriptorEntry* entry = descriptor->m_entries; entry && entry->m_nameHash; ++entry) {
        if (Receives(*entry) && entry->m_typeCode != SoapType::kNestedType)
            FreeValue(static_cast<BYTE*>(record) + entry->m_recordOffset, entry->m_typeCode);
    }
}

void CSoapRootHandler::FreeHeaderValues()
{
    if (m_frames.empty())
        return;
    FreeOutValues(DescriptorAt(HeaderDescriptors(), m_frames.front().m_index), HeaderObject());
}

void CSoapRootHandler::FreeResults()
{
    FreeHeaderValues();
    if (m_frames.empty() || !m_params)
        return;
    FreeOutValues(DescriptorAt(OperationDescriptors(), m_frames.front().m_index), m_params);
}
