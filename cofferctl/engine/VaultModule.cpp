#include "VaultModule.h"

#include <vector>

namespace vaultModule {

HMODULE handle()
{
    // The module that contains this very function, whether the engine is linked into the
    // DLL or into a program.
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&handle), &module);
    return module;
}

std::wstring fileName()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(handle(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2); // a long path was cut: ask again with more room
    }
}

std::wstring loadString(UINT id)
{
    // With a zero buffer length LoadStringW hands out a pointer into the resource itself.
    const wchar_t* text = nullptr;
    int length = LoadStringW(handle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

std::wstring format(UINT id, std::initializer_list<std::wstring> args)
{
    std::wstring pattern = loadString(id), out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L's') {
            if (next != args.end())
                out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace vaultModule
