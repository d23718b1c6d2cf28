#pragma once
// The suite components Chronel connects to: the vault (class Cofferix of Cofferctl, whose
// interface comes from the vault's type library) and the companion component, of which only
// the identifiers and the vtable slot Chronel calls are known. Either may be missing: Chronel
// goes on without it.

#include "ComPtr.h"
#include "Cofferctl_h.h"

#include <windows.h>
#include <oaidl.h>

#include <string>

// {EF9401FD-662D-4EBB-8154-A3A979EB96B2}
inline constexpr CLSID kClsidCompanion = {0xEF9401FD, 0x662D, 0x4EBB, {0x81, 0x54, 0xA3, 0xA9, 0x79, 0xEB, 0x96, 0xB2}};
// {0704E202-586C-45DB-B647-6A7DFA8D0F71}
inline constexpr IID kIidCompanion = {0x0704E202, 0x586C, 0x45DB, {0xB6, 0x47, 0x6A, 0x7D, 0xFA, 0x8D, 0x0F, 0x71}};

// The companion: Chronel calls only its second method after the dispatch methods.
struct ICompanion : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE firstMethod() = 0; // never called
    virtual HRESULT STDMETHODCALLTYPE connect(long on, long* result) = 0;
};

class CSuiteComponents {
public:
    explicit CSuiteComponents(std::wstring programPath) : m_programPath(std::move(programPath)) {}
    ~CSuiteComponents() { release(); }
    CSuiteComponents(const CSuiteComponents&) = delete;
    CSuiteComponents& operator=(const CSuiteComponents&) = delete;

    // (Re)create a missing component; true when it exists afterwards. A vault made while the
    // main window exists gets its monitor and Chronel's path at once.
    bool connectVault(bool mainWindowExists);
    bool connectCompanion();
    ICofferix* vault() const { return m_vault.get(); }

    // The first instance, its main window made: the vault's monitor, the command line (its
    // answer ignored) and Chronel's path.
    void startVault(const std::wstring& commandLine);
    // A second instance: true when the vault took the command line.
    bool handToVault(const std::wstring& commandLine);
    // Companion called with 0, vault's monitor removed; both released.
    void release();

private:
    std::wstring m_programPath;
    TComPtr<ICofferix> m_vault;
    TComPtr<ICompanion> m_companion;
};
