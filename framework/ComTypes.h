#pragma once
// RAII owners of COM's own resources: the OLE initialisation scope, BSTR and VARIANT.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <utility>

// OleInitialize for the lifetime of the object: COM apartment-threaded, plus what the
// web-browser control and drag and drop need.
class COleInit {
public:
    COleInit() : m_hr(OleInitialize(nullptr)) {}
    ~COleInit()
    {
        if (SUCCEEDED(m_hr))
            OleUninitialize();
    }
    COleInit(const COleInit&) = delete;
    COleInit& operator=(const COleInit&) = delete;
    bool ok() const { return SUCCEEDED(m_hr); }

private:
    HRESULT m_hr;
};

class CBstr {
public:
    CBstr() = default;
    explicit CBstr(const std::wstring& text) : m_b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~CBstr() { SysFreeString(m_b); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    CBstr(CBstr&& other) noexcept : m_b(std::exchange(other.m_b, nullptr)) {}
    CBstr& operator=(CBstr&& other) noexcept
    {
        std::swap(m_b, other.m_b);
        return *this;
    }

    BSTR get() const { return m_b; }
    BSTR* put()
    {
        SysFreeString(std::exchange(m_b, nullptr));
        return &m_b;
    }
    BSTR detach() { return std::exchange(m_b, nullptr); }
    std::wstring str() const { return m_b ? std::wstring(m_b, SysStringLen(m_b)) : std::wstring(); }

private:
    BSTR m_b = nullptr;
};

class CVariant {
public:
    CVariant() { VariantInit(&m_v); }
    ~CVariant() { VariantClear(&m_v); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;

    VARIANT* get() { return &m_v; }
    const VARIANT& ref() const { return m_v; }
    VARIANT* put()
    {
        VariantClear(&m_v);
        return &m_v;
    }

private:
    VARIANT m_v;
};

// Runs a COM method's body: no exception may leave a COM method, so one that escapes the
// body becomes an error result.
template <typename Body>
HRESULT comGuard(Body body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// A newly allocated BSTR for an [out, retval] text; E_OUTOFMEMORY when allocation fails.
inline HRESULT returnText(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}
