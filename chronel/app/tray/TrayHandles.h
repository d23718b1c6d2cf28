#pragma once
// Owners of the user-interface handles the tray code keeps: icons it loaded or built itself
// (not shared system icons) and menus loaded from resources.

#include "UniqueHandle.h"

struct IconHandleTraits {
    using Type = HICON;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DestroyIcon(h); }
};

struct MenuHandleTraits {
    using Type = HMENU;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DestroyMenu(h); }
};

struct ScreenDcTraits {
    using Type = HDC;
    static Type invalid() noexcept { return nullptr; }
    // The screen's DC, from GetDC(nullptr).
    static void close(Type h) noexcept { ::ReleaseDC(nullptr, h); }
};

struct MemoryDcTraits {
    using Type = HDC;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DeleteDC(h); }
};

using CIcon = TUniqueHandle<IconHandleTraits>;
using CMenu = TUniqueHandle<MenuHandleTraits>;
using CScreenDc = TUniqueHandle<ScreenDcTraits>;
using CMemoryDc = TUniqueHandle<MemoryDcTraits>;
