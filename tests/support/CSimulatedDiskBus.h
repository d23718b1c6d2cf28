#pragma once
// Stand-in for the secure-disk bus and its disks, where Wine has no drivers: it answers the
// driver update, lists the bus and disk interfaces, checks and answers the plug-in, status
// and attach requests, keeps device nodes that can be ejected, and plays the device events as
// WM_DEVICECHANGE to the window that registered for them, from a thread of its own as the
// system does. On arrival it can write the disk's instance key, as Windows would on
// installing the disk. It also stands for the volumes the disks make: drive letters, DOS
// device names, dismounting, labels and formatting; and it serves an attached disk's sectors
// from its data file, enciphered as the disk driver does. Every call is written to a step log
// the tests compare.
//
// Tests set the public fields before use; after that the bus may be called from any thread.

#include "IDeviceAccess.h"
#include "IVolumeAccess.h"

#include <dbt.h>

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CSimulatedDiskBus : public IDeviceAccess, public IVolumeAccess {
public:
    static constexpr DWORD kSectorBytes = 512;

    struct Disk {
        std::wstring instanceId;
        DWORD queryBytes = 0;        // length of its status answer; 0: 26 + name bytes, at least 30
        bool opens = true;           // its interface can be opened
        bool detailsReadable = true; // its interface details and object name can be read
        bool started = true;         // its device node has DN_STARTED
        std::wstring vetoName;       // who refuses the eject (a program holding files on it); empty: it succeeds
        bool reportsRemoval = true;  // an eject is followed by removal notifications
        DWORD number = 0;            // it is "\Device\SDisk<number>"
        DWORD attachState = 0;       // 0 new, 1 serving a data file
        ULONGLONG size = 0;          // bytes
        ULONGLONG idleTime = 0;      // 100 ns units since last written
        std::wstring ntName;         // the data file's name as attached ("\??\C:\...")
        std::wstring dataFile;       // ... as a path ("C:\...")
        ULONGLONG usableSize = 0;    // bytes of disk image at the start of the data file
        std::array<BYTE, 16> key{};
        std::wstring fileSystem = L"NTFS"; // empty: not formatted, its volume is not recognised
        std::wstring label;
        bool present = true; // on the bus; an ejected disk is gone
    };

    struct FormatCall {
        std::wstring drive;
        DWORD mediaType = 0;
        std::wstring fileSystem;
        std::wstring label;
        bool quickFormat = false;
        DWORD clusterSize = 0;
    };

    // What the bus does.
    bool refuseDriverUpdate = false;
    bool busPresent = true;
    bool refusePlugIn = false;
    bool diskArrives = true;     // a plug-in request creates the disk
    bool announceArrival = true; // ... and its arrival is played at once
    bool refuseAttach = false;   // the disk refuses every data file
    // The disk that a plug-in request creates (it takes the next disk number, and an instance id
    // of its own while an earlier one is on the bus), and the instance key (below the secure
    // disk's Enum key) that Windows writes for it on arrival; no key when empty.
    Disk pluggedDisk{L"SECUREDISK\\DISK_AESENC\\1&2C4A7E1&0&01"};
    std::wstring arrivingInstanceKey = L"1&2c4a7e1&0&01";
    std::vector<Disk> disks; // disks on the bus before the plug-in

    // What the volumes do.
    DWORD usedDrives = 1u << 2;  // letters other devices hold (bit 0 is A:)
    bool noDriveStrings = false; // the drive strings come back empty
    bool announceVolumes = true; // a drive defined for an attached disk plays a volume arrival
    bool formatterMissing = false;
    bool formatFails = false;

    // Called after each logged step, on the thread that made the call.
    std::function<void(const std::string& step)> onStep;

    ~CSimulatedDiskBus() override;

    std::vector<std::string> steps() const;
    HWND notifiedWindow() const;
    // Plays an arrival or removal from the bus's own thread, after `delayMs`.
    void playArrival(DWORD delayMs = 0);
    void playRemoval(DWORD delayMs = 0);

    // A copy of the disk of that number, ejected or not.
    std::optional<Disk> disk(DWORD number) const;
    // Disks on the bus.
    int diskCount() const;
    // Changes to a disk on the bus while it is in use: who holds files on it (an eject is
    // refused while set), whether its eject is reported, how long it has been idle. False when
    // no disk of that number is on the bus.
    bool setVetoName(DWORD number, const std::wstring& vetoName);
    bool setReportsRemoval(DWORD number, bool reportsRemoval);
    bool setIdleTime(DWORD number, ULONGLONG idleTime);
    std::vector<FormatCall> formatCalls() const;

    // Sectors of an attached disk as a program using its drive reads and writes them: whole
    // sectors within the usable size. A write resets the disk's idle time.
    bool writeDisk(DWORD number, ULONGLONG offset, const std::vector<BYTE>& bytes);
    bool readDisk(DWORD number, ULONGLONG offset, size_t length, std::vector<BYTE>& bytes);
    // One sector of a data file in plain text: Twofish-128 in CBC mode, the IV being the sector
    // number (16 bytes, little-endian) enciphered with the key.
    static std::vector<BYTE> decipherSector(const BYTE key[16], ULONGLONG sectorNumber, const BYTE* cipher);

    // IDeviceAccess
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

    // IVolumeAccess
    DWORD logicalDrives() override;
    std::vector<std::wstring> logicalDriveStrings() override;
    std::wstring dosDeviceTarget(const std::wstring& drive) override;
    bool defineDrive(const std::wstring& drive, const std::wstring& target) override;
    bool removeDrive(const std::wstring& drive) override;
    bool dismountVolume(const std::wstring& volumePath) override;
    bool volumeInformation(const std::wstring& root, std::wstring& label, std::wstring& fileSystem) override;
    bool setVolumeLabel(const std::wstring& root, const std::wstring& label) override;
    bool loadFormatter() override;
    void formatEx(const std::wstring& drive, DWORD mediaType, const std::wstring& fileSystem,
                  const std::wstring& label, bool quickFormat, DWORD clusterSize, FormatCallback callback) override;

    static constexpr wchar_t kBusPath[] = L"\\\\?\\root#sbusenum#0000#{5a57c30b-bb86-4f23-a2d2-2d8291a124ba}";
    static constexpr wchar_t kDiskDevicePrefix[] = L"\\Device\\SDisk";
    static std::wstring diskPath(const Disk& disk);

private:
    // One notification of a player; `volumeMask` 0 is the disk interface's.
    struct Event {
        WPARAM type;
        std::string step;
        DWORD volumeMask;
    };

    void log(const std::string& step);
    void play(std::vector<Event> events, DWORD delayMs);
    bool control(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes, void* output,
                 DWORD outputBytes, DWORD& returned, bool readWrite);
    bool plugIn(const void* input, DWORD inputBytes, void* output, DWORD outputBytes, DWORD& returned);
    bool status(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes, void* output,
                DWORD outputBytes, DWORD& returned);
    bool attach(const std::wstring& path, const void* input, DWORD inputBytes, void* output, DWORD outputBytes,
                DWORD& returned);
    bool sectorRange(const Disk& disk, ULONGLONG offset, size_t length) const;

    // With m_mutex held.
    Disk* presentDisk(DWORD number);
    template <typename Change>
    bool changeDisk(DWORD number, Change change);
    Disk* diskOfTarget(const std::wstring& target);
    Disk* diskOfLetter(wchar_t letter);
    wchar_t letterOf(const Disk& disk) const;

    mutable std::mutex m_mutex;
    std::vector<std::string> m_steps;
    HWND m_window = nullptr;
    DEV_BROADCAST_DEVICEINTERFACE_W m_broadcast{};
    DWORD m_lastNumber = 0;
    std::map<wchar_t, std::wstring> m_drives; // 'A'..'Z' -> target
    std::vector<FormatCall> m_formatCalls;

    std::mutex m_playersMutex;
    std::atomic<int> m_playing{0};
    std::vector<std::thread> m_players;
};
