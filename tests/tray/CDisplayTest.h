#pragma once
// Base fixture of the tests that need the real notification area: waits until the Wine
// desktop shows its taskbar, and reads screen pixels.

#include "CPixelGrid.h"
#include "CSuiteRegistryTest.h"

#include <windows.h>

#include <functional>

class CDisplayTest : public CSuiteRegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static HWND taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }
    // Whether the shell holds an icon of `window` with `id` (a modification that changes nothing).
    static bool shellHasIcon(HWND window, UINT id);
    // The screen's pixels of `area` as they are now.
    static CPixelGrid screenPixels(const RECT& area);
    // Dispatches messages and asks the taskbar to repaint until `done` holds, for at most
    // `timeoutMs`.
    static bool waitFor(const std::function<bool()>& done, DWORD timeoutMs = 3000);
};
