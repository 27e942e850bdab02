#pragma once
// What the fuzz targets share: the fuzzer's bytes read as UTF-16 text, and a
// check that stops the run on a broken property.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A byte below 0xFF is the code unit of that value, so seeds stay plain
// text; 0xFF takes the next two bytes (high first) as any unit, surrogates
// included. Units stay within 16 bits, as they are on Windows.
inline std::wstring FuzzText(const std::uint8_t* data, std::size_t size)
{
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != 0xFF) {
            text += static_cast<wchar_t>(data[i]);
        } else if (i + 2 < size) {
            text += static_cast<wchar_t>(data[i + 1] << 8 | data[i + 2]);
            i += 2;
        }
    }
    return text;
}

[[noreturn]] inline void FuzzCheckFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? void() : FuzzCheckFailed(#condition, __FILE__, __LINE__))
