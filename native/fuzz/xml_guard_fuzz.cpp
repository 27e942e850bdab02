// The guard in front of the XML reader, on any bytes: its verdict does not
// depend on how the stream splits them, and once it refuses it stays so.
#include <cstddef>
#include <cstdint>

#include "native/fuzz/fuzz_text.h"
#include "soap/xml_guard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    soap::XmlGuard whole;
    const bool accepted = whole.Accept(data, size);
    FUZZ_CHECK(accepted == !whole.Refused());

    // The same bytes in pieces whose sizes the bytes themselves choose.
    soap::XmlGuard pieces;
    bool stillAccepted = true;
    for (std::size_t at = 0, n = 0; at < size; ++n) {
        std::size_t piece = 1 + (size ? data[n % size] % 7 : 0);
        if (piece > size - at)
            piece = size - at;
        const bool before = !pieces.Refused();
        stillAccepted = pieces.Accept(data + at, piece);
        FUZZ_CHECK(before || !stillAccepted);
        at += piece;
    }
    FUZZ_CHECK(stillAccepted == accepted);
    return 0;
}
