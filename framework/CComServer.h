#pragma once
// COM server support: the module's lock count, a table-driven class factory, registration of
// registry scripts through the system registrar (atl.dll) and of type libraries.

#include "TRefCounted.h"
#include "UniqueHandle.h"

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

// Creates an object of one class for the class factory; `outer` is the aggregating object.
using ComCreator = HRESULT (*)(IUnknown* outer, REFIID iid, void** object);

struct ComClassEntry {
    const CLSID* clsid;
    ComCreator create;
    bool aggregatable;
};

class CComModule {
public:
    static CComModule& instance();

    LONG lock();
    // A local server started by COM ends (WM_QUIT to its main thread) once it has stayed
    // unlocked for a while: see quitWhenIdle.
    LONG unlock();
    LONG lockCount() const { return m_locks; }

    void setClasses(const ComClassEntry* entries, size_t count);
    // For a DLL's DllGetClassObject.
    HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** object);
    // For a local server: CoRegisterClassObject of every class (multiple use).
    HRESULT registerClassObjects();
    // Also ends the idle watch.
    void revokeClassObjects();
    // The server posts WM_QUIT to `threadId` when no client has used it for `firstUseMs` after
    // start, or for `idleMs` after the last unlock. The pause lets a client's trailing release
    // calls (sent as its process ends) arrive before COM is torn down: Wine's CoUninitialize
    // waits forever for a call that is itself waiting for the apartment.
    void quitWhenIdle(DWORD threadId, DWORD firstUseMs, DWORD idleMs);

private:
    static DWORD WINAPI watchIdle(void* module);
    void stopIdleWatch();

    volatile LONG m_locks = 0;
    volatile LONG m_activity = 0; // counts every lock and unlock
    std::vector<ComClassEntry> m_classes;
    std::vector<DWORD> m_cookies;
    DWORD m_quitThread = 0;
    DWORD m_firstUseMs = 0;
    DWORD m_idleMs = 0;
    CHandle m_idle; // auto-reset, set at the last unlock
    CHandle m_stop;
    CHandle m_watcher;
};

class CClassFactory final : public TRefCounted<CClassFactory, IClassFactory> {
public:
    explicit CClassFactory(const ComClassEntry& entry) : m_entry(entry) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ComClassEntry m_entry;
};

// Runs the .rgs script in the module's REGISTRY resource `id` against the registry, with
// %MODULE% replaced by the module's full path.
HRESULT runRegistryScript(HMODULE module, UINT id, bool doRegister);

// Registers (or unregisters) the type library in the module's own TYPELIB resource.
HRESULT registerTypeLibraryResource(HMODULE module, bool doRegister);

// The type information of interface `iid` from the type library in the module's resources,
// loaded once per interface and kept for the life of the process.
HRESULT typeInfoOf(HMODULE module, REFIID iid, ITypeInfo** info);
