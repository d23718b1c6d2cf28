#include "CSimulatedDiskBus.h"

#include "CTwofish.h"
#include "LittleEndian.h"
#include "RegistryProbe.h"
#include "SecureDisk.h"
#include "UniqueHandle.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace {

std::string narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), bytes, nullptr,
                        nullptr);
    return result;
}

// A fake notification handle: the bus only has to know it again.
HDEVNOTIFY const kNotification = reinterpret_cast<HDEVNOTIFY>(0x5D15C);

constexpr wchar_t kVolumePrefix[] = L"\\\\.\\";

// 'A'..'Z' for "X:" or "X:\", 0 for anything else.
wchar_t driveLetter(const std::wstring& drive)
{
    if (drive.size() < 2 || drive.size() > 3 || drive[1] != L':' || (drive.size() == 3 && drive[2] != L'\\'))
        return 0;
    wchar_t letter = static_cast<wchar_t>(std::towupper(drive[0]));
    return letter >= L'A' && letter <= L'Z' ? letter : 0;
}

// The letter of a volume path "\\.\X:", 0 for anything else.
wchar_t volumeLetter(const std::wstring& path)
{
    const size_t prefix = std::wcslen(kVolumePrefix);
    if (path.size() != prefix + 2 || path.compare(0, prefix, kVolumePrefix) != 0)
        return 0;
    return driveLetter(path.substr(prefix));
}

DWORD bitOf(wchar_t letter) { return 1u << (letter - L'A'); }

std::string driveText(wchar_t letter) { return std::string(1, static_cast<char>(letter)) + ":"; }

// Little-endian fields at any offset: the name in the driver's blocks starts at an odd place.
template <typename T>
T readField(const BYTE* block, size_t offset)
{
    return readLittleEndian<T>(block + offset);
}

template <typename T>
void writeField(BYTE* block, size_t offset, T value)
{
    writeLittleEndian<T>(block + offset, value);
}

// "\??\UNC\server\share\..." is "\\server\share\...", "\??\C:\..." is "C:\..."; any other
// form is no file the disk can serve.
std::wstring pathFromNtName(const std::wstring& ntName)
{
    const std::wstring dosDevices = L"\\??\\";
    if (ntName.compare(0, dosDevices.size(), dosDevices) != 0)
        return {};
    std::wstring rest = ntName.substr(dosDevices.size());
    if (rest.size() > 4 && rest.compare(0, 4, L"UNC\\") == 0)
        return L"\\\\" + rest.substr(4);
    if (rest.size() >= 3 && driveLetter(rest.substr(0, 3)) != 0)
        return rest;
    return {};
}

void sectorIv(const CTwofish& cipher, ULONGLONG sector, BYTE iv[16])
{
    BYTE number[16] = {};
    writeField<ULONGLONG>(number, 0, sector);
    cipher.encipherBlock(number, iv);
}

void encipherSector(const CTwofish& cipher, ULONGLONG sector, const BYTE* plain, BYTE* out)
{
    BYTE chain[16];
    sectorIv(cipher, sector, chain);
    for (size_t block = 0; block < CSimulatedDiskBus::kSectorBytes; block += 16) {
        BYTE mixed[16];
        for (size_t i = 0; i < 16; ++i)
            mixed[i] = plain[block + i] ^ chain[i];
        cipher.encipherBlock(mixed, out + block);
        std::memcpy(chain, out + block, 16);
    }
}

void decipherWith(const CTwofish& cipher, ULONGLONG sector, const BYTE* in, BYTE* plain)
{
    BYTE chain[16];
    sectorIv(cipher, sector, chain);
    for (size_t block = 0; block < CSimulatedDiskBus::kSectorBytes; block += 16) {
        BYTE mixed[16];
        cipher.decipherBlock(in + block, mixed);
        for (size_t i = 0; i < 16; ++i)
            plain[block + i] = mixed[i] ^ chain[i];
        std::memcpy(chain, in + block, 16);
    }
}

