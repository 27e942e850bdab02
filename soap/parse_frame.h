#pragma once
// One level of the response parser's stack: the record or value being filled
// and which of its entries have arrived.
#include "soap/descriptor.h"

#include <cstdint>
#include <vector>

// One bit per entry of a descriptor: 64 held inline, more on demand.
class ReceivedBits {
public:
    bool Test(size_t index) const;
    void Set(size_t index); // may throw std::bad_alloc

private:
    uint64_t m_first = 0;
    std::vector<uint64_t> m_more;
};

struct ParseFrame {
    void* m_target; // storage being filled
    ULONG m_flags;  // the entry's flags, plus kWaitsForValue
    int m_index;    // bottom frame: the operation's index
    int m_expected;
    int m_received;
    const Descriptor* m_descriptor; // may be null
    const DescriptorEntry* m_entry; // may be null
    ReceivedBits m_bits;
    int m_depth;
};
