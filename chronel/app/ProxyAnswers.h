#pragma once
// How the automation object's operations answer: the COM guard, the out-pointer checks and
// the conversions to the interface's types, shared by the files of CChronelProxyObj.

#include "ComTypes.h"

#include <windows.h>

#include <string>

namespace proxyanswer {

// One operation's answer: the COM guard, the out-pointer check and the conversion to the
// interface's types. A body that throws becomes an error result.
template <typename Body>
HRESULT answerNumber(LONG* out, Body body)
{
    return comGuard([&]() -> HRESULT {
        if (!out)
            return E_POINTER;
        *out = static_cast<LONG>(body());
        return S_OK;
    });
}

template <typename Body>
HRESULT answerText(BSTR* out, Body body)
{
    return comGuard([&]() -> HRESULT { return returnText(body(), out); });
}

// An entry that may not exist: S_FALSE with no text when `body` finds none.
template <typename Body>
HRESULT answerEntry(BSTR* out, Body body)
{
    return comGuard([&]() -> HRESULT {
        if (!out)
            return E_POINTER;
        std::wstring text;
        if (!body(text)) {
            *out = nullptr;
            return S_FALSE;
        }
        return returnText(text, out);
    });
}

// A number that may not exist: S_FALSE and 0 when `body` finds none.
template <typename Body>
HRESULT answerNumberEntry(LONG* out, Body body)
{
    return comGuard([&]() -> HRESULT {
        if (!out)
            return E_POINTER;
        LONG value = 0;
        const bool found = body(value);
        *out = found ? value : 0;
        return found ? S_OK : S_FALSE;
    });
}

template <typename Body>
HRESULT act(Body body)
{
    return comGuard([&]() -> HRESULT {
        body();
        return S_OK;
    });
}

inline std::wstring textOf(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

} // namespace proxyanswer
