#pragma once
// The suite components Chronel connects to at start-up: the vault (class Cofferix of Cofferctl)
// and the companion component. Only the interfaces' vtable layout and identifiers are used.

#include <windows.h>
#include <oaidl.h>

// {7EA419B2-5ACD-468E-8C7B-0EA1BD472A94}
inline constexpr CLSID kClsidCofferix = {0x7EA419B2, 0x5ACD, 0x468E, {0x8C, 0x7B, 0x0E, 0xA1, 0xBD, 0x47, 0x2A, 0x94}};
// {1D6C4497-A987-41DA-BC4D-57740D1FB1C2}
inline constexpr IID kIidICofferix = {0x1D6C4497, 0xA987, 0x41DA, {0xBC, 0x4D, 0x57, 0x74, 0x0D, 0x1F, 0xB1, 0xC2}};
// {EF9401FD-662D-4EBB-8154-A3A979EB96B2}
inline constexpr CLSID kClsidCompanion = {0xEF9401FD, 0x662D, 0x4EBB, {0x81, 0x54, 0xA3, 0xA9, 0x79, 0xEB, 0x96, 0xB2}};
// {0704E202-586C-45DB-B647-6A7DFA8D0F71}
inline constexpr IID kIidCompanion = {0x0704E202, 0x586C, 0x45DB, {0xB6, 0x47, 0x6A, 0x7D, 0xFA, 0x8D, 0x0F, 0x71}};

// The vault's host interface (a dual interface; its four methods follow IDispatch's seven).
struct ICofferix : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE installMonitor(long install) = 0;
    virtual HRESULT STDMETHODCALLTYPE processCommandLine(BSTR commandLine, long* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE setProcessName(BSTR process) = 0;
    virtual HRESULT STDMETHODCALLTYPE getAboutText(BSTR* text) = 0;
};

// The companion: Chronel calls only its second method after the dispatch methods.
struct ICompanion : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE firstMethod() = 0; // never called
    virtual HRESULT STDMETHODCALLTYPE connect(long on, long* result) = 0;
};
