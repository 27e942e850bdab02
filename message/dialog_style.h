#pragma once
// The window styles of the message box's template "IDD_EXTENDED_MESSAGE_BOX",
// named once for the template and for the tests that check or borrow them.
#include <windows.h>

namespace Message {

// 0x80C800C8: a modal popup with caption and system menu, in its template's font.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
static_assert(kDialogStyle == 0x80C800C8);
constexpr DWORD kDialogExStyle = WS_EX_TOPMOST;

} // namespace Message
