// The command-line tail on any command line: it is a suffix of the line that
// starts at a non-blank, right after the blanks that end the program name,
// and that name has no blank outside quotes.
#include "framework/command_line.h"
#include "native/fuzz/fuzz_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring line = FuzzText(data, size); // read up to its first NUL, as the system hands it
    const wchar_t* begin = line.c_str();
    const wchar_t* end = begin + std::char_traits<wchar_t>::length(begin);
    const wchar_t* tail = CommandLineTail(begin);

    FUZZ_CHECK(tail >= begin && tail <= end);
    FUZZ_CHECK(tail == end || *tail > L' ');
    const wchar_t* nameEnd = tail;
    while (nameEnd > begin && nameEnd[-1] <= L' ')
        --nameEnd;
    FUZZ_CHECK(tail == end || nameEnd < tail);
    bool inQuotes = false;
    for (const wchar_t* p = begin; p < nameEnd; ++p) {
        if (*p == L'"')
            inQuotes = !inQuotes;
        FUZZ_CHECK(*p > L' ' || inQuotes);
    }
    // The name ends outside quotes, unless it runs to the end of the line.
    FUZZ_CHECK(!inQuotes || tail == end);
    return 0;
}
