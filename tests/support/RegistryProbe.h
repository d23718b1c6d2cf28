#pragma once
// Direct registry access for tests: preparing keys the way Windows or another program would
// leave them, and reading back exactly what a program stored.

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testreg {

struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const Value&) const = default;
};

Value dword(DWORD number);
Value text(const std::wstring& s, DWORD type = REG_SZ); // with its terminator

// Creates the key when missing; a failure fails the current test.
void put(HKEY root, const std::wstring& path, const std::wstring& name, const Value& value);
void createKey(HKEY root, const std::wstring& path);

bool keyExists(HKEY root, const std::wstring& path);
std::optional<Value> get(HKEY root, const std::wstring& path, const std::wstring& name);
// All values of a key by name; empty when the key is missing.
std::map<std::wstring, Value> values(HKEY root, const std::wstring& path);
// Names of the direct subkeys in enumeration order; empty when the key is missing.
std::vector<std::wstring> subkeys(HKEY root, const std::wstring& path);

// Every key below `path` (itself as "") with its values, by path relative to `path`.
using Tree = std::map<std::wstring, std::map<std::wstring, Value>>;
Tree tree(HKEY root, const std::wstring& path);

void deleteTree(HKEY root, const std::wstring& path);
void deleteValue(HKEY root, const std::wstring& path, const std::wstring& name);

} // namespace testreg
