#include "AppBarState.h"

#include "LittleEndian.h"

namespace {

void putWord(BYTE* at, DWORD value) { writeLittleEndian<DWORD>(at, value); }

DWORD getWord(const BYTE* at) { return readLittleEndian<DWORD>(at); }

// Word k (1 ... 11) of the stored layout into its field.
void setWord(AppBarState& s, size_t k, DWORD value)
{
    const int number = static_cast<int>(value);
    switch (k) {
    case 1: s.edge = number; break;
    case 2: s.autoHide = value != 0; break;
    case 3: s.alwaysOnTop = value != 0; break;
    case 4: case 5: case 6: case 7: s.dockedSize[k - 4] = number; break;
    case 8: s.floatRect.left = number; break;
    case 9: s.floatRect.top = number; break;
    case 10: s.floatRect.right = number; break;
    case 11: s.floatRect.bottom = number; break;
    }
}

} // namespace

bool appbar::edgeAllowed(int edge, DWORD allowed)
{
    if (edge == kFloating)
        return (allowed & kAllowFloat) != 0;
    if (isDocked(edge))
        return (allowed & (isHorizontal(edge) ? kAllowTopBottom : kAllowLeftRight)) != 0;
    return edge == kNone;
}

bool AppBarState::operator==(const AppBarState& o) const { return toBytes() == o.toBytes(); }

std::array<BYTE, AppBarState::kBytes> AppBarState::toBytes() const
{
    const DWORD words[kWords] = {size,
                                 static_cast<DWORD>(edge),
                                 autoHide ? 1u : 0u,
                                 alwaysOnTop ? 1u : 0u,
                                 static_cast<DWORD>(dockedSize[0]),
                                 static_cast<DWORD>(dockedSize[1]),
                                 static_cast<DWORD>(dockedSize[2]),
                                 static_cast<DWORD>(dockedSize[3]),
                                 static_cast<DWORD>(floatRect.left),
                                 static_cast<DWORD>(floatRect.top),
                                 static_cast<DWORD>(floatRect.right),
                                 static_cast<DWORD>(floatRect.bottom)};
    std::array<BYTE, kBytes> out{};
    for (size_t k = 0; k < kWords; ++k)
        putWord(out.data() + 4 * k, words[k]);
    return out;
}

AppBarState AppBarState::fromBytes(const BYTE* bytes, size_t count, const AppBarState& defaults)
{
    AppBarState s = defaults;
    const size_t words = bytes ? (count < kBytes ? count : kBytes) / 4 : 0;
    for (size_t k = 1; k < words; ++k)
        setWord(s, k, getWord(bytes + 4 * k));
    s.size = kBytes;
    return s;
}
