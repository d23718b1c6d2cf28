#include "ChronelSettings.h"

#include "CRegistryKey.h"

namespace settings {

namespace {

CRegistryKey root() { return CRegistryKey(HKEY_CURRENT_USER, kRootPath); }

// The names of the five servers live as long as the program.
const wchar_t* const kServerNames[kServerCount] = {L"Server1", L"Server2", L"Server3", L"Server4", L"Server5"};

} // namespace

Text server(int k)
{
    return Text{k >= 1 && k <= kServerCount ? kServerNames[k - 1] : L"", L""};
}

DWORD read(const Dword& value)
{
    DWORD number = value.fallback;
    root().readDword(value.name, number);
    return number;
}

DWORD stored(const Flag& value)
{
    DWORD number = value.fallback ? 1 : 0;
    root().readDword(value.name, number);
    return number;
}

bool read(const Flag& value) { return stored(value) != 0; }

std::wstring read(const Text& value)
{
    std::wstring text = value.fallback;
    root().readString(value.name, text);
    return text;
}

bool read(const Time& value, DWORD& out) { return root().readDword(value.name, out); }

bool productPresent()
{
    DWORD value = 0;
    CRegistryKey(HKEY_LOCAL_MACHINE, L"Software\\Orvel Software\\Products").readDword(L"Tempra", value);
    return (value & 1) != 0;
}

bool write(const Dword& value, DWORD number) { return root().writeDword(value.name, number); }

bool write(const Flag& value, bool on) { return root().writeDword(value.name, on ? 1 : 0); }

bool write(const Text& value, const std::wstring& text) { return root().writeString(value.name, text); }

bool write(const Time& value, DWORD seconds) { return root().writeDword(value.name, seconds); }

} // namespace settings
