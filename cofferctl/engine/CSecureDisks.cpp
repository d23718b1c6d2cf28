#include "CSecureDisks.h"

#include "CInUseDialog.h"
#include "CLockbox.h"
#include "CPrivateAreaFile.h"
#include "CSystemHandles.h"
#include "CVault.h"
#include "LittleEndian.h"
#include "SecureDisk.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr wchar_t kDiskDevicePrefix[] = L"\\Device\\SDisk";
constexpr size_t kNameBufferBytes = 512;     // a status name is copied into this, always ended
constexpr ULONGLONG kIdleUnitsPerSecond = 10000000;

template <size_t N>
void copyText(wchar_t (&field)[N], const std::wstring& text)
{
    lstrcpynW(field, text.c_str(), static_cast<int>(N));
}

std::wstring diskDeviceName(DWORD number) { return kDiskDevicePrefix + std::to_wstring(number); }

} // namespace

CSecureDisks::CSecureDisks(IDeviceAccess& devices, IVolumeAccess& volumes, IDesktopIntegration& desktop,
                           ISystemHandles* system)
    : m_devices(devices), m_volumes(volumes), m_desktop(desktop), m_system(system)
{
}

std::wstring CSecureDisks::ntFormOf(const std::wstring& path)
{
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\??\\UNC" + path.substr(1);
    if (path.compare(0, 1, L"\\") == 0)
        return path;
    return L"\\??\\" + path;
}

std::vector<BYTE> CSecureDisks::attachRequest(uint64_t usableSize, const BYTE key[16], const std::wstring& ntName)
{
    const size_t nameBytes = ntName.size() * sizeof(wchar_t);
    std::vector<BYTE> request(nameBytes + securedisk::kAttachExtraBytes, 0);
    writeLittleEndian<uint64_t>(request.data() + securedisk::kAttachUsableSize, usableSize);
    std::memcpy(request.data() + securedisk::kAttachKey, key, securedisk::kAttachKeyBytes);
    writeLittleEndian<uint16_t>(request.data() + securedisk::kAttachNameBytes, static_cast<uint16_t>(nameBytes));
    std::memcpy(request.data() + securedisk::kAttachName, ntName.data(), nameBytes);
    return request;
}

bool CSecureDisks::readStatus(const BYTE* status, DWORD length, SDeviceRecord& record)
{
    if (length < securedisk::kStatusMinimumBytes)
        return false;
    record.diskNumber = readLittleEndian<uint32_t>(status + securedisk::kStatusDiskNumber);
    record.attachState = readLittleEndian<uint32_t>(status + securedisk::kStatusAttachState);
    record.diskSize = readLittleEndian<uint64_t>(status + securedisk::kStatusDiskSize);
    record.idleTime = readLittleEndian<uint64_t>(status + securedisk::kStatusIdleTime);
    record.nameLength = readLittleEndian<uint16_t>(status + securedisk::kStatusNameBytes);
    // Only what the answer really holds, into a zeroed buffer so the name is always ended.
    wchar_t name[kNameBufferBytes / sizeof(wchar_t)] = {};
    const size_t available = length - securedisk::kStatusName;
    const size_t copied = std::min<size_t>({record.nameLength, available, kNameBufferBytes - sizeof(wchar_t)});
    std::memcpy(name, status + securedisk::kStatusName, copied);
    copyText(record.ntFileName, name);
    return true;
}

bool CSecureDisks::queryStatus(const std::wstring& path, SDeviceRecord& record)
{
    BYTE status[securedisk::kStatusBytes] = {};
    DWORD returned = 0;
    if (!m_devices.ioControl(path, securedisk::kIoctlDiskStatus, nullptr, 0, status, sizeof status, returned))
        return false;
    return readStatus(status, std::min<DWORD>(returned, sizeof status), record);
}

bool CSecureDisks::requestDisk()
{
    std::wstring bus;
    if (!m_devices.firstInterfacePath(securedisk::kBusInterface, bus))
        return false;
    securedisk::PlugInRequest request = securedisk::plugInRequest();
    DWORD returned = 0;
    return m_devices.ioControl(bus, securedisk::kIoctlPlugIn, &request, sizeof request, &request, sizeof request,
                               returned);
}

CSecureDisks::EnumerateResult CSecureDisks::enumerateDisks(std::vector<SDeviceRecord>* records, DWORD& count)
{
    count = 0;
    if (records)
        records->clear();
    std::vector<DeviceInterface> interfaces;
    const bool listed = m_devices.listInterfaces(securedisk::kDiskInterface, interfaces);
    if (!listed && interfaces.empty())
        return NoInterfaceList;
    for (const DeviceInterface& disk : interfaces) {
        SDeviceRecord record;
        if (!queryStatus(disk.path, record))
            continue;
        copyText(record.interfacePath, disk.path);
        copyText(record.instanceId, disk.instanceId);
        copyText(record.physicalObjectName, disk.physicalObjectName);
        ++count;
        if (records)
            records->push_back(record);
    }
    if (!listed)
        return Unreadable;
    if (!records)
        return Enumerated;

    const std::vector<std::wstring> roots = m_volumes.logicalDriveStrings();
    if (roots.empty())
        return Unreadable;
    for (const std::wstring& root : roots) {
        const std::wstring drive = root.substr(0, 2);
        if (m_volumes.dosDeviceTarget(drive).find(L"SDisk") == std::wstring::npos)
            continue;
        const std::wstring volumePath = L"\\\\.\\" + drive;
        SDeviceRecord volume;
        if (!queryStatus(volumePath, volume))
            continue;
        for (SDeviceRecord& record : *records) {
            if (record.diskNumber == volume.diskNumber) {
                copyText(record.volumePath, volumePath);
                copyText(record.drive, drive);
            }
        }
    }
    return Enumerated;
}

