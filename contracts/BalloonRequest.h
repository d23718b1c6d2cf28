#pragma once
// The balloon request: the block another suite component (the vault) sends to Chronel's main
// window "MWOrvelIDE" with WM_BALLOON_REQUEST, wParam = the kind. The sender builds it, leaves
// x, y, iconId and owner at 0 and frees it after SendMessage returns; Chronel fills those
// four in while it handles the message. Sender and receiver both use this one definition.
//
// The block holds pointers, so it takes its natural layout on each architecture: 28 bytes on
// x86, 40 on x64 (two 8-byte pointers, five 32-bit fields, the owner aligned to 8).

#include <windows.h>

#include <cstddef>

constexpr UINT WM_BALLOON_REQUEST = WM_USER + 0x71;

enum BalloonKind : WPARAM {
    kBalloonSuccess = 0,
    kBalloonPartialSuccess = 1,
    kBalloonFailure = 2,
};

struct BalloonRequest {
    const wchar_t* title;
    const wchar_t* text;
    LONG x;
    LONG y;
    DWORD iconId;      // the IDI_* number of the system icon shown
    DWORD displayTime; // milliseconds; 0 keeps the balloon until it is closed
    HWND owner;
};

#if defined(_WIN64)
static_assert(sizeof(BalloonRequest) == 40, "the balloon request block is 40 bytes on x64");
static_assert(offsetof(BalloonRequest, x) == 16 && offsetof(BalloonRequest, iconId) == 24
                  && offsetof(BalloonRequest, displayTime) == 28 && offsetof(BalloonRequest, owner) == 32,
              "the balloon request fields sit where x64 senders put them");
#else
static_assert(sizeof(BalloonRequest) == 28, "the balloon request block is 28 bytes on x86");
static_assert(offsetof(BalloonRequest, x) == 8 && offsetof(BalloonRequest, iconId) == 16
                  && offsetof(BalloonRequest, displayTime) == 20 && offsetof(BalloonRequest, owner) == 24,
              "the balloon request fields sit where x86 senders put them");
#endif
