#include "tests/message/dialog_driver.h"

#include <objidl.h>
#include <gdiplus.h>

#include <thread>

#include "framework/dc.h"
#include "framework/scoped_handle.h"

namespace test {

namespace {
struct ThreadSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM lParam)
{
    wchar_t className[64] = {};
    ::GetClassNameW(hwnd, className, 64);
    if (::IsWindowVisible(hwnd) && lstrcmpW(className, L"#32770") == 0) {
        reinterpret_cast<ThreadSearch*>(lParam)->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(DWORD threadId, DWORD milliseconds)
{
    for (DWORD waited = 0; waited < milliseconds; waited += 20) {
        ThreadSearch search;
        ::EnumThreadWindows(threadId, FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        ::Sleep(20);
    }
    return nullptr;
}

// The screen's pixels in `rect` (screen coordinates), as a bitmap of their own.
ScopedGdiObject<HBITMAP> CopyScreen(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const CClientDC screen(nullptr); // no window: the screen
    const ScopedMemoryDC memory(::CreateCompatibleDC(screen));
    ScopedGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, width, height));
    const HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory.get(), previous);
    return bitmap;
}
} // namespace

DialogInfo ReadDialog(HWND dialog)
{
    DialogInfo info;
    info.hwnd = dialog;
    wchar_t caption[256] = {};
    ::GetWindowTextW(dialog, caption, 256);
    info.caption = caption;
    ::GetClientRect(dialog, &info.client);
    ::GetWindowRect(dialog, &info.window);
    info.style = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE));
    info.exStyle = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE));
    info.buttons = driver::Buttons(dialog);
    return info;
}

void Press(HWND button)
{
    ::SendMessageW(button, BM_CLICK, 0, 0);
}

void PostKey(HWND window, UINT virtualKey)
{
    ::PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
}

void PostClick(HWND dialog, POINT client)
{
    ::PostMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    ::PostMessageW(dialog, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
}

bool WaitUntilGone(HWND window, DWORD milliseconds)
{
    for (DWORD waited = 0; waited < milliseconds; waited += 20) {
        if (!::IsWindow(window))
            return true;
        ::Sleep(20);
    }
    return !::IsWindow(window);
}

int RunDriven(const std::function<int()>& run, const std::function<void(HWND)>& drive, bool* leftOpen)
{
    const DWORD threadId = ::GetCurrentThreadId();
    bool open = false;
    std::thread driver([&] {
        HWND dialog = WaitForDialog(threadId, 10000);
        if (!dialog)
            return;
        drive(dialog);
        if (!WaitUntilGone(dialog, 3000)) {
            open = true;
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    const int result = run();
    driver.join();
    if (leftOpen)
        *leftOpen = open;
    return result;
}

ClientPicture::ClientPicture(HWND window)
{
    RECT rect = {};
    ::GetClientRect(window, &rect);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    m_width = rect.right - rect.left;
    m_height = rect.bottom - rect.top;
    m_bitmap = CopyScreen(rect);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = -m_height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> bits(static_cast<size_t>(m_width) * static_cast<size_t>(m_height));
    const CClientDC screen(nullptr);
    if (bits.empty() || ::GetDIBits(screen, m_bitmap.get(), 0, static_cast<UINT>(m_height), bits.data(), &info,
                                    DIB_RGB_COLORS) != m_height) {
        m_width = m_height = 0;
        return;
    }
    m_pixels.reserve(bits.size());
    for (const RGBQUAD& pixel : bits)
        m_pixels.push_back(RGB(pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue));
}

COLORREF ClientPicture::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

bool ClientPicture::SavePng(const std::wstring& path) const
{
    UINT count = 0;
    UINT size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (!m_bitmap || !size || Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (lstrcmpW(codecs[i].MimeType, L"image/png") != 0)
            continue;
        Gdiplus::Bitmap image(m_bitmap.get(), nullptr);
        return image.Save(path.c_str(), &codecs[i].Clsid, nullptr) == Gdiplus::Ok;
    }
    return false;
}

} // namespace test
