#pragma once
// GDI+ started for the life of the object: GdiplusStartup in the constructor,
// the matching GdiplusShutdown with its own token in the destructor. Start-ups
// nest, so every user can hold one of its own.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

class ScopedGdiplus {
public:
    ScopedGdiplus()
    {
        const Gdiplus::GdiplusStartupInput input; // version 1, no callback, no suppression
        // A failed start-up is not reported: drawing then simply fails.
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    ~ScopedGdiplus() { Gdiplus::GdiplusShutdown(m_token); }
    ScopedGdiplus(const ScopedGdiplus&) = delete;
    ScopedGdiplus& operator=(const ScopedGdiplus&) = delete;

private:
    ULONG_PTR m_token = 0;
};
