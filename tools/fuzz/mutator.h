#pragma once
// Seeded mutations of real services' answers: of their bytes, of the markup's
// tokens (long names, values, references and instructions, other encodings,
// nesting, elements removed or doubled) and of the HTTP framing. The same
// seed answer, seed and case number always give the same bytes.
#include <cstdint>
#include <string>

namespace fuzz {

class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<uint32_t>(m_state >> 16);
    }
    size_t Below(size_t n) { return n ? Next() % n : 0; }

private:
    uint64_t m_state;
};

// An element of `text` chosen at random: [its "<", the end of its end tag or
// its "/>"); false when none is found.
bool PickElement(const std::string& text, Random& random, size_t& begin, size_t& end);

// The raw answer (status line, headers, body) of case `number` under `seed`,
// made from the raw answer `original`.
std::string MutateAnswer(const std::string& original, uint32_t seed, uint32_t number);

} // namespace fuzz
