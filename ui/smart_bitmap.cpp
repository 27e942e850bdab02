#include "ui/smart_bitmap.h"

#include <cstring>

#include "framework/dc.h"

// Built ahead of the program's other static objects and so destroyed after
// them: no holder outlives the GDI+ start-up it relies on.
SmartBitmap g_gdiplusGuard __attribute__((init_priority(1000)));

namespace {
// Runs `draw` on a graphics object over the DC; nothing when none can be made.
template <typename DrawFn>
void WithGraphics(CDC* dc, DrawFn draw)
{
    if (!dc || !dc->GetSafeHdc())
        return;
    Gdiplus::Graphics graphics(dc->GetSafeHdc());
    if (graphics.GetLastStatus() != Gdiplus::Ok)
        return;
    draw(graphics);
}

INT Width(Gdiplus::Bitmap& bitmap)
{
    return static_cast<INT>(bitmap.GetWidth());
}

INT Height(Gdiplus::Bitmap& bitmap)
{
    return static_cast<INT>(bitmap.GetHeight());
}
} // namespace

SmartBitmap::SmartBitmap()
{
    StartupGdiplus();
}

SmartBitmap::SmartBitmap(UINT resourceId, HINSTANCE module)
{
    StartupGdiplus();
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"PNG");
    if (!resource)
        return;
    const DWORD size = ::SizeofResource(module, resource);
    if (size == 0)
        return;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        return;
    LoadFromMemory(bytes, size);
}

SmartBitmap::~SmartBitmap()
{
    Unload();
    ShutdownGdiplus();
    ::DestroyIcon(m_icon);
}

void SmartBitmap::StartupGdiplus()
{
    Gdiplus::GdiplusStartupInput input; // version 1, no callback, no suppression
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
}

void SmartBitmap::ShutdownGdiplus()
{
    Gdiplus::GdiplusShutdown(m_gdiplusToken);
}

bool SmartBitmap::LoadFromMemory(const void* data, UINT32 size)
{
    Unload();
    m_imageMemory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!m_imageMemory)
        return false;
    void* block = ::GlobalLock(m_imageMemory);
    if (!block) {
        ::GlobalFree(m_imageMemory);
        m_imageMemory = nullptr;
        return false;
    }
    std::memcpy(block, data, size);

    IStream* stream = nullptr;
    // The stream never frees the block: the holder does, after the bitmap.
    if (SUCCEEDED(::CreateStreamOnHGlobal(m_imageMemory, FALSE, &stream))) {
        m_bitmap.reset(new Gdiplus::Bitmap(stream));
        stream->Release(); // the bitmap holds its own reference
        if (m_bitmap && m_bitmap->GetLastStatus() == Gdiplus::Ok)
            return true;
        m_bitmap.reset();
    }
    ::GlobalUnlock(m_imageMemory);
    ::GlobalFree(m_imageMemory);
    m_imageMemory = nullptr;
    return false;
}

bool SmartBitmap::SetIcon(HICON icon)
{
    // Meant to be called once; a second icon must not leak the first.
    if (m_icon && m_icon != icon)
        ::DestroyIcon(m_icon);
    m_icon = icon;
    if (icon)
        m_bitmap.reset(Gdiplus::Bitmap::FromHICON(icon));
    return m_bitmap.get() != nullptr;
}

void SmartBitmap::Unload()
{
    m_bitmap.reset();
    if (m_imageMemory) {
        ::GlobalUnlock(m_imageMemory);
        ::GlobalFree(m_imageMemory);
        m_imageMemory = nullptr;
    }
}

void SmartBitmap::Draw(const RECT& rect, CDC* dc) const
{
    if (!m_bitmap)
        return;
    WithGraphics(dc, [&](Gdiplus::Graphics& g) {
        g.DrawImage(m_bitmap.get(), static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                    static_cast<INT>(rect.right - rect.left), static_cast<INT>(rect.bottom - rect.top));
    });
}

void SmartBitmap::Draw(int x, int y, const RECT& sourceRect, CDC* dc) const
{
    if (!m_bitmap)
        return;
    WithGraphics(dc, [&](Gdiplus::Graphics& g) {
        g.DrawImage(m_bitmap.get(), x, y, static_cast<INT>(sourceRect.left), static_cast<INT>(sourceRect.top),
                    static_cast<INT>(sourceRect.right - sourceRect.left),
                    static_cast<INT>(sourceRect.bottom - sourceRect.top), Gdiplus::UnitPixel);
    });
}

void SmartBitmap::Draw(int x, int y, int cx, int cy, CDC* dc) const
{
    if (m_icon && dc) {
        ::DrawIconEx(dc->GetSafeHdc(), x, y, m_icon, cx, cy, 0, nullptr, DI_NORMAL | DI_COMPAT);
        return;
    }
    if (!m_bitmap)
        return;
    WithGraphics(dc, [&](Gdiplus::Graphics& g) { g.DrawImage(m_bitmap.get(), x, y, cx, cy); });
}

void SmartBitmap::Draw(int x, int y, CDC* dc) const
{
    if (m_icon && dc) {
        ::DrawIcon(dc->GetSafeHdc(), x, y, m_icon);
        return;
    }
    if (!m_bitmap)
        return;
    WithGraphics(dc, [&](Gdiplus::Graphics& g) {
        g.DrawImage(m_bitmap.get(), x, y, Width(*m_bitmap), Height(*m_bitmap));
    });
}

void SmartBitmap::Draw(Gdiplus::Graphics& graphics) const
{
    if (!m_bitmap)
        return;
    graphics.DrawImage(m_bitmap.get(), 0, 0, Width(*m_bitmap), Height(*m_bitmap));
}
