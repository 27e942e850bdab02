#pragma once
// An owning handle: closed by its kind's deleter when it goes out of scope.
// It can be moved, never copied, so a handle is closed exactly once.
#include <windows.h>
#include <oleauto.h>
#include <wininet.h>

#include <utility>

// Deleters, one per kind of handle. Each is called only for a non-null handle.
struct CloseHandleDeleter {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};

struct SysFreeStringDeleter {
    void operator()(BSTR text) const { ::SysFreeString(text); }
};

struct InternetCloseHandleDeleter {
    void operator()(HINTERNET handle) const { ::InternetCloseHandle(handle); }
};

struct DestroyIconDeleter {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};

struct GlobalFreeDeleter {
    void operator()(HGLOBAL memory) const { ::GlobalFree(memory); }
};

// Pens, brushes, fonts, bitmaps and regions.
struct DeleteObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};

// DCs made by CreateCompatibleDC; a DC from GetDC goes back with ReleaseDC
// (CClientDC).
struct DeleteDCDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};

// Searches begun by FindFirstFileW. Like CreateFileW it fails with
// INVALID_HANDLE_VALUE, not null: check before holding the handle.
struct FindCloseDeleter {
    void operator()(HANDLE search) const { ::FindClose(search); }
};

template <class Handle, class Deleter>
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : m_handle(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : m_handle(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Handle(); }

    // Closes what is held and holds `handle` instead.
    void reset(Handle handle = Handle())
    {
        Handle old = m_handle;
        m_handle = handle;
        if (old != Handle())
            Deleter()(old);
    }
    // Gives up ownership without closing.
    Handle release()
    {
        Handle handle = m_handle;
        m_handle = Handle();
        return handle;
    }

private:
    Handle m_handle = Handle();
};

using ScopedKernelHandle = ScopedHandle<HANDLE, CloseHandleDeleter>;
using ScopedBstr = ScopedHandle<BSTR, SysFreeStringDeleter>;
using ScopedInternetHandle = ScopedHandle<HINTERNET, InternetCloseHandleDeleter>;
using ScopedIcon = ScopedHandle<HICON, DestroyIconDeleter>;
using ScopedGlobal = ScopedHandle<HGLOBAL, GlobalFreeDeleter>;
template <class GdiObject> // HBITMAP, HRGN, HFONT, ...
using ScopedGdiObject = ScopedHandle<GdiObject, DeleteObjectDeleter>;
using ScopedMemoryDC = ScopedHandle<HDC, DeleteDCDeleter>;
using ScopedFindHandle = ScopedHandle<HANDLE, FindCloseDeleter>;
