#pragma once
// Owning COM interface pointer: AddRef on copy, Release on destruction.

#include <windows.h>
#include <objbase.h>
#include <utility>

template <typename T>
class TComPtr {
public:
    TComPtr() noexcept = default;
    TComPtr(std::nullptr_t) noexcept {}
    // Takes a reference of its own.
    explicit TComPtr(T* p) noexcept : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    TComPtr(const TComPtr& other) noexcept : TComPtr(other.m_p) {}
    TComPtr(TComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~TComPtr() { reset(); }

    TComPtr& operator=(TComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    // Adopts a pointer that already carries a reference for us.
    static TComPtr attach(T* p) noexcept
    {
        TComPtr r;
        r.m_p = p;
        return r;
    }

    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // Out parameter for creation functions; releases what was held.
    T** put() noexcept
    {
        reset();
        return &m_p;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

    T* detach() noexcept { return std::exchange(m_p, nullptr); }

    void reset() noexcept
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }

    template <typename U>
    HRESULT queryInterface(REFIID iid, TComPtr<U>& out) const noexcept
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(iid, out.putVoid());
    }

private:
    T* m_p = nullptr;
};
