#pragma once
// Stand-in for the secure-disk bus and its disks, where Wine has no drivers: it answers the
// driver update, lists the bus and disk interfaces, checks and answers the plug-in request
// and the disk query, keeps device nodes that can be ejected, and plays the device events as
// WM_DEVICECHANGE to the window that registered for them, from a thread of its own as the
// system does. On arrival it can write the disk's instance key, as Windows would on
// installing the disk. Every call is written to a step log the tests compare.

#include "IDeviceAccess.h"

#include <dbt.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CSimulatedDiskBus : public IDeviceAccess {
public:
    struct Disk {
        std::wstring instanceId;
        DWORD queryBytes = 304;      // length of its answer to the disk query
        bool opens = true;           // its interface can be opened
        bool detailsReadable = true; // its interface details and object name can be read
        bool started = true;         // its device node has DN_STARTED
        std::wstring vetoName;       // who refuses the eject; empty: the eject succeeds
        bool reportsRemoval = true;  // an eject is followed by a removal notification
    };

    // What the bus does.
    bool refuseDriverUpdate = false;
    bool busPresent = true;
    bool refusePlugIn = false;
    bool diskArrives = true;     // a plug-in request creates the disk
    bool announceArrival = true; // ... and its arrival is played at once
    // The disk that a plug-in request creates, and the instance key (below the secure disk's
    // Enum key) that Windows writes for it on arrival; no key when empty.
    Disk pluggedDisk{L"SECUREDISK\\DISK_AESENC\\1&2C4A7E1&0&01"};
    std::wstring arrivingInstanceKey = L"1&2c4a7e1&0&01";
    std::vector<Disk> disks; // disks on the bus before the plug-in

    // Called after each logged step, on the thread that made the call.
    std::function<void(const std::string& step)> onStep;

    ~CSimulatedDiskBus() override;

    std::vector<std::string> steps() const;
    HWND notifiedWindow() const;
    // Plays an arrival or removal from the bus's own thread, after `delayMs`.
    void playArrival(DWORD delayMs = 0);
    void playRemoval(DWORD delayMs = 0);

    bool updateDriver(const std::string& hardwareId, const std::string& infPath) override;
    bool firstInterfacePath(const GUID& interfaceClass, std::wstring& path) override;
    bool listInterfaces(const GUID& interfaceClass, std::vector<DeviceInterface>& interfaces) override;
    bool ioControl(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes, void* output,
                   DWORD outputBytes, DWORD& returned) override;
    bool ioControlReadWrite(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes, void* output,
                            DWORD outputBytes, DWORD& returned) override;
    bool locateDevNode(const std::wstring& instanceId, DEVINST& node) override;
    bool devNodeStatus(DEVINST node, ULONG& status) override;
    bool requestEject(DEVINST node, std::wstring& vetoName) override;
    HDEVNOTIFY registerInterfaceNotification(HWND window, const GUID& interfaceClass) override;
    void unregisterNotification(HDEVNOTIFY notification) override;

    static constexpr wchar_t kBusPath[] = L"\\\\?\\root#sbusenum#0000#{5a57c30b-bb86-4f23-a2d2-2d8291a124ba}";

private:
    void log(const std::string& step);
    void play(WPARAM event, const char* step, DWORD delayMs);
    static std::wstring diskPath(const Disk& disk);
    bool plugIn(const void* input, DWORD inputBytes, void* output, DWORD outputBytes, DWORD& returned);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_steps;
    HWND m_window = nullptr;
    DEV_BROADCAST_DEVICEINTERFACE_W m_broadcast{};
    std::mutex m_playersMutex;
    std::atomic<int> m_playing{0};
    std::vector<std::thread> m_players;
};
