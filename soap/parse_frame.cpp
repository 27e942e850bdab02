#include "soap/parse_frame.h"

bool ReceivedBits::Test(size_t index) const
{
    if (index < 64)
        return (m_first >> index) & 1u;
    const size_t word = index / 64 - 1;
    return word < m_more.size() && ((m_more[word] >> (index % 64)) & 1u);
}

void ReceivedBits::Set(size_t index)
{
    if (index < 64) {
        m_first |= uint64_t{1} << index;
        return;
    }
    const size_t word = index / 64 - 1;
    if (word >= m_more.size())
        m_more.resize(word + 1);
    m_more[word] |= uint64_t{1} << (index % 64);
}
