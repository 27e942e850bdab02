#pragma once
// Drives a real modal dialog from a second thread: the test thread runs the
// dialog, the driver finds its window, reads it and presses its buttons.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/scoped_handle.h"
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

// What the screen shows of a window's client area, read once: its pixels,
// and a PNG file of them.
class ClientPicture {
public:
    explicit ClientPicture(HWND window);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The pixel at a point in the window's client coordinates; CLR_INVALID outside.
    COLORREF At(int x, int y) const;
    // Needs GDI+ running, as it does while a message box is open.
    bool SavePng(const std::wstring& path) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<COLORREF> m_pixels; // rows top to bottom
    ScopedGdiObject<HBITMAP> m_bitmap;
};

} // namespace test
