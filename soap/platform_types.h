#pragma once
// Windows' integer types for the SOAP code that needs nothing else of
// Windows: the native checks (native/) build that code for Linux too, where
// these types get the widths they have on Windows.
#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>
using USHORT = unsigned short;
using ULONG = std::uint32_t;
#endif
