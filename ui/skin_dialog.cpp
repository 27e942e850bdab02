#include "ui/skin_dialog.h"

#include <algorithm>

#include "framework/win_app.h"

namespace {
HWND ReferenceWindow()
{
    HWND window = nullptr;
    if (CWinApp* app = AfxGetApp())
        window = app->GetMainWnd();
    return window ? window : ::GetDesktopWindow();
}
} // namespace

DEFINE_WINDOW_CLASS(SkinDialog, CDialog);

POINT CenterOver(const RECT& reference, int cx, int cy)
{
    POINT at;
    at.x = reference.left + ((reference.right - cx - reference.left) >> 1);
    at.y = reference.top + ((reference.bottom - cy - reference.top) >> 1);
    return at;
}

RECT PlaceInWorkArea(const RECT& reference, int cx, int cy, const RECT& work)
{
    const int height = std::min<int>(cy, std::max<int>(work.bottom - work.top, 0));
    POINT at = CenterOver(reference, cx, height);
    // Right and bottom first, then left and top, which win when it is larger.
    at.x = std::max<int>(std::min<int>(at.x, work.right - cx), work.left);
    at.y = std::max<int>(std::min<int>(at.y, work.bottom - height), work.top);
    return RECT{at.x, at.y, at.x + cx, at.y + height};
}

SkinDialog::SkinDialog(const DialogTemplate& dialogTemplate, CWnd* parent) : CDialog(dialogTemplate, parent) {}

void SkinDialog::ResizeAndCenter(int cx, int cy)
{
    HWND reference = ReferenceWindow();
    if (!reference) {
        SetWindowPos(nullptr, 100, 100, cx, cy, SWP_NOZORDER);
        return;
    }
    RECT rect = {};
    ::GetWindowRect(reference, &rect);
    const POINT at = CenterOver(rect, cx, cy);
    const RECT centred = {at.x, at.y, at.x + cx, at.y + cy};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromRect(&centred, MONITOR_DEFAULTTONEAREST), &monitor)) {
        SetWindowPos(nullptr, at.x, at.y, cx, cy, SWP_NOZORDER);
        return;
    }
    const RECT placed = PlaceInWorkArea(rect, cx, cy, monitor.rcWork);
    SetWindowPos(nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                 SWP_NOZORDER);
}
