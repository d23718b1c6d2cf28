#include "CInstanceCloner.h"

#include "UniqueHandle.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Key names are at most 255 characters.
constexpr DWORD kKeyNameChars = 256;

CKeyHandle openOrCreate(HKEY parent, const std::string& path)
{
    CKeyHandle key;
    if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        key.reset();
    return key;
}

DWORD countSubkeys(HKEY key)
{
    DWORD subkeys = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return subkeys;
}

bool subkeyName(HKEY key, DWORD index, std::string& name)
{
    char buffer[kKeyNameChars];
    DWORD chars = kKeyNameChars;
    if (RegEnumKeyExA(key, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    name.assign(buffer, chars);
    return true;
}

std::string childPath(const std::string& parent, const std::string& name)
{
    return parent + "\\" + name;
}

} // namespace

CInstanceCloner::CInstanceCloner(HKEY root, std::string deviceKeyPath)
    : m_root(root), m_deviceKeyPath(std::move(deviceKeyPath))
{
}

void CInstanceCloner::run(bool windows2000)
{
    CKeyHandle deviceKey = openOrCreate(m_root, m_deviceKeyPath);
    if (!deviceKey || windows2000)
        return;

    DWORD instances = countSubkeys(deviceKey.get());
    if (instances == 0 || instances >= static_cast<DWORD>(CInstanceCloner::kInstanceCount))
        return;

    std::string first;
    // A name of fewer than two characters has no instance digits to replace: cutting two
    // characters off its path would name a key beside the device-instance key instead.
    if (!subkeyName(deviceKey.get(), 0, first) || first.size() < 2)
        return;

    std::string source = childPath(m_deviceKeyPath, first);
    for (int number = 2; number <= CInstanceCloner::kInstanceCount; ++number)
        cloneInstance(source, number);
}

std::string CInstanceCloner::clonePath(const std::string& sourcePath, int number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return sourcePath.substr(0, sourcePath.size() >= 2 ? sourcePath.size() - 2 : 0) + digits;
}

void CInstanceCloner::cloneInstance(const std::string& sourcePath, int number)
{
    CKeyHandle source = openOrCreate(m_root, sourcePath);
    if (!source)
        return;
    std::string destinationPath = clonePath(sourcePath, number);
    CKeyHandle destination = openOrCreate(m_root, destinationPath);
    if (!destination)
        return;

    copyValues(source.get(), destination.get());

    std::string name;
    for (DWORD index = 0; subkeyName(source.get(), index, name); ++index) {
        CKeyHandle from = openOrCreate(source.get(), name);
        CKeyHandle to = openOrCreate(destination.get(), name);
        if (from && to)
            copyValues(from.get(), to.get());
    }

    DWORD value = static_cast<DWORD>(number);
    RegSetValueExA(destination.get(), "UINumber", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

void CInstanceCloner::copyValues(HKEY source, HKEY destination)
{
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(source, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return;

    // Two spare bytes hold a string's terminator when the stored data lacks one.
    std::vector<char> name(longestName + 1);
    std::vector<BYTE> data(longestData + 2);
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameChars = 0, dataBytes = 0, type = 0;
        LONG result = ERROR_MORE_DATA;
        // The longest lengths are counted in the key's own characters; a name or text in a
        // multi-byte code page can need more bytes, so a value that does not fit is read
        // again with larger buffers.
        for (int attempt = 0; result == ERROR_MORE_DATA && attempt < 8; ++attempt) {
            if (attempt > 0) {
                name.resize(name.size() * 2 + kKeyNameChars);
                data.resize(std::max<size_t>(data.size() * 2, size_t{dataBytes} + 2));
            }
            nameChars = static_cast<DWORD>(name.size());
            dataBytes = static_cast<DWORD>(data.size());
            result = RegEnumValueA(source, index, name.data(), &nameChars, nullptr, &type, data.data(), &dataBytes);
        }
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue; // a value that cannot be read is left out rather than copied wrong
        RegSetValueExA(destination, name.data(), 0, type, data.data(), dataBytes);
    }
}
