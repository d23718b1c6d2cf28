#pragma once
// IDispatch of a dual interface, answered by the interface's type information from the
// module's own type library.

#include "CComServer.h"
#include "ComPtr.h"
#include "ComTypes.h"

#include <oleauto.h>

template <typename Interface>
class TDispatchImpl : public Interface {
public:
    TDispatchImpl(const IID& iid, HMODULE typeLibraryModule) : m_iid(iid), m_module(typeLibraryModule) {}
    virtual ~TDispatchImpl() = default;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (index != 0)
            return DISP_E_BADINDEX;
        return comGuard([&] { return typeInfoOf(m_module, m_iid, info); });
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return comGuard([&]() -> HRESULT {
            TComPtr<ITypeInfo> info;
            HRESULT hr = typeInfoOf(m_module, m_iid, info.put());
            return FAILED(hr) ? hr : DispGetIDsOfNames(info.get(), names, count, ids);
        });
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override
    {
        return comGuard([&]() -> HRESULT {
            TComPtr<ITypeInfo> info;
            HRESULT hr = typeInfoOf(m_module, m_iid, info.put());
            if (FAILED(hr))
                return hr;
            return DispInvoke(static_cast<Interface*>(this), info.get(), id, flags, parameters, result, exception,
                              argumentError);
        });
    }

private:
    IID m_iid;
    HMODULE m_module;
};