CFileHandle openDataFile(const std::wstring& path)
{
    return CFileHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool seek(HANDLE file, ULONGLONG offset)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

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

void CSimulatedDiskBus::play(std::vector<Event> events, DWORD delayMs)
{
    HWND window = notifiedWindow();
    std::lock_guard<std::mutex> lock(m_playersMutex);
    ++m_playing;
    m_players.emplace_back([this, window, events = std::move(events), delayMs] {
        Sleep(delayMs);
        for (const Event& event : events) {
            log(event.step);
            if (!window)
                continue;
            // Sent, as the system sends device events. A volume's block lives on this thread's
            // stack until the send returns; the interface's broadcast outlives every player.
            if (event.volumeMask) {
                DEV_BROADCAST_VOLUME volume{};
                volume.dbcv_size = sizeof volume;
                volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
                volume.dbcv_unitmask = event.volumeMask;
                SendMessageW(window, WM_DEVICECHANGE, event.type, reinterpret_cast<LPARAM>(&volume));
            } else {
                SendMessageW(window, WM_DEVICECHANGE, event.type, reinterpret_cast<LPARAM>(&m_broadcast));
            }
        }
        --m_playing;
    });
}

void CSimulatedDiskBus::playArrival(DWORD delayMs) { play({{DBT_DEVICEARRIVAL, "arrival", 0}}, delayMs); }

void CSimulatedDiskBus::playRemoval(DWORD delayMs) { play({{DBT_DEVICEREMOVECOMPLETE, "removal", 0}}, delayMs); }

std::optional<CSimulatedDiskBus::Disk> CSimulatedDiskBus::disk(DWORD number) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Numbers are not given twice, but a test may have put in disks of its own: the one on the
    // bus first.
    const Disk* found = nullptr;
    for (const Disk& candidate : disks) {
        if (candidate.number == number && (!found || (candidate.present && !found->present)))
            found = &candidate;
    }
    return found ? std::optional<Disk>(*found) : std::nullopt;
}

template <typename Change>
bool CSimulatedDiskBus::changeDisk(DWORD number, Change change)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Disk* disk = presentDisk(number);
    if (disk)
        change(*disk);
    return disk != nullptr;
}

bool CSimulatedDiskBus::setVetoName(DWORD number, const std::wstring& vetoName)
{
    return changeDisk(number, [&](Disk& disk) { disk.vetoName = vetoName; });
}

bool CSimulatedDiskBus::setReportsRemoval(DWORD number, bool reportsRemoval)
{
    return changeDisk(number, [&](Disk& disk) { disk.reportsRemoval = reportsRemoval; });
}

bool CSimulatedDiskBus::setIdleTime(DWORD number, ULONGLONG idleTime)
{
    return changeDisk(number, [&](Disk& disk) { disk.idleTime = idleTime; });
}

int CSimulatedDiskBus::diskCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(std::count_if(disks.begin(), disks.end(), [](const Disk& d) { return d.present; }));
}

std::vector<CSimulatedDiskBus::FormatCall> CSimulatedDiskBus::formatCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_formatCalls;
}

CSimulatedDiskBus::Disk* CSimulatedDiskBus::presentDisk(DWORD number)
{
    for (Disk& disk : disks) {
        if (disk.present && disk.number == number)
            return &disk;
    }
    return nullptr;
}

CSimulatedDiskBus::Disk* CSimulatedDiskBus::diskOfTarget(const std::wstring& target)
{
    const size_t prefix = std::wcslen(kDiskDevicePrefix);
    if (target.size() <= prefix || target.size() > prefix + 9 || target.compare(0, prefix, kDiskDevicePrefix) != 0)
        return nullptr;
    DWORD number = 0;
    for (size_t i = prefix; i < target.size(); ++i) {
        if (target[i] < L'0' || target[i] > L'9')
            return nullptr;
        number = number * 10 + static_cast<DWORD>(target[i] - L'0');
    }
    return presentDisk(number);
}

CSimulatedDiskBus::Disk* CSimulatedDiskBus::diskOfLetter(wchar_t letter)
{
    auto drive = m_drives.find(letter);
    return drive == m_drives.end() ? nullptr : diskOfTarget(drive->second);
}

