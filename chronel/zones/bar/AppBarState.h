#pragma once
// What an application desktop toolbar keeps between runs: where it sits, its two switches,
// its thickness at each edge and its floating rectangle. Stored as twelve little-endian
// 32-bit words, written field by field so that x86 and x64 builds read each other's bytes.

#include <windows.h>

#include <array>
#include <cstddef>

// Edges as the shell numbers them (ABE_LEFT ... ABE_BOTTOM), plus our two own states.
namespace appbar {
inline constexpr int kLeft = 0;   // ABE_LEFT
inline constexpr int kTop = 1;    // ABE_TOP
inline constexpr int kRight = 2;  // ABE_RIGHT
inline constexpr int kBottom = 3; // ABE_BOTTOM
inline constexpr int kFloating = -2;
inline constexpr int kNone = -1;

inline bool isDocked(int edge) { return edge >= kLeft && edge <= kBottom; }
inline bool isHorizontal(int edge) { return edge == kTop || edge == kBottom; }

// The states a bar may take.
inline constexpr DWORD kAllowLeftRight = 0x01;
inline constexpr DWORD kAllowTopBottom = 0x02;
inline constexpr DWORD kAllowFloat = 0x04;
inline constexpr DWORD kAllowAutoHide = 0x08;
inline constexpr DWORD kAllowAlwaysOnTop = 0x10;

// Whether `edge` is a state that `allowed` permits.
bool edgeAllowed(int edge, DWORD allowed);
} // namespace appbar

struct AppBarState {
    static constexpr size_t kWords = 12;
    static constexpr size_t kBytes = kWords * 4;

    DWORD size = kBytes;
    int edge = appbar::kTop;
    bool autoHide = false;
    bool alwaysOnTop = true;
    // Thickness when docked at left, top, right, bottom: widths for left and right, heights
    // for top and bottom.
    int dockedSize[4] = {0, 0, 0, 0};
    RECT floatRect{};

    bool operator==(const AppBarState& other) const;

    std::array<BYTE, kBytes> toBytes() const;
    // The words present in `bytes` (at most twelve, whole words only) replace the fields of
    // `defaults`; the rest keep their default. The size word always says 48: it is what we write.
    static AppBarState fromBytes(const BYTE* bytes, size_t count, const AppBarState& defaults);
};
