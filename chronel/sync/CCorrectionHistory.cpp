#include "CCorrectionHistory.h"

#include "CRegistryKey.h"
#include "ChronelSettings.h"
#include "ResourceString.h"
#include "TimeText.h"
#include "resource.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

namespace {

constexpr double kCorrectionThreshold = 1.0;

CRegistryKey logsKey() { return CRegistryKey(HKEY_CURRENT_USER, settings::kLogsPath); }

// MeanCorrection as a number: whole text a finite, non-negative decimal, else 0.
double parseMean(const std::wstring& text)
{
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    double value = std::wcstod(begin, &end);
    if (end == begin)
        return 0;
    while (*end && std::iswspace(*end))
        ++end;
    if (*end || !std::isfinite(value) || value < 0)
        return 0;
    return value;
}

} // namespace

std::wstring CCorrectionHistory::correctionText(double offset)
{
    const double a = std::fabs(offset);
    if (a < kCorrectionThreshold)
        return loadString(IDS_ACCURATE);
    const double whole = std::floor(a);
    const auto s = static_cast<unsigned long long>(whole);
    const double fraction = a - whole;
    const unsigned long long parts[3] = {s / 86400, (s % 86400) / 3600, (s % 3600) / 60};
    const UINT formats[3] = {IDS_DAY, IDS_HOUR, IDS_MINUTE};
    std::wstring text;
    for (int i = 0; i < 3; ++i) {
        if (parts[i] == 0)
            continue;
        if (!text.empty())
            text += L", ";
        text += formatString(formats[i], static_cast<int>(parts[i]));
        if (parts[i] > 1)
            text += L"s";
    }
    const double secs = static_cast<double>(s % 60) + fraction;
    if (secs != 0) {
        if (!text.empty())
            text += L", ";
        text += formatString(IDS_SECONDS, secs);
    }
    return text;
}

void CCorrectionHistory::log(double offset)
{
    SYSTEMTIME local;
    GetLocalTime(&local);
    const std::wstring when = formatLocalDateTime(local);
    const std::wstring text = correctionText(offset);
    std::wstring word;
    if (_wcsicmp(text.c_str(), loadString(IDS_ACCURATE).c_str()) != 0)
        word = loadString(offset > 0 ? IDS_FAST : IDS_SLOW);

    const std::wstring name = std::to_wstring(currentTimeSeconds());
    logsKey().writeString(name.c_str(), formatString(IDS_LOG_ENTRY, when.c_str(), text.c_str(), word.c_str()));

    CRegistryKey root(HKEY_CURRENT_USER, settings::kRootPath);
    DWORD count = 0;
    root.readDword(settings::kCorrectionCount.name, count);
    std::wstring meanText;
    const double mean = root.readString(settings::kMeanCorrection.name, meanText) ? parseMean(meanText) : 0.0;
    const double newMean = (std::fabs(offset) + count * mean) / (count + 1.0);
    root.writeDword(settings::kCorrectionCount.name, count + 1);
    root.writeString(settings::kMeanCorrection.name, formatText(L"%.2f", newMean));
    trim();
}

void CCorrectionHistory::trim()
{
    const DWORD limit = maxSize();
    if (limit == 0 && !limited())
        return;
    CRegistryKey logs = logsKey();
    // Only the REG_SZ values are log entries; anything else in the key is neither counted
    // nor deleted.
    DWORD entries = 0;
    std::wstring data, name;
    for (DWORD cursor = 0; logs.nextStringValue(cursor, data);)
        ++entries;
    while (entries > limit) {
        DWORD cursor = 0;
        if (!logs.nextStringValue(cursor, data, &name) || !logs.deleteValue(name.c_str()))
            break;
        --entries;
    }
    settings::write(settings::kCorrectionCount, entries);
}

void CCorrectionHistory::clear()
{
    CRegistryKey::deleteTree(HKEY_CURRENT_USER, settings::kLogsPath);
    settings::write(settings::kCorrectionCount, 0);
    settings::write(settings::kMeanCorrection, settings::kMeanCorrection.fallback);
}

DWORD CCorrectionHistory::count() const { return settings::read(settings::kCorrectionCount); }

std::wstring CCorrectionHistory::countText() const { return std::to_wstring(count()); }

std::wstring CCorrectionHistory::meanText() const
{
    return settings::read(settings::kMeanCorrection) + L"s";
}

std::wstring CCorrectionHistory::storedMeanText() const
{
    std::wstring mean;
    if (!CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readString(settings::kMeanCorrection.name, mean))
        return {};
    return mean + L"s";
}

bool CCorrectionHistory::entry(DWORD n, std::wstring& text) const
{
    if (n == 0 || n > count())
        return false;
    CRegistryKey logs = logsKey();
    std::wstring data;
    DWORD cursor = 0;
    for (DWORD i = 1; logs.nextStringValue(cursor, data); ++i) {
        if (i == n) {
            text = data;
            return true;
        }
    }
    return false;
}

void CCorrectionHistory::splitEntry(const std::wstring& entry, std::wstring& time, std::wstring& correction)
{
    const size_t hash = entry.find(L'#');
    time = entry.substr(0, hash);
    correction = hash == std::wstring::npos ? std::wstring() : entry.substr(hash + 1);
}

DWORD CCorrectionHistory::maxSize() const { return settings::read(settings::kLogMaxSize); }

void CCorrectionHistory::setMaxSize(DWORD n)
{
    settings::write(settings::kLogMaxSize, n);
    if (n > 0)
        trim();
}

bool CCorrectionHistory::limited() const { return settings::read(settings::kLimitLog); }

void CCorrectionHistory::setLimited(bool on) { settings::write(settings::kLimitLog, on); }
