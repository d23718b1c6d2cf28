// The vault's side of the secure-disk drivers against the simulated bus: the request layouts,
// the disk list and its drives, matching disks to lockboxes, drive letters, labels,
// detaching, formatting, and what the disk keeps in the data file.

#include "CPrivateAreaFile.h"
#include "CVaultRuntimeTest.h"
#include "CVolumeFormatter.h"
#include "SecureDisk.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Records the format notifications forwarded to a progress window.
struct SProgressLog {
    std::vector<std::pair<WPARAM, DWORD>> notifications;
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* log = reinterpret_cast<SProgressLog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_FORMAT_PROGRESS && log) {
            DWORD value = 0;
            if (wParam == IVolumeAccess::kFormatProgress)
                value = *reinterpret_cast<const DWORD*>(lParam);
            else if (wParam == IVolumeAccess::kFormatDone)
                value = *reinterpret_cast<const BOOLEAN*>(lParam);
            log->notifications.emplace_back(wParam, value);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

} // namespace

TEST(SecureDiskLayoutTest, NtFormsOfDataFilePaths)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* ntForm;
    };
    for (const Case& c : {Case{L"C:\\Vault\\1234.dat", L"\\??\\C:\\Vault\\1234.dat"},
                          Case{L"\\\\server\\share\\1234.dat", L"\\??\\UNC\\server\\share\\1234.dat"},
                          Case{L"\\Device\\HarddiskVolume2\\1234.dat", L"\\Device\\HarddiskVolume2\\1234.dat"}})
        EXPECT_EQ(CSecureDisks::ntFormOf(c.path), c.ntForm) << c.path;
}

TEST(SecureDiskLayoutTest, AttachRequestAndStatusAreReadToTheByte)
{
    const BYTE key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::wstring name = L"\\??\\C:\\a.dat";
    const std::vector<BYTE> request = CSecureDisks::attachRequest(0x123456789AULL, key, name);
    ASSERT_EQ(request.size(), name.size() * 2 + 32);
    const BYTE head[] = {0x9A, 0x78, 0x56, 0x34, 0x12, 0, 0, 0};
    EXPECT_EQ(std::memcmp(request.data(), head, 8), 0);
    EXPECT_EQ(std::memcmp(request.data() + 8, key, 16), 0);
    EXPECT_EQ(request[24] | request[25] << 8, static_cast<int>(name.size() * 2));
    EXPECT_EQ(std::memcmp(request.data() + 26, name.data(), name.size() * 2), 0);
    EXPECT_EQ(request[26 + name.size() * 2], 0); // ended
    EXPECT_EQ(request[27 + name.size() * 2], 0);

    // A status: disk 7, attached, 4 MB, 3 s idle, and its name. One byte short of the
    // minimum is no status at all; a name longer than the answer is cut to the answer.
    BYTE status[304] = {7, 0, 0, 0, 1};
    status[10] = 0x40;               // 4 MB
    status[16] = 0x80, status[17] = 0xC3, status[18] = 0xC9, status[19] = 0x01; // 30,000,000
    status[24] = static_cast<BYTE>(name.size() * 2);
    std::memcpy(status + 26, name.data(), name.size() * 2);
    SDeviceRecord record;
    EXPECT_FALSE(CSecureDisks::readStatus(status, 29, record));
    ASSERT_TRUE(CSecureDisks::readStatus(status, static_cast<DWORD>(26 + name.size() * 2), record));
    EXPECT_EQ(record.diskNumber, 7u);
    EXPECT_TRUE(record.attached());
    EXPECT_EQ(record.diskSize, 4194304u);
    EXPECT_EQ(record.idleTime, 30000000u);
    EXPECT_EQ(std::wstring(record.ntFileName), name);
    ASSERT_TRUE(CSecureDisks::readStatus(status, 30, record));
    EXPECT_EQ(std::wstring(record.ntFileName), L"\\?");
}

using SecureDisksTest = CVaultRuntimeTest;

TEST_F(SecureDisksTest, ShortStatusIsIgnoredAndVolumesAreMatchedByDiskNumber)
{
    CSimulatedDiskBus::Disk answering{L"SECUREDISK\\DISK_AESENC\\1&0&01"};
    answering.number = 4;
    CSimulatedDiskBus::Disk shortAnswer{L"SECUREDISK\\DISK_AESENC\\1&0&02"};
    shortAnswer.number = 5;
    shortAnswer.queryBytes = 29;
    bus.disks = {answering, shortAnswer};
    ASSERT_TRUE(bus.defineDrive(L"K:", L"\\Device\\SDisk4"));

    DWORD count = 0;
    EXPECT_EQ(disks->enumerateDisks(nullptr, count), CSecureDisks::Enumerated);
    EXPECT_EQ(count, 1u);
    std::vector<SDeviceRecord> records;
    ASSERT_EQ(disks->enumerateDisks(&records, count), CSecureDisks::Enumerated);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].diskNumber, 4u);
    EXPECT_STREQ(records[0].drive, L"K:");
    EXPECT_STREQ(records[0].volumePath, L"\\\\.\\K:");
    EXPECT_STREQ(records[0].instanceId, L"SECUREDISK\\DISK_AESENC\\1&0&01");

    bus.noDriveStrings = true;
    EXPECT_EQ(disks->enumerateDisks(&records, count), CSecureDisks::Unreadable);
}

