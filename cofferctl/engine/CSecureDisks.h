#pragma once
// The vault's side of the secure-disk drivers: asking the bus for a new disk, listing the
// disks and the drives they appear as, matching them to lockboxes, attaching a data file with
// its key, giving the disk a drive letter and a label, and detaching it again.

#include "IDesktopIntegration.h"
#include "IDeviceAccess.h"
#include "ISystemHandles.h"
#include "IVolumeAccess.h"
#include "SDeviceRecord.h"

#include <string>
#include <vector>

class CLockbox;
class CVault;

class CSecureDisks {
public:
    enum EnumerateResult { Enumerated = 0, NoInterfaceList = 1, Unreadable = 2 };

    // `system` (for the in-use dialog of an interactive detach) stays the caller's; without it
    // the real system is asked.
    CSecureDisks(IDeviceAccess& devices, IVolumeAccess& volumes, IDesktopIntegration& desktop,
                 ISystemHandles* system = nullptr);

    // The plug-in request to the bus: true when the bus took it. The disk arrives later.
    bool requestDisk();
    // Every disk that answers its status; with `records` also the drives they appear as.
    EnumerateResult enumerateDisks(std::vector<SDeviceRecord>* records, DWORD& count);
    // Gives each lockbox the record of its disk and clears the others'; a disk serving no
    // known data file goes to `pending`, the lockbox whose open is in progress, if any.
    void refresh(CVault& vault, CLockbox* pending);

    // Serves the lockbox's data file on its (new) disk with the lockbox's open disk key.
    bool attach(CLockbox& lockbox);
    bool assignDrive(CLockbox& lockbox);
    bool labelVolume(const CLockbox& lockbox, const std::wstring& drive);
    bool isAttached(const CLockbox& lockbox);
    // Dismounts and ejects the disk. When a program holds it and `interactive` is set, the
    // in-use dialog says who, and its retry choice tries again.
    bool detach(CLockbox& lockbox, bool interactive);

    // The stand-in system of the tests, or null for the real one.
    ISystemHandles* systemHandles() const { return m_system; }

    // The data file's name as the driver takes it: "\??\UNC\server\..." for "\\server\...",
    // a name that starts with one backslash as it is, "\??\" before any other.
    static std::wstring ntFormOf(const std::wstring& path);
    // The attach request for a data file of `usableSize` bytes: see SecureDisk.h.
    static std::vector<BYTE> attachRequest(uint64_t usableSize, const BYTE key[16], const std::wstring& ntName);
    // Reads a status answer into a record; false when it is shorter than a status.
    static bool readStatus(const BYTE* status, DWORD length, SDeviceRecord& record);

private:
    bool queryStatus(const std::wstring& path, SDeviceRecord& record);
    bool inUseRetry(const CLockbox& lockbox);

    IDeviceAccess& m_devices;
    IVolumeAccess& m_volumes;
    IDesktopIntegration& m_desktop;
    ISystemHandles* m_system;
};
