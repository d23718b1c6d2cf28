#include "CUpdateCheck.h"

#include "CCabinetExtractor.h"
#include "CFileDownloader.h"
#include "CHttpConnection.h"
#include "CInstallerLauncher.h"
#include "CModule.h"
#include "CRegistryKey.h"
#include "ChronelSettings.h"
#include "FileVersion.h"
#include "ManifestText.h"
#include "ResourceString.h"
#include "SafePath.h"
#include "UpdateSettings.h"
#include "resource.h"

#include <cwchar>
#include <vector>

namespace {

// The seconds between 1601-01-01 (FILETIME) and 1970-01-01.
constexpr long long kEpochDifference = 11644473600LL;
constexpr DWORD kManifestStep = 1024;

std::wstring readRootText(const wchar_t* path, const wchar_t* name)
{
    CRegistryKey key(HKEY_CURRENT_USER, path);
    std::wstring text;
    return key.readString(name, text) ? text : std::wstring();
}

void writeRootText(const std::wstring& name, const std::wstring& text)
{
    CRegistryKey key(HKEY_CURRENT_USER, settings::kRootPath);
    key.writeString(name.c_str(), text);
}

// A whole decimal number, or nothing.
bool parseNumber(const std::wstring& text, long long& out)
{
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = std::wcstoll(text.c_str(), &end, 10);
    if (errno != 0 || !end || *end != L'\0')
        return false;
    out = value;
    return true;
}

std::wstring folderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace

CUpdateCheck::CUpdateCheck(ITrustVerifier& trust) : m_trust(trust), m_program(CModule::path()) {}

std::wstring CUpdateCheck::manifestRoot()
{
    std::wstring server = readRootText(settings::kRootPath, updatesettings::kUpdateServer);
    if (server.empty())
        server = loadString(IDS_UPDATE_SERVER);
    while (!server.empty() && server.back() == L'/')
        server.pop_back();
    return server + L"/updates";
}

bool CUpdateCheck::due(std::time_t now)
{
    std::wstring text;
    long long next = 0;
    if (!updatesettings::readEnciphered(updatesettings::kNextCheck, text) || !parseNumber(text, next))
        next = 0;
    return next < static_cast<long long>(now);
}

long long CUpdateCheck::localToSeconds(int year, int month, int day, int hour, int minute, int second)
{
    // Checked here rather than left to SystemTimeToFileTime, which Wine lets pass a 29 February
    // of a common year.
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1601 || year > 30827 || month < 1 || month > 12 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return -1;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day < 1 || day > kDays[month - 1] + (month == 2 && leap ? 1 : 0))
        return -1;
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = static_cast<WORD>(second);
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        return -1;
    FILETIME file{};
    if (!SystemTimeToFileTime(&utc, &file))
        return -1;
    const long long ticks = static_cast<long long>((static_cast<unsigned long long>(file.dwHighDateTime) << 32) |
                                                   file.dwLowDateTime);
    return ticks / 10000000LL - kEpochDifference;
}

