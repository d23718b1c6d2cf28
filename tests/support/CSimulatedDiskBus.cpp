#include "CSimulatedDiskBus.h"

#include "SecureDisk.h"
#include "RegistryProbe.h"

#include <cstring>

namespace {

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A fake notification handle: the bus only has to know it again.
HDEVNOTIFY const kNotification = reinterpret_cast<HDEVNOTIFY>(0x5D15C);

} // namespace

CSimulatedDiskBus::~CSimulatedDiskBus()
{
    // A player may be sending to a window of this thread: keep taking sent messages until
    // every one has finished.
    while (m_playing > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    std::lock_guard<std::mutex> lock(m_playersMutex);
    for (std::thread& player : m_players)
        player.join();
}

void CSimulatedDiskBus::log(const std::string& step)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_steps.push_back(step);
    }
    if (onStep)
        onStep(step);
}

std::vector<std::string> CSimulatedDiskBus::steps() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_steps;
}

HWND CSimulatedDiskBus::notifiedWindow() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_window;
}

void CSimulatedDiskBus::play(WPARAM event, const char* step, DWORD delayMs)
{
    HWND window = notifiedWindow();
    std::lock_guard<std::mutex> lock(m_playersMutex);
    ++m_playing;
    m_players.emplace_back([this, window, event, step, delayMs] {
        Sleep(delayMs);
        log(step);
        // Sent, as the system sends device events; the broadcast outlives every player.
        if (window)
            SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&m_broadcast));
        --m_playing;
    });
}

void CSimulatedDiskBus::playArrival(DWORD delayMs) { play(DBT_DEVICEARRIVAL, "arrival", delayMs); }

void CSimulatedDiskBus::playRemoval(DWORD delayMs) { play(DBT_DEVICEREMOVECOMPLETE, "removal", delayMs); }

bool CSimulatedDiskBus::updateDriver(const std::string& hardwareId, const std::string& infPath)
{
    log("updateDriver " + hardwareId);
    return !refuseDriverUpdate;
}

bool CSimulatedDiskBus::firstInterfacePath(const GUID& interfaceClass, std::wstring& path)
{
    if (interfaceClass != securedisk::kBusInterface || !busPresent)
        return false;
    path = kBusPath;
    return true;
}

std::wstring CSimulatedDiskBus::diskPath(const Disk& disk) { return L"\\\\?\\disk#" + disk.instanceId; }

bool CSimulatedDiskBus::listInterfaces(const GUID& interfaceClass, std::vector<DeviceInterface>& interfaces)
{
    log("listDisks");
    interfaces.clear();
    if (interfaceClass != securedisk::kDiskInterface)
        return true;
    for (const Disk& disk : disks) {
        if (!disk.detailsReadable)
            return false;
        interfaces.push_back({diskPath(disk), disk.instanceId, L"\\Device\\00000042"});
    }
    return true;
}

bool CSimulatedDiskBus::plugIn(const void* input, DWORD inputBytes, void* output, DWORD outputBytes, DWORD& returned)
{
    // The request must be the 56-byte block: header size 8, serial 0, the disk's hardware id
    // as UTF-16 and an empty string after it, answered in the same buffer.
    BYTE expected[56] = {8};
    const wchar_t id[] = L"SecureDisk\\Disk_AesEnc";
    std::memcpy(expected + 8, id, sizeof id);
    if (inputBytes != 56 || outputBytes != 56 || input != output || std::memcmp(input, expected, 56) != 0) {
        log("plugIn malformed");
        return false;
    }
    log("plugIn");
    if (refusePlugIn)
        return false;
    returned = 56;
    if (diskArrives) {
        disks.push_back(pluggedDisk);
        if (!arrivingInstanceKey.empty()) {
            const std::wstring key = L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk\\Disk_AesEnc\\" + arrivingInstanceKey;
            testreg::put(HKEY_LOCAL_MACHINE, key, L"HardwareID", testreg::text(L"SecureDisk\\Disk_AesEnc", REG_MULTI_SZ));
            testreg::put(HKEY_LOCAL_MACHINE, key + L"\\Device Parameters", L"Partmgr", testreg::dword(1));
        }
        if (announceArrival)
            playArrival();
    }
    return true;
}

bool CSimulatedDiskBus::ioControl(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes,
                                  void* output, DWORD outputBytes, DWORD& returned)
{
    returned = 0;
    if (path == kBusPath)
        return code == securedisk::kIoctlPlugIn && plugIn(input, inputBytes, output, outputBytes, returned);

    for (const Disk& disk : disks) {
        if (diskPath(disk) != path)
            continue;
        log("query " + narrow(disk.instanceId));
        if (!disk.opens || code != securedisk::kIoctlDiskStatus || inputBytes != 0 || outputBytes != 304)
            return false;
        std::memset(output, 0, outputBytes);
        returned = disk.queryBytes;
        return true;
    }
    return false;
}

bool CSimulatedDiskBus::ioControlReadWrite(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes,
                                           void* output, DWORD outputBytes, DWORD& returned)
{
    return ioControl(path, code, input, inputBytes, output, outputBytes, returned);
}

bool CSimulatedDiskBus::locateDevNode(const std::wstring& instanceId, DEVINST& node)
{
    log("locate " + narrow(instanceId));
    for (size_t i = 0; i < disks.size(); ++i) {
        if (disks[i].instanceId == instanceId) {
            node = static_cast<DEVINST>(i + 1);
            return true;
        }
    }
    return false;
}

bool CSimulatedDiskBus::devNodeStatus(DEVINST node, ULONG& status)
{
    if (node == 0 || node > disks.size())
        return false;
    status = disks[node - 1].started ? DN_STARTED : 0;
    return true;
}

bool CSimulatedDiskBus::requestEject(DEVINST node, std::wstring& vetoName)
{
    if (node == 0 || node > disks.size())
        return false;
    Disk& disk = disks[node - 1];
    log("eject " + narrow(disk.instanceId));
    vetoName = disk.vetoName;
    if (vetoName.empty()) {
        disk.started = false;
        if (disk.reportsRemoval)
            playRemoval();
    }
    return true;
}

HDEVNOTIFY CSimulatedDiskBus::registerInterfaceNotification(HWND window, const GUID& interfaceClass)
{
    if (interfaceClass != securedisk::kDiskInterface)
        return nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_window = window;
    m_broadcast.dbcc_size = sizeof m_broadcast;
    m_broadcast.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    m_broadcast.dbcc_classguid = interfaceClass;
    return kNotification;
}

void CSimulatedDiskBus::unregisterNotification(HDEVNOTIFY notification)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (notification == kNotification)
        m_window = nullptr;
}