TEST_F(SecureDisksTest, DriveLetterFallsBackFromATakenPreferenceAndMayBeMissing)
{
    struct Case {
        wchar_t preferred;
        DWORD used;         // letters taken before the open
        const wchar_t* drive;
    };
    const DWORD cToZ = 0x3FFFFFCu; // C: to Z:
    for (const Case& c : {Case{L'T', 1u << 2, L"T:"}, Case{L'T', (1u << 2) | (1u << 19), L"D:"},
                          Case{0, (1u << 2) | (1u << 3), L"E:"}, Case{L'P', cToZ, L""}}) {
        CLockbox box;
        box.setName(L"Taxes");
        box.setPreferredDrive(c.preferred);
        box.device().diskNumber = 3;
        bus.usedDrives = c.used;
        EXPECT_EQ(disks->assignDrive(box), c.drive[0] != 0) << static_cast<char>(c.preferred);
        EXPECT_STREQ(box.device().drive, c.drive);
    }
}

TEST_F(SecureDisksTest, NetworkDataFileIsSentAsUncAndMatchedBack)
{
    addLockbox(L"Shared", L"secret");
    // The same file reached as a network path: the driver reports it in its UNC form.
    CLockbox* shared = lockbox(L"Shared");
    const std::wstring unc = L"\\\\127.0.0.1\\" + std::wstring(1, shared->dataFile()[0]) + L"$" +
                             shared->dataFile().substr(2);
    shared->setDataFile(unc);
    ASSERT_TRUE(vault->saveRecord(*shared));
    vault->loadLockboxes(true);
    startMonitor();

    CSimulatedDiskBus::Disk served{L"SECUREDISK\\DISK_AESENC\\1&0&09"};
    served.number = 9;
    served.attachState = 1;
    served.ntName = CSecureDisks::ntFormOf(unc);
    bus.disks = {served};
    EXPECT_EQ(served.ntName.substr(0, 8), L"\\??\\UNC\\");
    runtime->refresh();
    EXPECT_TRUE(lockbox(L"Shared")->attached());
    EXPECT_EQ(lockbox(L"Shared")->device().diskNumber, 9u);
}

TEST_F(SecureDisksTest, DetachOfAGoneDeviceSendsNothing)
{
    CLockbox box;
    box.device().attachState = 1;
    lstrcpyW(box.device().instanceId, L"SECUREDISK\\DISK_AESENC\\GONE");
    lstrcpyW(box.device().drive, L"G:");
    EXPECT_TRUE(disks->detach(box, true));
    // A record without a disk: nothing is even looked up.
    CLockbox none;
    EXPECT_TRUE(disks->detach(none, true));
    EXPECT_FALSE(disks->isAttached(none));
    EXPECT_EQ(bus.steps(), std::vector<std::string>{"locate SECUREDISK\\DISK_AESENC\\GONE"});
    for (const std::string& step : bus.steps()) {
        EXPECT_EQ(step.find("eject"), std::string::npos);
        EXPECT_EQ(step.find("dismount"), std::string::npos);
    }
}

TEST_F(SecureDisksTest, LabelsOnlyNonFatVolumesWhoseLabelDiffers)
{
    struct Case {
        const wchar_t* fileSystem;
        const wchar_t* label;
        bool relabelled;
    };
    for (const Case& c : {Case{L"NTFS", L"", true}, Case{L"NTFS", L"Taxes", false}, Case{L"NTFS", L"taxes", true},
                          Case{L"FAT32", L"OLD", false}, Case{L"FAT", L"", false}}) {
        CSimulatedDiskBus local;
        CSimulatedDiskBus::Disk disk{L"SECUREDISK\\DISK_AESENC\\1&0&03"};
        disk.number = 3;
        disk.attachState = 1;
        disk.fileSystem = c.fileSystem;
        disk.label = c.label;
        local.disks = {disk};
        ASSERT_TRUE(local.defineDrive(L"L:", L"\\Device\\SDisk3"));
        CSecureDisks localDisks(local, local, desktop, &handles);
        CLockbox box;
        box.setName(L"Taxes");
        EXPECT_TRUE(localDisks.labelVolume(box, L"L:"));
        bool labelled = false;
        for (const std::string& step : local.steps())
            labelled |= step == "label L: Taxes";
        EXPECT_EQ(labelled, c.relabelled) << c.fileSystem << " " << c.label;
    }
}

