#include "RegistryProbe.h"

#include "UniqueHandle.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

namespace testreg {

Value dword(DWORD number)
{
    Value v{REG_DWORD, std::vector<BYTE>(sizeof number)};
    memcpy(v.data.data(), &number, sizeof number);
    return v;
}

Value text(const std::wstring& s, DWORD type)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(s.c_str());
    return Value{type, std::vector<BYTE>(bytes, bytes + (s.size() + 1) * sizeof(wchar_t))};
}

void createKey(HKEY root, const std::wstring& path)
{
    CKeyHandle key;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS)
        << "cannot create " << std::string(path.begin(), path.end());
}

void put(HKEY root, const std::wstring& path, const std::wstring& name, const Value& value)
{
    CKeyHandle key;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, value.type, value.data.data(),
                             static_cast<DWORD>(value.data.size())),
              ERROR_SUCCESS);
}

bool keyExists(HKEY root, const std::wstring& path)
{
    CKeyHandle key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::optional<Value> get(HKEY root, const std::wstring& path, const std::wstring& name)
{
    CKeyHandle key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    Value v{type, std::vector<BYTE>(size)};
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, v.data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    v.data.resize(size);
    return v;
}

std::map<std::wstring, Value> values(HKEY root, const std::wstring& path)
{
    std::map<std::wstring, Value> all;
    CKeyHandle key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return all;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD chars = 16384, type = 0, size = 0;
        if (RegEnumValueW(key.get(), index, name, &chars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        if (auto v = get(root, path, std::wstring(name, chars)))
            all[std::wstring(name, chars)] = *v;
    }
    return all;
}

std::vector<std::wstring> subkeys(HKEY root, const std::wstring& path)
{
    std::vector<std::wstring> names;
    CKeyHandle key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD chars = 256;
        if (RegEnumKeyExW(key.get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, chars);
    }
    return names;
}

namespace {

void collect(HKEY root, const std::wstring& base, const std::wstring& relative, Tree& out)
{
    std::wstring path = relative.empty() ? base : base + L"\\" + relative;
    if (!keyExists(root, path))
        return;
    out[relative] = values(root, path);
    for (const std::wstring& name : subkeys(root, path))
        collect(root, base, relative.empty() ? name : relative + L"\\" + name, out);
}

} // namespace

Tree tree(HKEY root, const std::wstring& path)
{
    Tree out;
    collect(root, path, L"", out);
    return out;
}

void deleteTree(HKEY root, const std::wstring& path) { SHDeleteKeyW(root, path.c_str()); }

void deleteValue(HKEY root, const std::wstring& path, const std::wstring& name)
{
    CKeyHandle key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), name.c_str());
}

} // namespace testreg
