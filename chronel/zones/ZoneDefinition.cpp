#include "ZoneDefinition.h"

#include "LittleEndian.h"

#include <algorithm>

namespace {

class CTziReader {
public:
    CTziReader(const BYTE* bytes, size_t size) : m_bytes(bytes), m_size(bytes ? size : 0) {}

    uint32_t word(size_t offset, size_t width) const
    {
        return width == 2 ? readLittleEndianOrZero<uint16_t>(m_bytes, m_size, offset)
                          : readLittleEndianOrZero<uint32_t>(m_bytes, m_size, offset);
    }
    LONG bias(size_t offset) const { return static_cast<LONG>(word(offset, 4)); }
    SYSTEMTIME date(size_t offset) const
    {
        SYSTEMTIME t{};
        WORD* fields[] = {&t.wYear, &t.wMonth, &t.wDayOfWeek, &t.wDay, &t.wHour, &t.wMinute, &t.wSecond,
                          &t.wMilliseconds};
        for (size_t i = 0; i < 8; ++i)
            *fields[i] = static_cast<WORD>(word(offset + 2 * i, 2));
        return t;
    }

private:
    const BYTE* m_bytes;
    size_t m_size;
};

void copyName(WCHAR (&field)[32], const std::wstring& name)
{
    const size_t count = std::min<size_t>(name.size(), 31);
    std::copy_n(name.begin(), count, field);
    field[count] = 0;
}

} // namespace

void ZoneDefinition::setRules(const BYTE* tzi, size_t size)
{
    const CTziReader in(tzi, std::min<size_t>(size, 44));
    information.Bias = in.bias(0);
    information.StandardBias = in.bias(4);
    information.DaylightBias = in.bias(8);
    information.StandardDate = in.date(12);
    information.DaylightDate = in.date(28);
}

void ZoneDefinition::setNames(const std::wstring& standard, const std::wstring& daylight)
{
    copyName(information.StandardName, standard);
    copyName(information.DaylightName, daylight);
}