TEST_F(SecureDisksTest, FormatChoosesTheFileSystemAndForwardsEveryNotification)
{
    struct Case {
        DWORD capacityMB;
        bool fat;
        const wchar_t* fileSystem;
        const wchar_t* label;
    };
    for (const Case& c : {Case{255, true, L"FAT", L""}, Case{256, true, L"FAT32", L""},
                          Case{255, false, L"NTFS", L"Taxes"}, Case{4096, false, L"NTFS", L"Taxes"}}) {
        std::wstring fileSystem, label;
        CVolumeFormatter::chooseFileSystem(c.capacityMB, c.fat, L"Taxes", fileSystem, label);
        EXPECT_EQ(fileSystem, c.fileSystem) << c.capacityMB;
        EXPECT_EQ(label, c.label) << c.capacityMB;
    }

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &SProgressLog::windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"FormatProgressLog";
    RegisterClassW(&windowClass);
    HWND progress = CreateWindowW(L"FormatProgressLog", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(progress);
    SProgressLog log;
    SetWindowLongPtrW(progress, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log));

    // A new lockbox's disk, attached as F: and not formatted yet.
    CSimulatedDiskBus::Disk fresh{L"SECUREDISK\\DISK_AESENC\\1&0&02"};
    fresh.number = 2;
    fresh.attachState = 1;
    fresh.fileSystem.clear();
    bus.disks = {fresh};
    ASSERT_TRUE(bus.defineDrive(L"F:", L"\\Device\\SDisk2"));

    CVolumeFormatter formatter(bus);
    ASSERT_TRUE(formatter.start(L"F:", 256, L"Taxes", true, progress));
    // The formatting thread sends to this thread's window: take its messages meanwhile.
    for (int i = 0; i < 500 && (log.notifications.empty() || log.notifications.back().first != 11); ++i)
        settle(10);
    formatter.wait();
    const auto calls = bus.formatCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].drive, L"F:");
    EXPECT_EQ(calls[0].mediaType, 12u);
    EXPECT_EQ(calls[0].fileSystem, L"FAT32");
    EXPECT_EQ(calls[0].label, L"");
    EXPECT_TRUE(calls[0].quickFormat);
    EXPECT_EQ(calls[0].clusterSize, 0u);
    const std::vector<std::pair<WPARAM, DWORD>> expected{{0, 50}, {0, 100}, {11, TRUE}};
    EXPECT_EQ(log.notifications, expected);
    EXPECT_EQ(bus.disk(2)->fileSystem, L"FAT32");
    DestroyWindow(progress);

    bus.formatterMissing = true;
    EXPECT_FALSE(formatter.start(L"F:", 256, L"Taxes", true, nullptr));
}

TEST_F(SecureDisksTest, DiskKeepsOnlyTheEncipheredDataAndLeavesThePrivateAreaAlone)
{
    addLockbox(L"Taxes", L"secret");
    startMonitor();
    const std::wstring dataFile = lockbox(L"Taxes")->dataFile();
    const std::vector<BYTE> before = readFile(dataFile);
    const uint64_t usable = CPrivateAreaFile::usableSize(dataFile);
    ASSERT_TRUE(openWithPassword(*lockbox(L"Taxes"), L"secret"));

    std::vector<BYTE> written(2 * CSimulatedDiskBus::kSectorBytes);
    for (size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<BYTE>(i * 7 + 3);
    const ULONGLONG lastSectors = usable - written.size();
    ASSERT_TRUE(bus.writeDisk(1, 0, written));
    ASSERT_TRUE(bus.writeDisk(1, lastSectors, written));
    EXPECT_FALSE(bus.writeDisk(1, usable, written)); // past the disk image

    const std::vector<BYTE> after = readFile(dataFile);
    ASSERT_EQ(after.size(), before.size());
    const CSecretBytes key = diskKeyOf(dataFile, L"secret");
    ASSERT_EQ(key.size(), 16u);
    for (ULONGLONG offset : {ULONGLONG{0}, lastSectors}) {
        for (size_t sector = 0; sector < 2; ++sector) {
            const ULONGLONG at = offset + sector * CSimulatedDiskBus::kSectorBytes;
            EXPECT_NE(std::memcmp(after.data() + at, written.data() + sector * 512, 512), 0);
            const std::vector<BYTE> plain = CSimulatedDiskBus::decipherSector(key.data(), at / 512, after.data() + at);
            EXPECT_TRUE(std::equal(plain.begin(), plain.end(), written.begin() + sector * 512)) << at;
        }
    }
    // The private area behind the disk image is byte for byte what it was.
    EXPECT_TRUE(std::equal(after.begin() + usable, after.end(), before.begin() + usable));
}
