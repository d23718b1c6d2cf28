#include "CModule.h"

#include <mutex>
#include <vector>

namespace {

HINSTANCE g_instance = nullptr;
std::mutex g_classLock;
std::vector<std::wstring> g_classes;

HINSTANCE moduleOfThisCode()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleOfThisCode), &module);
    return module;
}

} // namespace

HINSTANCE CModule::instance()
{
    if (!g_instance)
        g_instance = moduleOfThisCode();
    return g_instance;
}

void CModule::set(HINSTANCE instance) { g_instance = instance; }

void CModule::addClass(const wchar_t* name)
{
    std::lock_guard<std::mutex> guard(g_classLock);
    for (const std::wstring& known : g_classes)
        if (_wcsicmp(known.c_str(), name) == 0)
            return;
    g_classes.emplace_back(name);
}

void CModule::unregisterClasses()
{
    std::lock_guard<std::mutex> guard(g_classLock);
    for (const std::wstring& name : g_classes)
        UnregisterClassW(name.c_str(), instance());
    g_classes.clear();
}

void CModule::onDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        set(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        unregisterClasses();
    }
}

std::wstring CModule::pathOf(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2); // cut short: ask again with more room
    }
}

std::wstring CModule::folderOf(HMODULE module)
{
    std::wstring path = pathOf(module);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
