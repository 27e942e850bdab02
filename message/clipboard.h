#pragma once
// Puts text on the clipboard for other programs to paste.
#include <windows.h>

#include <string>

namespace Message {

// Replaces the clipboard's contents with `text` as Unicode text; false when
// the clipboard stayed busy or the memory could not be had.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

} // namespace Message
