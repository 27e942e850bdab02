#pragma once
// GDI+ started for the life of the object: GdiplusStartup in the constructor,
// the matching GdiplusShutdown with its own token in the destructor. Start-ups
// nest, so every user can hold one of its own.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

class ScopedGdiplus {
public:
    ScopedGdiplus() { Startup(); }
    ~ScopedGdiplus() { Shutdown(); }
    ScopedGdiplus(const ScopedGdiplus&) = delete;
    ScopedGdiplus& operator=(const ScopedGdiplus&) = delete;

    // Starts GDI+ unless this object holds a start-up already. A failed
    // start-up is not reported: drawing then simply fails.
    void Startup()
    {
        if (m_token)
            return;
        const Gdiplus::GdiplusStartupInput input; // version 1, no callback, no suppression
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    // Ends this object's start-up, once.
    void Shutdown()
    {
        if (m_token)
            Gdiplus::GdiplusShutdown(m_token);
        m_token = 0;
    }

private:
    ULONG_PTR m_token = 0;
};
