#pragma once
// AddRef and Release of a hand-written COM object, for every interface it implements: a
// function declared here overrides the one of each base interface. The count changes with
// interlocked operations and the object deletes itself at zero; it starts at 1, the
// creator's reference.

#include <windows.h>
#include <unknwn.h>

template <typename Derived, typename... Bases>
class TRefCounted : public Bases... {
public:
    // A base with constructor arguments (TDispatchImpl) is constructed through this class.
    using Bases::Bases...;

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_refs);
        if (left == 0)
            delete static_cast<Derived*>(this);
        return static_cast<ULONG>(left);
    }

private:
    volatile LONG m_refs = 1;
};
