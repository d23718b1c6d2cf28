#pragma once
// What saving and deleting a lockbox record touch outside the vault: the desktop-search
// exclusion list and the lockbox's desktop icon. CNoDesktopIntegration does nothing; the
// vault's options code provides the real one.

#include <windows.h>

#include <string>

class CLockbox;

class IDesktopIntegration {
public:
    virtual ~IDesktopIntegration() = default;
    // Adds the drive ("X:") to the desktop-search exclusion list, or takes it off.
    virtual void applySearchExclusion(const std::wstring& drive, bool exclude) = 0;
    // Removes the lockbox's desktop icon and its class registration.
    virtual void removeDesktopIcon(const CLockbox& lockbox) = 0;
    // Registers the lockbox's desktop icon again for its new state; true when it changed.
    virtual bool refreshDesktopIcon(const CLockbox& lockbox) = 0;
    // Tells the shell that icons changed.
    virtual void notifyShell() = 0;
    // Stops the desktop-search monitor, which keeps files of a drive open while it indexes
    // it; true when it was running. restartSearchMonitor lets it run again.
    virtual bool stopSearchMonitor() = 0;
    virtual void restartSearchMonitor() = 0;
    // The delayed desktop-search action (see the monitor window's timer 1).
    virtual void runSearchAction(WPARAM action) = 0;
};

class CNoDesktopIntegration : public IDesktopIntegration {
public:
    void applySearchExclusion(const std::wstring&, bool) override {}
    void removeDesktopIcon(const CLockbox&) override {}
    bool refreshDesktopIcon(const CLockbox&) override { return false; }
    void notifyShell() override {}
    bool stopSearchMonitor() override { return false; }
    void restartSearchMonitor() override {}
    void runSearchAction(WPARAM) override {}
};
