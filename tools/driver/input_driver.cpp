#include "tools/driver/input_driver.h"

#include <vector>

namespace driver {

namespace {
bool IsExtendedKey(WORD key)
{
    switch (key) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RCONTROL:
    case VK_RMENU: return true;
    }
    return false;
}

INPUT Key(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

// Absolute mouse coordinates are 0 to 65535 over the primary screen.
INPUT Mouse(POINT at, DWORD flags)
{
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    const int cy = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (at.x * 65536 + cx - 1) / cx;
    input.mi.dy = (at.y * 65536 + cy - 1) / cy;
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    return input;
}

void Send(std::vector<INPUT> inputs)
{
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
} // namespace

HWND FocusedWindow(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool BringToForeground(HWND window, DWORD timeoutMilliseconds)
{
    const DWORD begin = ::GetTickCount();
    do {
        if (::GetForegroundWindow() != window)
            ::SetForegroundWindow(window);
        const HWND focus = FocusedWindow(window);
        if (::GetForegroundWindow() == window && (focus == window || ::IsChild(window, focus)))
            return true;
        ::Sleep(25);
    } while (::GetTickCount() - begin < timeoutMilliseconds);
    return false;
}

void TypeKeys(std::initializer_list<WORD> virtualKeys)
{
    std::vector<INPUT> inputs;
    for (WORD key : virtualKeys) {
        inputs.push_back(Key(key, false));
        inputs.push_back(Key(key, true));
    }
    Send(inputs);
}

void TypeChord(WORD modifier, WORD key)
{
    Send({Key(modifier, false), Key(key, false), Key(key, true), Key(modifier, true)});
}

void DragMouse(POINT from, POINT to)
{
    Send({Mouse(from, 0), Mouse(from, MOUSEEVENTF_LEFTDOWN), Mouse(to, 0), Mouse(to, MOUSEEVENTF_LEFTUP)});
}

} // namespace driver
