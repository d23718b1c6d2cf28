#include "CTimerList.h"

#include "CRegistryKey.h"
#include "ChronelSettings.h"

namespace {

constexpr settings::Dword kTimerNumber{L"TimerNumber", 0};
// Each ten seconds share one text name, so a free pair is normally found within ten seconds;
// the bound only keeps a key full of foreign values from looping for ever.
constexpr int kMaxShift = 86400;

CRegistryKey timerKey() { return CRegistryKey(HKEY_CURRENT_USER, CTimerList::kPath); }

bool valueExists(CRegistryKey& key, const std::wstring& name)
{
    std::vector<BYTE> data;
    return key.readAnyAlloc(name.c_str(), data);
}

} // namespace

std::wstring CTimerList::textName(int64_t t)
{
    std::wstring name = std::to_wstring(t);
    name.back() = L'D';
    return name;
}

long CTimerList::count() const { return static_cast<long>(settings::read(kTimerNumber)); }

bool CTimerList::text(long index, std::wstring& out) const
{
    if (count() < index)
        return false;
    out.clear();
    if (index < 0)
        return true;
    CRegistryKey key = timerKey();
    DWORD cursor = 0;
    std::wstring data;
    for (long i = 0; key.nextStringValue(cursor, data); ++i) {
        if (i == index) {
            out = data;
            break;
        }
    }
    return true;
}

int64_t CTimerList::add(long minutes, const std::wstring& text, int64_t now) const
{
    settings::write(kTimerNumber, settings::read(kTimerNumber) + 1);
    if (minutes <= 0)
        return now;
    CRegistryKey key = timerKey();
    int64_t t = now;
    for (int shift = 0; shift < kMaxShift; ++shift) {
        if (!valueExists(key, dueName(t)) && !valueExists(key, textName(t)))
            break;
        ++t;
    }
    key.writeDword(dueName(t).c_str(), static_cast<DWORD>(t + int64_t(minutes) * 60));
    key.writeString(textName(t).c_str(), text);
    return t;
}
