#include "CComServer.h"

#include "CModule.h"
#include "ComPtr.h"
#include "ComTypes.h"

#include <oleauto.h>

#include <mutex>

// The system registrar of atl.dll: it runs registry scripts. The interface must not be in an
// anonymous namespace: the compiler would see that nothing here implements it and treat
// every call through it as unreachable.
struct IRegistrar : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegisterSz(LPCOLESTR file, LPCOLESTR id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregisterSz(LPCOLESTR file, LPCOLESTR id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileRegister(LPCOLESTR file) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileUnregister(LPCOLESTR file) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringRegister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringUnregister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegister(LPCOLESTR file, UINT id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregister(LPCOLESTR file, UINT id, LPCOLESTR type) = 0;
};

namespace {

const CLSID CLSID_Registrar = {0x44EC053A, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};
const IID IID_IRegistrar = {0x44EC053B, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};

} // namespace

CComModule& CComModule::instance()
{
    static CComModule module;
    return module;
}

LONG CComModule::lock()
{
    InterlockedIncrement(&m_activity);
    return InterlockedIncrement(&m_locks);
}

LONG CComModule::unlock()
{
    InterlockedIncrement(&m_activity);
    LONG left = InterlockedDecrement(&m_locks);
    if (left == 0 && m_idle)
        SetEvent(m_idle.get());
    return left;
}

void CComModule::quitWhenIdle(DWORD threadId, DWORD firstUseMs, DWORD idleMs)
{
    stopIdleWatch();
    m_quitThread = threadId;
    m_firstUseMs = firstUseMs;
    m_idleMs = idleMs;
    m_idle.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    m_stop.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (m_idle && m_stop)
        m_watcher.reset(CreateThread(nullptr, 0, &CComModule::watchIdle, this, 0, nullptr));
    if (!m_watcher) // without the watch, quit at the first idle moment rather than never
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
}

DWORD WINAPI CComModule::watchIdle(void* parameter)
{
    auto* module = static_cast<CComModule*>(parameter);
    HANDLE events[] = {module->m_stop.get(), module->m_idle.get()};
    constexpr DWORD kLastUnlock = WAIT_OBJECT_0 + 1;
    DWORD pause = module->m_firstUseMs;
    for (;;) {
        const LONG seen = module->m_activity;
        DWORD woken = WaitForMultipleObjects(2, events, FALSE, pause);
        if (woken == WAIT_TIMEOUT) {
            if (module->m_locks == 0 && module->m_activity == seen) {
                PostThreadMessageW(module->m_quitThread, WM_QUIT, 0, 0);
                return 0;
            }
            // Used during the pause: pause again once the last client has let go.
            woken = module->m_locks == 0 ? kLastUnlock : WaitForMultipleObjects(2, events, FALSE, INFINITE);
        }
        if (woken != kLastUnlock)
            return 0;
        pause = module->m_idleMs;
    }
}

void CComModule::stopIdleWatch()
{
    if (m_watcher) {
        SetEvent(m_stop.get());
        WaitForSingleObject(m_watcher.get(), INFINITE);
        m_watcher.reset();
    }
}

void CComModule::setClasses(const ComClassEntry* entries, size_t count) { m_classes.assign(entries, entries + count); }

HRESULT CComModule::getClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (const auto& entry : m_classes) {
        if (IsEqualCLSID(*entry.clsid, clsid)) {
            auto* factory = new (std::nothrow) CClassFactory(entry);
            if (!factory)
                return E_OUTOFMEMORY;
            HRESULT hr = factory->QueryInterface(iid, object);
            factory->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CComModule::registerClassObjects()
{
    for (const auto& entry : m_classes) {
        auto* factory = new (std::nothrow) CClassFactory(entry);
        if (!factory)
            return E_OUTOFMEMORY;
        DWORD cookie = 0;
        HRESULT hr = CoRegisterClassObject(*entry.clsid, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
        factory->Release();
        if (FAILED(hr))
            return hr;
        m_cookies.push_back(cookie);
    }
    return S_OK;
}

void CComModule::revokeClassObjects()
{
    stopIdleWatch();
    for (DWORD cookie : m_cookies)
        CoRevokeClassObject(cookie);
    m_cookies.clear();
}

HRESULT CClassFactory::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    // An aggregating object may only ask for our IUnknown.
    if (outer && (!m_entry.aggregatable || !IsEqualIID(iid, IID_IUnknown)))
        return CLASS_E_NOAGGREGATION;
    return comGuard([&] { return m_entry.create(outer, iid, object); });
}

HRESULT CClassFactory::LockServer(BOOL lock)
{
    if (lock)
        CComModule::instance().lock();
    else
        CComModule::instance().unlock();
    return S_OK;
}

HRESULT runRegistryScript(HMODULE module, UINT id, bool doRegister)
{
    TComPtr<IRegistrar> registrar;
    HRESULT hr = CoCreateInstance(CLSID_Registrar, nullptr, CLSCTX_INPROC_SERVER, IID_IRegistrar, registrar.putVoid());
    if (FAILED(hr))
        return hr;
    const std::wstring path = CModule::pathOf(module);
    registrar->AddReplacement(L"MODULE", path.c_str());
    return doRegister ? registrar->ResourceRegister(path.c_str(), id, L"REGISTRY")
                      : registrar->ResourceUnregister(path.c_str(), id, L"REGISTRY");
}

HRESULT registerTypeLibraryResource(HMODULE module, bool doRegister)
{
    const std::wstring path = CModule::pathOf(module);
    TComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
    if (FAILED(hr))
        return hr;
    if (doRegister) {
        const std::wstring folder = CModule::folderOf(module);
        return RegisterTypeLib(library.get(), const_cast<LPOLESTR>(path.c_str()), const_cast<LPOLESTR>(folder.c_str()));
    }
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr))
        return hr;
    hr = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                           attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    return hr;
}

HRESULT typeInfoOf(HMODULE module, REFIID iid, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    struct Entry {
        HMODULE module;
        IID iid;
        ITypeInfo* info; // kept for the life of the process, like the type library behind it
    };
    static std::mutex lock;
    static std::vector<Entry> cache;
    std::lock_guard<std::mutex> guard(lock);
    for (const Entry& entry : cache) {
        if (entry.module == module && IsEqualIID(entry.iid, iid)) {
            *info = entry.info;
            (*info)->AddRef();
            return S_OK;
        }
    }
    TComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(CModule::pathOf(module).c_str(), REGKIND_NONE, library.put());
    if (FAILED(hr))
        return hr;
    ITypeInfo* loaded = nullptr;
    hr = library->GetTypeInfoOfGuid(iid, &loaded);
    if (FAILED(hr))
        return hr;
    cache.push_back({module, iid, loaded});
    *info = loaded;
    loaded->AddRef();
    return S_OK;
}
