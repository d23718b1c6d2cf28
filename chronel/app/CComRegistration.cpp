#include "CComRegistration.h"

#include "CComServer.h"
#include "CModule.h"
#include "CRegistryKey.h"
#include "resource.h"

#include <string>

namespace {

constexpr wchar_t kTypeLibPath[] = L"TypeLib\\{FF7084E8-6F8C-46D8-A8E7-9698E233D4F1}\\1.0";
// A type library is registered under the platform it was made for: the x64 build's under
// "win64", where 64-bit clients look first.
#if defined(_WIN64)
constexpr wchar_t kTypeLibPlatform[] = L"\\0\\win64";
#else
constexpr wchar_t kTypeLibPlatform[] = L"\\0\\win32";
#endif

} // namespace

HRESULT CComRegistration::registerServer()
{
    HMODULE module = CModule::instance();
    HRESULT hr = runRegistryScript(module, IDR_REGISTRY_APPID, true);
    HRESULT proxy = runRegistryScript(module, IDR_REGISTRY_PROXY, true);
    if (SUCCEEDED(hr))
        hr = proxy;
    // The type library ships beside the program.
    const std::wstring folder = CModule::folder();
    CRegistryKey(HKEY_CLASSES_ROOT, kTypeLibPath).writeString(L"", L"Chronel 1.0 Type Library");
    CRegistryKey(HKEY_CLASSES_ROOT, std::wstring(kTypeLibPath) + kTypeLibPlatform).writeString(L"", folder + L"\\Chronel.tlb");
    CRegistryKey(HKEY_CLASSES_ROOT, std::wstring(kTypeLibPath) + L"\\0\\FLAGS").writeString(L"", L"0");
    CRegistryKey(HKEY_CLASSES_ROOT, std::wstring(kTypeLibPath) + L"\\0\\HELPDIR").writeString(L"", folder + L"\\");
    return hr;
}

HRESULT CComRegistration::unregisterServer()
{
    HMODULE module = CModule::instance();
    HRESULT hr = runRegistryScript(module, IDR_REGISTRY_APPID, false);
    HRESULT proxy = runRegistryScript(module, IDR_REGISTRY_PROXY, false);
    return SUCCEEDED(hr) ? proxy : hr;
}
