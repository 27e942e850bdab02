#pragma once
// SmartBitmap holds at most one GDI+ bitmap and one icon, measures and draws
// them. Every holder keeps GDI+ started for its own life; g_gdiplusGuard
// keeps it started for the life of the process.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <boost/shared_ptr.hpp>

#include "framework/scoped_handle.h"
#include "ui/scoped_gdiplus.h"

class CDC;

class SmartBitmap {
public:
    SmartBitmap();
    // Loads the resource of type "PNG" with this identifier from `module`
    // (null: the executable); an image that cannot be loaded leaves the holder empty.
    SmartBitmap(UINT resourceId, HINSTANCE module);
    virtual ~SmartBitmap();
    SmartBitmap(const SmartBitmap&) = delete;
    SmartBitmap& operator=(const SmartBitmap&) = delete;

    // Replaces the held image with one decoded from a private copy of the
    // bytes (any format GDI+ decodes); false leaves no bitmap and no copy.
    bool LoadFromMemory(const void* data, UINT32 size);
    // Takes ownership of `icon` and, when not null, wraps it in a bitmap for
    // measuring; true when a bitmap is held afterwards. At most once per holder.
    bool SetIcon(HICON icon);
    // Releases the bitmap and its bytes; the icon stays.
    void Unload();
    // The held bitmap for reading its size; null when none. Not owned by the
    // caller, valid until the next load, Unload or destruction.
    Gdiplus::Bitmap* GetBitmap() const { return m_bitmap.get(); }
    HICON GetIcon() const { return m_icon.get(); }

    // The bitmap stretched into `rect`.
    virtual void Draw(const RECT& rect, CDC* dc) const;
    // The part `sourceRect` of the bitmap at (x, y), unscaled.
    virtual void Draw(int x, int y, const RECT& sourceRect, CDC* dc) const;
    // The icon (or else the bitmap) at (x, y) sized cx by cy.
    virtual void Draw(int x, int y, int cx, int cy, CDC* dc) const;
    // The icon (or else the bitmap) at (x, y) at its own size.
    virtual void Draw(int x, int y, CDC* dc) const;
    // The bitmap at the origin of `graphics`; a failure stays in its last status.
    virtual void Draw(Gdiplus::Graphics& graphics) const;

    // The start-up and shut-down that the constructors and the destructor
    // also make, each at most once per holder.
    virtual void StartupGdiplus() { m_gdiplusToken.Startup(); }
    virtual void ShutdownGdiplus() { m_gdiplusToken.Shutdown(); }

private:
    // Declared in the reverse of their release: the bitmap, the memory it was
    // decoded from, GDI+, and the icon last.
    ScopedIcon m_icon;
    ScopedGdiplus m_gdiplusToken; // this holder's own start-up and its token
    ScopedGlobal m_imageMemory;   // locked once while a loaded bitmap uses it
    boost::shared_ptr<Gdiplus::Bitmap> m_bitmap;
};

// Keeps GDI+ started from before the first holder to after the last one.
extern SmartBitmap g_gdiplusGuard;
