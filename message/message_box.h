#pragma once
// The message-box calls the rest of the program uses.
#include <windows.h>

#include "message/message_dialog.h"

namespace Message {

// Shows the message box modally over `parent` (may be null) and returns the
// identifier that ended it, or -1 when the dialog could not be created.
int Show(const CString& caption, const CString& text, Type type, const ButtonSpecs& buttons, HWND parent = nullptr);
// The same with one standard button (IDOK, IDCANCEL, IDYES, IDNO, IDCLOSE).
int Show(int buttonId, const CString& caption, const CString& text, Type type, HWND parent = nullptr);

// Appends `spec`; returns the list for chained calls.
ButtonSpecs& AddButton(ButtonSpecs& buttons, const ButtonSpec& spec);
// Appends the standard button `id` with its catalogue label.
ButtonSpecs& AddStandardButton(ButtonSpecs& buttons, int id);
// The catalogue label of a standard button; empty for other identifiers.
CString StandardButtonLabel(int id);

} // namespace Message
