#include "ui/smart_bitmap.h"

#include <cstring>
#include <utility>

#include "framework/dc.h"
#include "soap/com_ptr.h"

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

SmartBitmap::SmartBitmap() = default;

SmartBitmap::SmartBitmap(UINT resourceId, HINSTANCE module)
{
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
    // The memory is unlocked before it is freed; the members then shut GDI+
    // down and destroy the icon.
    Unload();
}

bool SmartBitmap::LoadFromMemory(const void* data, UINT32 size)
{
    Unload();
    ScopedGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory)
        return false;
    void* block = ::GlobalLock(memory.get());
    if (!block)
        return false;
    std::memcpy(block, data, size);

    soap::ComPtr<IStream> stream;
    // The stream never frees the block: the holder does, after the bitmap.
    if (SUCCEEDED(::CreateStreamOnHGlobal(memory.get(), FALSE, stream.ReleaseAndGetAddress()))) {
        m_bitmap.reset(new Gdiplus::Bitmap(stream.Get()));
        stream.Reset(); // the bitmap holds its own reference
        if (m_bitmap && m_bitmap->GetLastStatus() == Gdiplus::Ok) {
            m_imageMemory = std::move(memory); // stays locked while the bitmap uses it
            return true;
        }
        m_bitmap.reset();
    }
    ::GlobalUnlock(memory.get());
    return false;
}

bool SmartBitmap::SetIcon(HICON icon)
{
    // Meant to be called once; a second icon must not leak the first.
    if (icon != m_icon.get())
        m_icon.reset(icon);
    if (icon)
        m_bitmap.reset(Gdiplus::Bitmap::FromHICON(icon));
    return m_bitmap.get() != nullptr;
}

void SmartBitmap::Unload()
{
    m_bitmap.reset();
    if (m_imageMemory) {
        ::GlobalUnlock(m_imageMemory.get());
        m_imageMemory.reset();
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
        ::DrawIconEx(dc->GetSafeHdc(), x, y, m_icon.get(), cx, cy, 0, nullptr, DI_NORMAL | DI_COMPAT);
        return;
    }
    if (!m_bitmap)
        return;
    WithGraphics(dc, [&](Gdiplus::Graphics& g) { g.DrawImage(m_bitmap.get(), x, y, cx, cy); });
}

void SmartBitmap::Draw(int x, int y, CDC* dc) const
{
    if (m_icon && dc) {
        ::DrawIcon(dc->GetSafeHdc(), x, y, m_icon.get());
        return;
    }
    if (!m_bitmap)
        return;
    WithGraphics(dc,
                 [&](Gdiplus::Graphics& g) { g.DrawImage(m_bitmap.get(), x, y, Width(*m_bitmap), Height(*m_bitmap)); });
}

void SmartBitmap::Draw(Gdiplus::Graphics& graphics) const
{
    if (!m_bitmap)
        return;
    graphics.DrawImage(m_bitmap.get(), 0, 0, Width(*m_bitmap), Height(*m_bitmap));
}
