#pragma once
// An owning COM interface pointer: releases its reference when it goes.
#include <unknwn.h>

namespace soap {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes a new reference to `p`.
    explicit ComPtr(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_p(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_p = other.Detach();
        }
        return *this;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    void Reset()
    {
        if (T* p = m_p) {
            m_p = nullptr;
            p->Release();
        }
    }
    // Holds `p` with a new reference, releasing what was held.
    void Assign(T* p)
    {
        if (p)
            p->AddRef();
        Reset();
        m_p = p;
    }
    // Releases what is held and gives the address to an out-parameter.
    T** ReleaseAndGetAddress()
    {
        Reset();
        return &m_p;
    }
    // Hands out the reference held, leaving this empty.
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }

private:
    T* m_p = nullptr;
};

} // namespace soap