wchar_t CSimulatedDiskBus::letterOf(const Disk& disk) const
{
    const std::wstring target = kDiskDevicePrefix + std::to_wstring(disk.number);
    for (const auto& [letter, defined] : m_drives) {
        if (defined == target)
            return letter;
    }
    return 0;
}

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
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Disk& disk : disks) {
        if (!disk.present)
            continue;
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
    if (!diskArrives)
        return true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Disk plugged = pluggedDisk;
        for (const Disk& disk : disks)
            m_lastNumber = std::max(m_lastNumber, disk.number);
        plugged.number = ++m_lastNumber;
        plugged.present = true;
        // A second disk while the first is still there gets an instance of its own, as the bus
        // numbers its children.
        auto taken = [this](const std::wstring& instanceId) {
            return std::any_of(disks.begin(), disks.end(),
                               [&](const Disk& d) { return d.present && d.instanceId == instanceId; });
        };
        if (taken(plugged.instanceId)) {
            const size_t serial = plugged.instanceId.rfind(L'&');
            const std::wstring number = (plugged.number < 10 ? L"0" : L"") + std::to_wstring(plugged.number);
            plugged.instanceId =
                (serial == std::wstring::npos ? plugged.instanceId + L"&" : plugged.instanceId.substr(0, serial + 1)) +
                number;
            while (taken(plugged.instanceId))
                plugged.instanceId += L"0";
        }
        disks.push_back(std::move(plugged));
    }
    if (!arrivingInstanceKey.empty()) {
        const std::wstring key = L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk\\Disk_AesEnc\\" + arrivingInstanceKey;
        testreg::put(HKEY_LOCAL_MACHINE, key, L"HardwareID", testreg::text(L"SecureDisk\\Disk_AesEnc", REG_MULTI_SZ));
        testreg::put(HKEY_LOCAL_MACHINE, key + L"\\Device Parameters", L"Partmgr", testreg::dword(1));
    }
    if (announceArrival)
        playArrival();
    return true;
}

bool CSimulatedDiskBus::status(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes,
                               void* output, DWORD outputBytes, DWORD& returned)
{
    std::string step;
    bool answered = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Disk* disk = nullptr;
        if (wchar_t letter = volumeLetter(path)) {
            disk = diskOfLetter(letter);
            if (disk)
                step = "query " + driveText(letter);
        } else {
            for (Disk& candidate : disks) {
                if (candidate.present && diskPath(candidate) == path) {
                    disk = &candidate;
                    step = "query " + narrow(candidate.instanceId);
                    break;
                }
            }
        }
        if (!disk) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        if (disk->opens && code == securedisk::kIoctlDiskStatus && inputBytes == 0 && output &&
            outputBytes == securedisk::kStatusBytes) {
            BYTE* answer = static_cast<BYTE*>(output);
            std::memset(answer, 0, outputBytes);
            // A name longer than the buffer holds is cut to what fits.
            const size_t room = outputBytes - securedisk::kStatusName;
            const size_t nameBytes = std::min(disk->ntName.size() * sizeof(wchar_t), room & ~size_t(1));
            writeField<DWORD>(answer, securedisk::kStatusDiskNumber, disk->number);
            writeField<DWORD>(answer, securedisk::kStatusAttachState, disk->attachState);
            writeField<ULONGLONG>(answer, securedisk::kStatusDiskSize, disk->size);
            writeField<ULONGLONG>(answer, securedisk::kStatusIdleTime, disk->idleTime);
            writeField<WORD>(answer, securedisk::kStatusNameBytes, static_cast<WORD>(nameBytes));
            std::memcpy(answer + securedisk::kStatusName, disk->ntName.data(), nameBytes);
            const DWORD natural =
                std::max<DWORD>(securedisk::kStatusMinimumBytes, static_cast<DWORD>(securedisk::kStatusName + nameBytes));
            returned = std::min(outputBytes, disk->queryBytes ? disk->queryBytes : natural);
            answered = true;
        }
    }
    log(step);
    if (!answered)
        SetLastError(ERROR_INVALID_PARAMETER);
    return answered;
}

