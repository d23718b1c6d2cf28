#include "ReminderRecord.h"

#include "LittleEndian.h"

#include <algorithm>

namespace {

// Field offsets of the stored layout.
constexpr size_t kText = 0;
constexpr size_t kIsCountdown = 512;
constexpr size_t kIsRecurring = 516;
constexpr size_t kWhen = 520;
constexpr size_t kStart = 524;
constexpr size_t kIntervalDays = 528;
constexpr size_t kDeleteWhenDone = 532;
constexpr size_t kState = 536;
constexpr size_t kSoundFile = 540;
constexpr size_t kSoundRepeat = 1060;
constexpr size_t kIsSnooze = 1064;
static_assert(kSoundFile + ReminderRecord::kSoundChars * 2 == kSoundRepeat);
static_assert(kIsSnooze + 4 == ReminderRecord::kSize);

class CFieldReader {
public:
    CFieldReader(const BYTE* bytes, size_t size) : m_bytes(bytes), m_size(bytes ? size : 0) {}

    // Missing bytes read as zero.
    int32_t number(size_t offset) const
    {
        return readLittleEndianOrZero<int32_t>(m_bytes, m_size, offset);
    }

    std::wstring text(size_t offset, size_t chars) const
    {
        std::wstring out;
        for (size_t i = 0; i < chars; ++i) {
            const size_t at = offset + 2 * i;
            if (at + 1 >= m_size)
                break; // a half character at the end of a short value is dropped
            const wchar_t c = static_cast<wchar_t>(m_bytes[at] | (m_bytes[at + 1] << 8));
            if (c == 0)
                break;
            out.push_back(c);
        }
        return out;
    }

private:
    const BYTE* m_bytes;
    size_t m_size;
};

void putNumber(std::vector<BYTE>& out, size_t offset, int32_t value)
{
    writeLittleEndian<int32_t>(out.data() + offset, value);
}

// The text cut to leave room for its terminator; the rest of the field stays zero.
void putText(std::vector<BYTE>& out, size_t offset, size_t chars, const std::wstring& text)
{
    const size_t count = std::min(text.size(), chars - 1);
    for (size_t i = 0; i < count; ++i) {
        out[offset + 2 * i] = static_cast<BYTE>(text[i] & 0xFF);
        out[offset + 2 * i + 1] = static_cast<BYTE>(text[i] >> 8);
    }
}

} // namespace

ReminderRecord ReminderRecord::fromBytes(const BYTE* bytes, size_t size)
{
    const CFieldReader in(bytes, std::min(size, kSize));
    ReminderRecord r;
    r.text = in.text(kText, kTextChars);
    r.isCountdown = in.number(kIsCountdown) == 1;
    r.isRecurring = in.number(kIsRecurring) == 1; // only 0 or 1 is honoured
    r.when = in.number(kWhen);
    r.start = in.number(kStart);
    r.intervalDays = in.number(kIntervalDays);
    r.deleteWhenDone = in.number(kDeleteWhenDone) == 1;
    r.state = in.number(kState);
    r.soundFile = in.text(kSoundFile, kSoundChars);
    r.soundRepeat = in.number(kSoundRepeat);
    r.isSnooze = in.number(kIsSnooze) == 1;
    return r;
}

std::vector<BYTE> ReminderRecord::toBytes() const
{
    std::vector<BYTE> out(kSize, 0);
    putText(out, kText, kTextChars, text);
    putNumber(out, kIsCountdown, isCountdown ? 1 : 0);
    putNumber(out, kIsRecurring, isRecurring ? 1 : 0);
    putNumber(out, kWhen, when);
    putNumber(out, kStart, start);
    putNumber(out, kIntervalDays, intervalDays);
    putNumber(out, kDeleteWhenDone, deleteWhenDone ? 1 : 0);
    putNumber(out, kState, state);
    putText(out, kSoundFile, kSoundChars, soundFile);
    putNumber(out, kSoundRepeat, soundRepeat);
    putNumber(out, kIsSnooze, isSnooze ? 1 : 0);
    return out;
}
