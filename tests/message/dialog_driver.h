#pragma once
// Drives a real modal dialog from a second thread: the test thread runs the
// dialog, the driver finds its window, reads it and presses its buttons.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/driver/process_driver.h"

namespace test {

// A button as the driver reads it: window, id, text, client rectangle.
using ButtonInfo = driver::Button;

struct DialogInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    RECT client = {};
    RECT window = {};
    DWORD style = 0;
    DWORD exStyle = 0;
    std::vector<ButtonInfo> buttons; // left to right
};

DialogInfo ReadDialog(HWND dialog);

// Clicks a button the way a user's click does (BM_CLICK).
void Press(HWND button);
// A key press as the dialog's modal loop retrieves it.
void PostKey(HWND window, UINT virtualKey);
// A left-button release at a point in the dialog's client coordinates.
void PostClick(HWND dialog, POINT client);

// True when `window` is gone within `milliseconds`.
bool WaitUntilGone(HWND window, DWORD milliseconds = 5000);

// Runs `run` (which shows a dialog modally) on this thread and `drive` on a
// driver thread once the dialog is visible. A dialog the driver leaves open
// is closed after a grace period, and `leftOpen` says so. Returns run's result.
int RunDriven(const std::function<int()>& run, const std::function<void(HWND)>& drive, bool* leftOpen = nullptr);

// Saves what the screen shows of `window`'s client area as a PNG file.
bool SaveWindowPng(HWND window, const std::wstring& path);

} // namespace test
