#pragma once
// The update check run by the clock check's worker after each successful time-server query:
// at most once per period the update server chooses, it fetches the manifest
// "<title>_Update.xml" from the server's "/updates" folder and applies its sections: the About
// text and the next-check time, a new time-server list, a splash bitmap and a new version of
// the program, which is offered, downloaded, extracted, checked and started.

#include "ITrustVerifier.h"

#include <windows.h>

#include <ctime>
#include <string>

class CUpdateCheck {
public:
    explicit CUpdateCheck(ITrustVerifier& trust);

    // The application's title: it names the manifest and replaces "%s" in the About text.
    void setTitle(std::wstring title) { m_title = std::move(title); }
    // The window that owns the user interface: it is asked to offer the update
    // (WM_UPDATE_OFFER, answered IDOK to go ahead), gets WM_DOWNLOAD_PROGRESS and
    // WM_DOWNLOAD_FINISHED while a file comes, and WM_APP_EXIT once the installer runs.
    void setMainWindow(HWND window) { m_mainWindow = window; }
    // The running program: its version is the installed one when "Install" names none, and
    // the installer must carry its publisher's signature.
    void setProgram(std::wstring path) { m_program = std::move(path); }

    // The whole check. Any failure ends it quietly; the next clock check tries again.
    void run();
    // Applies a manifest's sections in their order.
    void process(const std::wstring& manifest);

    // "UpdateServer" under the settings root when set, else the maker's server, with "/updates".
    static std::wstring manifestRoot();
    // True when the stored next-check time ("puqwey", missing counts as 0) is earlier than now.
    static bool due(std::time_t now);
    // A local date and time as seconds since 1970; -1 when it is not a valid date.
    static long long localToSeconds(int year, int month, int day, int hour, int minute, int second);
    // The Windows folder's "Temp", made when missing.
    static std::wstring downloadFolder();
    // The installed program's (major, minor); false when it has no version resource.
    bool installedVersion(unsigned& major, unsigned& minor) const;

private:
    void applyFeatures(const std::wstring& section);
    void applyTimeServers(const std::wstring& section);
    void fetchSplash(const std::wstring& section);
    void offerUpdate(const std::wstring& section);
    void notifyFinished() const;

    ITrustVerifier& m_trust;
    std::wstring m_title;
    std::wstring m_program;
    HWND m_mainWindow = nullptr;
};