bool CSimulatedDiskBus::attach(const std::wstring& path, const void* input, DWORD inputBytes, void* output,
                               DWORD outputBytes, DWORD& returned)
{
    std::string step;
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Disk* disk = nullptr;
        for (Disk& candidate : disks) {
            if (candidate.present && diskPath(candidate) == path)
                disk = &candidate;
        }
        if (!disk) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        const std::string attachStep = "attach " + std::to_string(disk->number);
        const BYTE* request = static_cast<const BYTE*>(input);

        // The block is name bytes + 32, zero but for the fields, with a 0-terminated name whose
        // length leaves the terminator out; answered in the same buffer.
        bool wellFormed = input && input == output && inputBytes == outputBytes &&
                          inputBytes > securedisk::kAttachExtraBytes;
        std::wstring ntName;
        ULONGLONG usableSize = 0;
        if (wellFormed) {
            const size_t nameBytes = readField<WORD>(request, securedisk::kAttachNameBytes);
            wellFormed = nameBytes % sizeof(wchar_t) == 0 && inputBytes == nameBytes + securedisk::kAttachExtraBytes;
            if (wellFormed) {
                ntName.resize(nameBytes / sizeof(wchar_t) + 1);
                std::memcpy(ntName.data(), request + securedisk::kAttachName, ntName.size() * sizeof(wchar_t));
                wellFormed = ntName.back() == L'\0' && ntName.find(L'\0') == ntName.size() - 1;
                ntName.pop_back();
                const size_t tail = securedisk::kAttachName + nameBytes + sizeof(wchar_t);
                wellFormed = wellFormed && std::all_of(request + tail, request + inputBytes, [](BYTE b) { return b == 0; });
            }
            usableSize = readField<ULONGLONG>(request, securedisk::kAttachUsableSize);
            wellFormed = wellFormed && usableSize > 0 && usableSize % kSectorBytes == 0;
        }
        const std::wstring dataFile = wellFormed ? pathFromNtName(ntName) : std::wstring();

        if (!disk->opens) {
            step = attachStep + " cannot open the disk";
            error = ERROR_FILE_NOT_FOUND;
        } else if (dataFile.empty()) {
            step = attachStep + " malformed";
            error = ERROR_INVALID_PARAMETER;
        } else if (disk->attachState != 0) {
            step = attachStep + " busy";
            error = ERROR_BUSY;
        } else if (refuseAttach) {
            step = attachStep + " refused";
            error = ERROR_NOT_READY;
        } else if (!openDataFile(dataFile)) {
            error = GetLastError();
            step = attachStep + " cannot open " + narrow(dataFile);
        } else {
            disk->attachState = 1;
            disk->size = usableSize;
            disk->usableSize = usableSize;
            disk->ntName = ntName;
            disk->dataFile = dataFile;
            std::memcpy(disk->key.data(), request + securedisk::kAttachKey, securedisk::kAttachKeyBytes);
            returned = outputBytes;
            step = attachStep + " " + narrow(ntName);
        }
    }
    log(step);
    if (error != ERROR_SUCCESS)
        SetLastError(error);
    return error == ERROR_SUCCESS;
}

bool CSimulatedDiskBus::control(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes,
                                void* output, DWORD outputBytes, DWORD& returned, bool readWrite)
{
    returned = 0;
    if (path == kBusPath)
        return code == securedisk::kIoctlPlugIn && plugIn(input, inputBytes, output, outputBytes, returned);
    if (code != securedisk::kIoctlAttach)
        return status(path, code, input, inputBytes, output, outputBytes, returned);
    if (readWrite)
        return attach(path, input, inputBytes, output, outputBytes, returned);

    // A disk opened without access rights takes no data file.
    std::string step;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const Disk& disk : disks) {
            if (disk.present && diskPath(disk) == path)
                step = "attach " + std::to_string(disk.number) + " without write access";
        }
    }
    if (!step.empty())
        log(step);
    SetLastError(step.empty() ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return false;
}

bool CSimulatedDiskBus::ioControl(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes,
                                  void* output, DWORD outputBytes, DWORD& returned)
{
    return control(path, code, input, inputBytes, output, outputBytes, returned, false);
}

bool CSimulatedDiskBus::ioControlReadWrite(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes,
                                           void* output, DWORD outputBytes, DWORD& returned)
{
    return control(path, code, input, inputBytes, output, outputBytes, returned, true);
}

bool CSimulatedDiskBus::locateDevNode(const std::wstring& instanceId, DEVINST& node)
{
    log("locate " + narrow(instanceId));
    std::lock_guard<std::mutex> lock(m_mutex);
    // Ejected disks keep their place, so a node stays the same disk.
    for (size_t i = 0; i < disks.size(); ++i) {
        if (disks[i].present && disks[i].instanceId == instanceId) {
            node = static_cast<DEVINST>(i + 1);
            return true;
        }
    }
    return false;
}

