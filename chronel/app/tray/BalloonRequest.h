#pragma once
// The block another suite component sends with WM_BALLOON_REQUEST (wParam = the kind). The
// sender builds it, leaves x, y, iconId and owner at 0 and frees it after SendMessage
// returns; Chronel fills those four in while it handles the message. The layout is fixed at
// 28 bytes: the vault builds it without this header.

#include <windows.h>

#include <cstddef>

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

static_assert(sizeof(BalloonRequest) == 28, "the balloon request block is 28 bytes");
static_assert(offsetof(BalloonRequest, iconId) == 16 && offsetof(BalloonRequest, displayTime) == 20
                  && offsetof(BalloonRequest, owner) == 24,
              "the balloon request fields sit where the senders put them");
