#pragma once
// What saving and deleting a lockbox record touch outside the vault: the desktop-search
// exclusion list and the lockbox's desktop icon. CNoDesktopIntegration does nothing; the
// vault's options code provides the real one.

#include <string>

class CLockbox;

class IDesktopIntegration {
public:
    virtual ~IDesktopIntegration() = default;
    // Adds the drive ("X:") to the desktop-search exclusion list, or takes it off.
    virtual void applySearchExclusion(const std::wstring& drive, bool exclude) = 0;
    // Removes the lockbox's desktop icon and its class registration.
    virtual void removeDesktopIcon(const CLockbox& lockbox) = 0;
};

class CNoDesktopIntegration : public IDesktopIntegration {
public:
    void applySearchExclusion(const std::wstring&, bool) override {}
    void removeDesktopIcon(const CLockbox&) override {}
};
