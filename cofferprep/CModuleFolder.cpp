#include "CModuleFolder.h"

std::wstring CModuleFolder::of(HMODULE module)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring folder(path, length);
    size_t slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos)
        return {};
    folder.erase(slash + 1);
    return folder;
}