void CSecureDisks::refresh(CVault& vault, CLockbox* pending)
{
    DWORD count = 0;
    if (enumerateDisks(nullptr, count) != Enumerated)
        return;
    for (const auto& lockbox : vault.lockboxes())
        lockbox->device() = SDeviceRecord{};
    if (count == 0)
        return;
    std::vector<SDeviceRecord> records;
    if (enumerateDisks(&records, count) != Enumerated)
        return;
    for (const SDeviceRecord& record : records) {
        const std::wstring name = record.ntFileName;
        CLockbox* owner = name.size() > 4 ? vault.findLockbox(name.substr(4), true) : nullptr;
        if (!owner)
            owner = pending;
        if (!owner)
            continue;
        owner->device() = record;
        owner->setInactivitySeconds(static_cast<DWORD>(record.idleTime / kIdleUnitsPerSecond));
    }
}

bool CSecureDisks::isAttached(const CLockbox& lockbox)
{
    // An empty instance id would locate the root of the device tree.
    if (lockbox.device().instanceId[0] == L'\0')
        return false;
    DEVINST node = 0;
    if (!m_devices.locateDevNode(lockbox.device().instanceId, node))
        return false;
    return lockbox.device().attached();
}

bool CSecureDisks::attach(CLockbox& lockbox)
{
    SDeviceRecord& record = lockbox.device();
    if (record.attachState != 0)
        return true;
    const CSecretBytes& key = lockbox.openDiskKey();
    if (key.size() != securedisk::kAttachKeyBytes)
        return false;
    std::vector<BYTE> request = attachRequest(CPrivateAreaFile::usableSize(lockbox.dataFile()), key.data(),
                                              ntFormOf(lockbox.dataFile()));
    CPrivateAreaFile::ensureSideFile(lockbox.dataFile());
    DWORD returned = 0;
    const DWORD bytes = static_cast<DWORD>(request.size());
    const bool sent = m_devices.ioControlReadWrite(record.interfacePath, securedisk::kIoctlAttach, request.data(),
                                                   bytes, request.data(), bytes, returned);
    SecureZeroMemory(request.data(), request.size());
    if (!sent)
        return false;
    assignDrive(lockbox);
    record.attachState = 1;
    return true;
}

bool CSecureDisks::assignDrive(CLockbox& lockbox)
{
    const DWORD used = m_volumes.logicalDrives();
    const auto isFree = [used](wchar_t letter) { return (used & (1u << (letter - L'A'))) == 0; };
    wchar_t letter = lockbox.preferredDrive();
    if (letter < L'A' || letter > L'Z' || !isFree(letter)) {
        letter = 0;
        for (wchar_t candidate = L'D'; candidate <= L'Z' && !letter; ++candidate)
            if (isFree(candidate))
                letter = candidate;
    }
    if (!letter)
        return false;
    const std::wstring drive{letter, L':'};
    if (!m_volumes.defineDrive(drive, diskDeviceName(lockbox.device().diskNumber)))
        return false;
    copyText(lockbox.device().drive, drive);
    copyText(lockbox.device().volumePath, L"\\\\.\\" + drive);
    m_desktop.applySearchExclusion(drive, lockbox.excludeFromSearch());
    return true;
}

bool CSecureDisks::labelVolume(const CLockbox& lockbox, const std::wstring& drive)
{
    if (drive.empty())
        return false;
    const std::wstring root = drive.substr(0, 1) + L":\\";
    std::wstring label, fileSystem;
    if (!m_volumes.volumeInformation(root, label, fileSystem))
        return false;
    // FAT labels are upper-case and short: such a volume keeps whatever label it has.
    if (fileSystem.compare(0, 3, L"FAT") == 0)
        return true;
    if (label == lockbox.name())
        return true;
    return m_volumes.setVolumeLabel(root, lockbox.name());
}

bool CSecureDisks::detach(CLockbox& lockbox, bool interactive)
{
    for (;;) {
        const SDeviceRecord& record = lockbox.device();
        DEVINST node = 0;
        ULONG status = 0;
        // No disk of its own (an empty id would name the root of the device tree).
        if (record.instanceId[0] == L'\0')
            return true;
        if (!m_devices.locateDevNode(record.instanceId, node) || !m_devices.devNodeStatus(node, status) ||
            !(status & DN_STARTED))
            return true;
        m_volumes.dismountVolume(L"\\\\.\\" + std::wstring(record.drive));
        std::wstring vetoName;
        if (m_devices.requestEject(node, vetoName) && vetoName.empty()) {
            m_volumes.removeDrive(record.drive);
            return true;
        }
        if (!interactive || !inUseRetry(lockbox))
            return false;
    }
}

bool CSecureDisks::inUseRetry(const CLockbox& lockbox)
{
    std::unique_ptr<ISystemHandles> own;
    ISystemHandles* system = m_system;
    if (!system) {
        own = std::make_unique<CSystemHandles>();
        system = own.get();
    }
    SOpenLockbox open{lockbox.name(), lockbox.device().drive[0], lockbox.device().diskNumber};
    CInUseDialog dialog(CInUseDialog::Mode::Close, {open}, system);
    // Nothing to show when the holders cannot be found at all.
    if (!dialog.detect())
        return false;
    return dialog.doModal(nullptr) == IDOK && dialog.retry();
}
