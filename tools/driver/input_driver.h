#pragma once
// Drives a dialog as a user at the keyboard and mouse does: real input
// through SendInput, which goes to the foreground window's focus. Wine
// delivers it to a dialog only when its X11 driver places windows itself
// (HKCU\Software\Wine\X11 Driver: Managed=N, Decorated=N).
#include <windows.h>

#include <initializer_list>

namespace driver {

// Makes `window` the foreground window; true once it is and the keyboard
// focus lies in it (within `timeoutMilliseconds`).
bool BringToForeground(HWND window, DWORD timeoutMilliseconds = 5000);

// The window with the keyboard focus in `window`'s thread, or null.
HWND FocusedWindow(HWND window);

// Presses and releases each key in turn.
void TypeKeys(std::initializer_list<WORD> virtualKeys);
// Presses `key` while `modifier` is held down.
void TypeChord(WORD modifier, WORD key);
// Presses the left button at `from` and releases it at `to` (screen points).
void DragMouse(POINT from, POINT to);

} // namespace driver