bool CSimulatedDiskBus::devNodeStatus(DEVINST node, ULONG& status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (node == 0 || node > disks.size() || !disks[node - 1].present)
        return false;
    status = disks[node - 1].started ? DN_STARTED : 0;
    return true;
}

bool CSimulatedDiskBus::requestEject(DEVINST node, std::wstring& vetoName)
{
    std::string step;
    std::vector<Event> removals;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (node == 0 || node > disks.size() || !disks[node - 1].present)
            return false;
        Disk& disk = disks[node - 1];
        step = "eject " + narrow(disk.instanceId);
        vetoName = disk.vetoName;
        if (vetoName.empty()) {
            disk.started = false;
            disk.present = false;
            // The volume goes before the disk, as the system reports them; the drive's name stays
            // defined until it is removed.
            if (disk.reportsRemoval) {
                if (wchar_t letter = letterOf(disk))
                    removals.push_back({DBT_DEVICEREMOVECOMPLETE, "removal " + driveText(letter), bitOf(letter)});
                removals.push_back({DBT_DEVICEREMOVECOMPLETE, "removal", 0});
            }
        }
    }
    log(step);
    if (!removals.empty())
        play(std::move(removals), 0);
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

DWORD CSimulatedDiskBus::logicalDrives()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    DWORD drives = usedDrives;
    for (const auto& drive : m_drives)
        drives |= bitOf(drive.first);
    return drives;
}

std::vector<std::wstring> CSimulatedDiskBus::logicalDriveStrings()
{
    std::vector<std::wstring> roots;
    if (noDriveStrings)
        return roots;
    const DWORD drives = logicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (drives & bitOf(letter))
            roots.push_back(std::wstring(1, letter) + L":\\");
    }
    return roots;
}

std::wstring CSimulatedDiskBus::dosDeviceTarget(const std::wstring& drive)
{
    const wchar_t letter = driveLetter(drive);
    if (!letter)
        return {};
    std::lock_guard<std::mutex> lock(m_mutex);
    auto defined = m_drives.find(letter);
    if (defined != m_drives.end())
        return defined->second;
    if (!(usedDrives & bitOf(letter)))
        return {};
    // Other devices' volumes, numbered in drive order.
    int volume = 0;
    for (wchar_t other = L'A'; other <= letter; ++other)
        volume += (usedDrives & bitOf(other)) ? 1 : 0;
    return L"\\Device\\HarddiskVolume" + std::to_wstring(volume);
}

bool CSimulatedDiskBus::defineDrive(const std::wstring& drive, const std::wstring& target)
{
    const wchar_t letter = driveLetter(drive);
    if (!letter || target.empty())
        return false;
    bool defined = false;
    bool arrives = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!(usedDrives & bitOf(letter)) && m_drives.count(letter) == 0) {
            m_drives[letter] = target;
            defined = true;
            const Disk* disk = diskOfTarget(target);
            arrives = announceVolumes && disk && disk->attachState == 1;
        }
    }
    log("define " + driveText(letter) + " " + narrow(target) + (defined ? "" : " refused"));
    if (arrives)
        play({{DBT_DEVICEARRIVAL, "arrival " + driveText(letter), bitOf(letter)}}, 0);
    return defined;
}

bool CSimulatedDiskBus::removeDrive(const std::wstring& drive)
{
    const wchar_t letter = driveLetter(drive);
    if (!letter)
        return false;
    bool removed = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        removed = m_drives.erase(letter) != 0;
    }
    log("remove " + driveText(letter));
    return removed;
}

bool CSimulatedDiskBus::dismountVolume(const std::wstring& volumePath)
{
    const wchar_t letter = volumeLetter(volumePath);
    if (!letter)
        return false;
    bool defined = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        defined = m_drives.count(letter) != 0;
    }
    log("dismount " + driveText(letter));
    return defined;
}

bool CSimulatedDiskBus::volumeInformation(const std::wstring& root, std::wstring& label, std::wstring& fileSystem)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Disk* disk = diskOfLetter(driveLetter(root));
    if (!disk || disk->attachState != 1 || disk->fileSystem.empty())
        return false;
    label = disk->label;
    fileSystem = disk->fileSystem;
    return true;
}

