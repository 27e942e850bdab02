#pragma once
// The launcher's own location and the path rules for the product beside it.
#include <windows.h>

#include <functional>
#include <string>

// The launcher's own function of that name is meant, not the Win32 macro.
#undef GetModuleFileName

namespace PathHelpers {

// Asks the system for the module file name into a buffer of the given size;
// returns the length it reports, as GetModuleFileNameW does.
using ModuleFileNameQuery = std::function<DWORD(wchar_t* buffer, DWORD size)>;

// The growth loop: starts with 260 characters and grows by 260 while the
// reported length fills the buffer. Raises std::runtime_error
// "PathHelpers::GetModuleFileName fail" when the length is 0.
std::wstring ReadModuleFileName(const ModuleFileNameQuery& query);

// The buffer size after `size`: 260 characters more. Raises CMemoryException
// when its size in bytes would not fit in 32 bits.
DWORD NextModuleBufferSize(DWORD size);

// Full path of the running executable.
std::wstring GetModuleFileName();
// The launcher's directory, ending in its separator.
std::wstring GetModuleDirectory();

// `path` up to and including its last separator (backslash or slash);
// empty when it has none.
std::wstring DirectoryOf(const std::wstring& path);

// Backslashes for slashes; separators repeated right after the root (a
// drive's colon or a network path's server name) collapse into one; a
// network path's leading pair and a "\\?\" prefix are kept.
std::wstring ToNativeForm(std::wstring path);

} // namespace PathHelpers

// `directory` joined with "orlix.bim"; a separator is inserted only when the
// directory is not empty and ends in neither a separator nor a colon.
std::wstring GetProductPath(const std::wstring& directory);