std::wstring CUpdateCheck::downloadFolder()
{
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring folder(windows, length);
    if (folder.back() != L'\\')
        folder += L'\\';
    folder += L"Temp";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool CUpdateCheck::installedVersion(unsigned& major, unsigned& minor) const
{
    std::wstring program = m_program;
    const std::wstring root = readRootText(updatesettings::kInstallPath, updatesettings::kRoot);
    const std::wstring app = readRootText(updatesettings::kInstallPath, updatesettings::kApp);
    if (!root.empty() && !app.empty())
        program = root + L"\\" + app;
    const auto numbers = fileversion::numbers(program);
    if (!numbers || numbers->empty())
        return false;
    major = (*numbers)[0];
    minor = numbers->size() > 1 ? (*numbers)[1] : 0;
    return true;
}

void CUpdateCheck::run()
{
    if (!due(std::time(nullptr)) || m_title.empty())
        return;
    std::vector<BYTE> body;
    {
        CHttpConnection connection;
        if (!connection.open(manifestRoot(), L"eInstaller", L"anonymous", L""))
            return;
        // A manifest is a few kilobytes; one that grows past the limit is not read on.
        const bool read = connection.get(connection.objectFor(m_title + L"_Update.xml"),
                                         INTERNET_FLAG_KEEP_CONNECTION, kManifestStep,
                                         [&](const BYTE* bytes, DWORD count) {
                                             if (body.size() + count > manifest::kMaxBytes)
                                                 return false;
                                             body.insert(body.end(), bytes, bytes + count);
                                             return true;
                                         });
        if (!read)
            return;
    }
    const std::wstring text = manifest::decode(body);
    if (!text.empty())
        process(text);
}

void CUpdateCheck::process(const std::wstring& text)
{
    manifest::element(text, L"AppID"); // read, and nothing depends on it
    const std::wstring splash = manifest::element(text, L"SplashBMP");
    if (!splash.empty())
        fetchSplash(splash);
    const std::wstring features = manifest::element(text, L"AppFeatures");
    if (!features.empty())
        applyFeatures(features);
    const std::wstring servers = manifest::element(text, L"TimeServers");
    if (!servers.empty())
        applyTimeServers(servers);
    const std::wstring update = manifest::element(text, L"AppUpdate");
    if (!update.empty())
        offerUpdate(update);
}

void CUpdateCheck::applyFeatures(const std::wstring& section)
{
    const std::wstring about = manifest::element(section, L"AboutText");
    if (!about.empty())
        updatesettings::writeEnciphered(updatesettings::kAboutText, about);
    updatesettings::writeEnciphered(updatesettings::kMoreInfoUrl, manifest::element(section, L"MoreInfoURL"));

    const std::wstring period = manifest::element(section, L"CheckBackPeriod");
    int fields[6] = {};
    size_t start = 0;
    for (int i = 0; i < 6 && start <= period.size(); ++i) {
        size_t comma = period.find(L',', start);
        if (comma == std::wstring::npos)
            comma = period.size();
        const std::wstring part = period.substr(start, comma - start);
        fields[i] = static_cast<int>(std::wcstol(part.c_str(), nullptr, 10));
        start = comma + 1;
    }
    const long long next = localToSeconds(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
    updatesettings::writeEnciphered(updatesettings::kNextCheck, std::to_wstring(next));
}

void CUpdateCheck::applyTimeServers(const std::wstring& section)
{
    const std::wstring version = manifest::element(section, L"Version");
    if (version.empty())
        return;
    std::wstring applied;
    if (updatesettings::readEnciphered(updatesettings::kServerListVersion, applied) && applied == version)
        return;
    updatesettings::writeEnciphered(updatesettings::kServerListVersion, version);
    for (int n = 1; n <= settings::kServerCount; ++n) {
        const std::wstring number = std::to_wstring(n);
        const std::wstring server = manifest::element(section, L"TimeServer" + number);
        writeRootText(L"Server" + number, manifest::element(server, L"Name"));
        writeRootText(L"Server" + number + L"_IP", manifest::element(server, L"IP"));
    }
}

void CUpdateCheck::fetchSplash(const std::wstring& section)
{
    if (!manifest::isYes(manifest::element(section, L"UpdateRequired")))
        return;
    const std::wstring root = readRootText(settings::kRootPath, updatesettings::kRoot);
    // Without "root" there is no folder to receive the file; a name that would leave the
    // folder is refused.
    const std::wstring local = root.empty() ? std::wstring()
                                            : safepath::inside(root, manifest::element(section, L"FileName"));
    if (local.empty())
        return;
    CFileDownloader downloader(m_mainWindow);
    if (!downloader.connect(manifest::element(section, L"DownloadFileRoot")))
        return;
    const bool fetched = safepath::createParents(root, local) &&
                         downloader.download(manifest::element(section, L"DownloadFile"), local);
    notifyFinished();
    if (fetched && manifest::isYes(manifest::element(section, L"Compressed"))) {
        CCabinetExtractor::extract(local, folderOf(local));
        DeleteFileW(local.c_str());
    }
}

void CUpdateCheck::offerUpdate(const std::wstring& section)
{
    const auto [minMajor, minMinor] = fileversion::majorMinor(manifest::element(section, L"MinVersion"));
    unsigned major = 0, minor = 0;
    if (!installedVersion(major, minor))
        return;
    if (major > minMajor || (major == minMajor && minor >= minMinor))
        return;
    // The dialog belongs to the window that owns the user interface, never to this worker.
    if (!m_mainWindow || !IsWindow(m_mainWindow) || SendMessageW(m_mainWindow, WM_UPDATE_OFFER, 0, 0) != IDOK)
        return;
    CFileDownloader downloader(m_mainWindow);
    if (!downloader.connect(manifest::element(section, L"DownloadFileRoot")))
        return;
    writeRootText(updatesettings::kApp, manifest::element(section, L"FileName"));

    const std::wstring folder = downloadFolder();
    const std::wstring local = folder.empty() ? std::wstring()
                                              : safepath::inside(folder, manifest::element(section, L"DownloadFile"));
    const bool fetched = !local.empty() && safepath::createParents(folder, local) &&
                         downloader.download(manifest::element(section, L"DownloadFile"), local);
    notifyFinished();
    if (!fetched)
        return;
    if (manifest::isYes(manifest::element(section, L"Compressed"))) {
        CCabinetExtractor::extract(local, folder);
        DeleteFileW(local.c_str());
    }
    CInstallerLauncher launcher(m_trust, m_program);
    if (launcher.start(folder + L"\\ChronelInstaller.exe", folder) == CInstallerLauncher::Outcome::Started &&
        m_mainWindow)
        PostMessageW(m_mainWindow, WM_APP_EXIT, 0, 0);
}

void CUpdateCheck::notifyFinished() const
{
    if (m_mainWindow && IsWindow(m_mainWindow))
        PostMessageW(m_mainWindow, WM_DOWNLOAD_FINISHED, 0, 0);
}