bool CSimulatedDiskBus::setVolumeLabel(const std::wstring& root, const std::wstring& label)
{
    const wchar_t letter = driveLetter(root);
    if (!letter)
        return false;
    bool set = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Disk* disk = diskOfLetter(letter);
        if (disk && disk->attachState == 1 && !disk->fileSystem.empty()) {
            disk->label = label;
            set = true;
        }
    }
    log("label " + driveText(letter) + " " + narrow(label));
    return set;
}

bool CSimulatedDiskBus::loadFormatter() { return !formatterMissing; }

void CSimulatedDiskBus::formatEx(const std::wstring& drive, DWORD mediaType, const std::wstring& fileSystem,
                                 const std::wstring& label, bool quickFormat, DWORD clusterSize,
                                 FormatCallback callback)
{
    const wchar_t letter = driveLetter(drive);
    bool formattable = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_formatCalls.push_back({drive, mediaType, fileSystem, label, quickFormat, clusterSize});
        const Disk* disk = diskOfLetter(letter);
        formattable = !formatFails && disk && disk->attachState == 1;
    }
    log("format " + (letter ? driveText(letter) : narrow(drive)) + " " + narrow(fileSystem) + " " + narrow(label));
    if (!callback)
        return;

    // The callbacks come on this thread, as FormatEx makes them; a FALSE answer stops it.
    bool going = true;
    for (DWORD percent : {50u, 100u}) {
        if (going && !callback(kFormatProgress, 0, &percent))
            going = false;
    }
    BOOLEAN success = formattable && going ? TRUE : FALSE;
    if (success) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (Disk* disk = diskOfLetter(letter)) {
            disk->fileSystem = fileSystem;
            disk->label = label;
        } else {
            success = FALSE;
        }
    }
    callback(kFormatDone, 0, &success);
}

bool CSimulatedDiskBus::sectorRange(const Disk& disk, ULONGLONG offset, size_t length) const
{
    return disk.attachState == 1 && length > 0 && length <= MAXDWORD && offset % kSectorBytes == 0 &&
           length % kSectorBytes == 0 && offset <= disk.usableSize && length <= disk.usableSize - offset;
}

bool CSimulatedDiskBus::writeDisk(DWORD number, ULONGLONG offset, const std::vector<BYTE>& bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Disk* disk = presentDisk(number);
    if (!disk || !sectorRange(*disk, offset, bytes.size()))
        return false;
    CTwofish cipher(disk->key.data(), disk->key.size());
    std::vector<BYTE> enciphered(bytes.size());
    for (size_t done = 0; done < bytes.size(); done += kSectorBytes)
        encipherSector(cipher, (offset + done) / kSectorBytes, bytes.data() + done, enciphered.data() + done);
    CFileHandle file = openDataFile(disk->dataFile);
    DWORD written = 0;
    if (!file || !seek(file.get(), offset) ||
        !WriteFile(file.get(), enciphered.data(), static_cast<DWORD>(enciphered.size()), &written, nullptr) ||
        written != enciphered.size())
        return false;
    disk->idleTime = 0;
    return true;
}

bool CSimulatedDiskBus::readDisk(DWORD number, ULONGLONG offset, size_t length, std::vector<BYTE>& bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Disk* disk = presentDisk(number);
    if (!disk || !sectorRange(*disk, offset, length))
        return false;
    CFileHandle file = openDataFile(disk->dataFile);
    // Past the end of a short file the disk reads as enciphered zeros.
    std::vector<BYTE> enciphered(length, 0);
    DWORD read = 0;
    if (!file || !seek(file.get(), offset) ||
        !ReadFile(file.get(), enciphered.data(), static_cast<DWORD>(length), &read, nullptr))
        return false;
    CTwofish cipher(disk->key.data(), disk->key.size());
    bytes.assign(length, 0);
    for (size_t done = 0; done < length; done += kSectorBytes)
        decipherWith(cipher, (offset + done) / kSectorBytes, enciphered.data() + done, bytes.data() + done);
    return true;
}

std::vector<BYTE> CSimulatedDiskBus::decipherSector(const BYTE key[16], ULONGLONG sectorNumber, const BYTE* cipher)
{
    CTwofish twofish(key, 16);
    std::vector<BYTE> plain(kSectorBytes);
    decipherWith(twofish, sectorNumber, cipher, plain.data());
    return plain;
}
