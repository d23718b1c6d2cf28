// The simulated bus's own contract, which the vault's tests lean on: the attach request checked
// as the disk driver checks it, sectors served from the data file as the driver enciphers them,
// the status block byte by byte, and the volume events sent to the registered window.

#include "CMessageWindow.h"
#include "CScratchFolder.h"
#include "CSimulatedDiskBus.h"
#include "CWineShare.h"
#include "CTwofish.h"
#include "SecureDisk.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

const BYTE kKey[16] = {0x3c, 0x91, 0x0e, 0x5a, 0xd4, 0x77, 0x12, 0xb8, 0x69, 0x2f, 0xe0, 0x43, 0x9d, 0x05, 0xc6, 0x81};
constexpr ULONGLONG kUsable = 64 * 1024;
constexpr size_t kPrivateBytes = 4096;
constexpr BYTE kPrivateFill = 0xA5;

// The attach block as the vault fills it: usable size, key, name length and 0-terminated name.
Bytes attachRequest(ULONGLONG usableSize, const std::wstring& ntName)
{
    const size_t nameBytes = ntName.size() * sizeof(wchar_t);
    Bytes block(nameBytes + 32, 0);
    for (int i = 0; i < 8; ++i)
        block[i] = static_cast<BYTE>(usableSize >> (8 * i));
    std::memcpy(block.data() + 8, kKey, sizeof kKey);
    block[24] = static_cast<BYTE>(nameBytes);
    block[25] = static_cast<BYTE>(nameBytes >> 8);
    std::memcpy(block.data() + 26, ntName.data(), nameBytes);
    return block;
}

// Both architectures under test are little-endian.
template <typename T>
T fieldAt(const BYTE* block, size_t offset)
{
    T value;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}

Bytes fileBytes(const std::wstring& path)
{
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size))
        return {};
    Bytes bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return {};
    bytes.resize(read);
    return bytes;
}

std::string narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

// A message-only window that keeps the device events sent to it.
class CDeviceEventWindow {
public:
    struct Event {
        WPARAM type;
        DWORD deviceType;
        DWORD unitMask; // volumes only
        bool operator==(const Event& other) const
        {
            return type == other.type && deviceType == other.deviceType && unitMask == other.unitMask;
        }
    };

    CDeviceEventWindow()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = windowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        RegisterClassW(&wc); // already registered by an earlier test is fine
        m_hwnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    }
    ~CDeviceEventWindow()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
    }
    CDeviceEventWindow(const CDeviceEventWindow&) = delete;
    CDeviceEventWindow& operator=(const CDeviceEventWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    const std::vector<Event>& events() const { return m_events; }

private:
    static constexpr wchar_t kClassName[] = L"VelmoraDiskBusTestEvents";

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<CDeviceEventWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && message == WM_DEVICECHANGE && lParam) {
            const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
            DWORD mask = 0;
            if (header->dbch_devicetype == DBT_DEVTYP_VOLUME)
                mask = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam)->dbcv_unitmask;
            self->m_events.push_back({wParam, header->dbch_devicetype, mask});
            return TRUE;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;
    std::vector<Event> m_events;
};

Bytes dataFileContent()
{
    Bytes content(kUsable + kPrivateBytes, 0);
    std::fill(content.begin() + kUsable, content.end(), kPrivateFill);
    return content;
}

class SimulatedDiskBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bus.arrivingInstanceKey.clear(); // leaves no instance keys in the registry
        const Bytes content = dataFileContent();
        ASSERT_TRUE(m_folder.write(L"box.dat", std::string(content.begin(), content.end())));
        m_dataFile = m_folder.path() + L"box.dat";
        m_ntName = L"\\??\\" + m_dataFile;
    }

    // Asks the bus for a new disk, as the vault does; the new disk's interface path.
    std::wstring plugIn()
    {
        std::wstring busPath;
        if (!bus.firstInterfacePath(securedisk::kBusInterface, busPath))
            return {};
        securedisk::PlugInRequest request{};
        request.headerSize = securedisk::kPlugInHeaderSize;
        const wchar_t id[] = L"SecureDisk\\Disk_AesEnc";
        std::memcpy(request.hardwareIds, id, sizeof id);
        DWORD returned = 0;
        if (!bus.ioControl(busPath, securedisk::kIoctlPlugIn, &request, sizeof request, &request, sizeof request,
                           returned))
            return {};
        std::vector<DeviceInterface> disks;
        bus.listInterfaces(securedisk::kDiskInterface, disks);
        return disks.empty() ? std::wstring() : disks.back().path;
    }

    bool attach(const std::wstring& disk, Bytes request)
    {
        DWORD returned = 0;
        const DWORD bytes = static_cast<DWORD>(request.size());
        return bus.ioControlReadWrite(disk, securedisk::kIoctlAttach, request.data(), bytes, request.data(), bytes,
                                      returned);
    }

    std::string lastStep() const
    {
        const std::vector<std::string> steps = bus.steps();
        return steps.empty() ? std::string() : steps.back();
    }

    CScratchFolder m_folder{L"disk bus"};
    std::wstring m_dataFile;
    std::wstring m_ntName;
    CSimulatedDiskBus bus;
};

TEST_F(SimulatedDiskBusTest, AttachRefusesMalformedRequestsAndServesAWellFormedOne)
{
    const std::wstring disk = plugIn();
    ASSERT_FALSE(disk.empty());
    const Bytes good = attachRequest(kUsable, m_ntName);
    auto spoiled = [&](void (*spoil)(Bytes&)) {
        Bytes request = good;
        spoil(request);
        return request;
    };
    struct Case {
        const char* name;
        Bytes request;
        int outputShortBy;  // the output length given is this much less than the input's
        bool separateOutput; // the answer is asked into another buffer
    } cases[] = {
        {"name length counts the terminator", spoiled([](Bytes& r) { r[24] += 2; }), 0, false},
        {"name not terminated", spoiled([](Bytes& r) { r[r.size() - 6] = 'x'; }), 0, false},
        {"bytes after the name", spoiled([](Bytes& r) { r.back() = 1; }), 0, false},
        {"a path, not an NT name", attachRequest(kUsable, m_dataFile), 0, false},
        {"usable size not whole sectors", attachRequest(kUsable - 100, m_ntName), 0, false},
        {"shorter answer buffer", good, 2, false},
        {"answer in another buffer", good, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes request = c.request;
        Bytes other(request.size());
        DWORD returned = 0;
        EXPECT_FALSE(bus.ioControlReadWrite(disk, securedisk::kIoctlAttach, request.data(),
                                            static_cast<DWORD>(request.size()),
                                            c.separateOutput ? other.data() : request.data(),
                                            static_cast<DWORD>(request.size() - c.outputShortBy), returned));
        EXPECT_EQ(lastStep(), "attach 1 malformed");
        ASSERT_TRUE(bus.disk(1));
        EXPECT_EQ(bus.disk(1)->attachState, 0u);
    }

    // Sent through a disk opened without access rights, even a good request is refused.
    Bytes request = good;
    DWORD returned = 0;
    EXPECT_FALSE(bus.ioControl(disk, securedisk::kIoctlAttach, request.data(), static_cast<DWORD>(request.size()),
                               request.data(), static_cast<DWORD>(request.size()), returned));
    EXPECT_EQ(lastStep(), "attach 1 without write access");

    ASSERT_TRUE(attach(disk, good));
    EXPECT_EQ(lastStep(), "attach 1 " + narrow(m_ntName));
    ASSERT_TRUE(bus.disk(1));
    const CSimulatedDiskBus::Disk attached = *bus.disk(1);
    EXPECT_EQ(attached.attachState, 1u);
    EXPECT_EQ(attached.size, kUsable);
    EXPECT_EQ(attached.ntName, m_ntName);
    EXPECT_EQ(attached.dataFile, m_dataFile);
    EXPECT_EQ(Bytes(attached.key.begin(), attached.key.end()), Bytes(kKey, kKey + 16));

    EXPECT_FALSE(attach(disk, good));
    EXPECT_EQ(lastStep(), "attach 1 busy");
}

TEST_F(SimulatedDiskBusTest, AUncNameIsServedFromItsShare)
{
    CWineShare share(L"diskbus", L"vault");
    ASSERT_TRUE(share.write(L"box.dat", dataFileContent()));
    const std::wstring disk = plugIn();

    ASSERT_TRUE(attach(disk, attachRequest(kUsable, L"\\??\\UNC\\diskbus\\vault\\box.dat")));

    ASSERT_TRUE(bus.disk(1));
    EXPECT_EQ(bus.disk(1)->dataFile, L"\\\\diskbus\\vault\\box.dat");
    const Bytes sector(512, 0x5E);
    ASSERT_TRUE(bus.writeDisk(1, 512, sector));
    const Bytes file = fileBytes(share.root() + L"box.dat");
    ASSERT_EQ(file.size(), kUsable + kPrivateBytes);
    EXPECT_EQ(CSimulatedDiskBus::decipherSector(kKey, 1, file.data() + 512), sector);
}

// The last sectors before the private area, written and read back; the file holds them
// enciphered sector by sector, and nothing past the usable size is ever written.
TEST_F(SimulatedDiskBusTest, WrittenSectorsReadBackAndTheFileDeciphersToThem)
{
    const std::wstring disk = plugIn();
    ASSERT_TRUE(attach(disk, attachRequest(kUsable, m_ntName)));
    ASSERT_TRUE(bus.setIdleTime(1, 5000000));
    Bytes written(3 * 512);
    for (size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<BYTE>(i * 7 + 1);
    std::fill(written.begin() + 1024, written.end(), BYTE(0x42)); // a sector the same as ...
    std::copy(written.begin() + 1024, written.end(), written.begin() + 512); // ... the one before it
    const ULONGLONG offset = kUsable - written.size();

    ASSERT_TRUE(bus.writeDisk(1, offset, written));

    ASSERT_TRUE(bus.disk(1));
    EXPECT_EQ(bus.disk(1)->idleTime, 0u);
    Bytes read;
    ASSERT_TRUE(bus.readDisk(1, offset, written.size(), read));
    EXPECT_EQ(read, written);
    Bytes file = fileBytes(m_dataFile);
    ASSERT_EQ(file.size(), kUsable + kPrivateBytes);
    const ULONGLONG firstSector = offset / 512;
    for (size_t s = 0; s < 3; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(CSimulatedDiskBus::decipherSector(kKey, firstSector + s, file.data() + offset + s * 512),
                  Bytes(written.begin() + s * 512, written.begin() + (s + 1) * 512));
    }
    // Equal sectors differ in the file: each chain starts from its own sector number.
    EXPECT_NE(Bytes(file.begin() + offset + 512, file.begin() + offset + 1024),
              Bytes(file.begin() + offset + 1024, file.begin() + offset + 1536));
    // The first block worked out here from the cipher alone: IV = E(sector number), P = D(C) ^ IV.
    CTwofish cipher(kKey, sizeof kKey);
    BYTE number[16] = {static_cast<BYTE>(firstSector), static_cast<BYTE>(firstSector >> 8)};
    BYTE iv[16], block[16];
    cipher.encipherBlock(number, iv);
    cipher.decipherBlock(file.data() + offset, block);
    for (int i = 0; i < 16; ++i)
        block[i] ^= iv[i];
    EXPECT_EQ(Bytes(block, block + 16), Bytes(written.begin(), written.begin() + 16));

    struct Refused {
        const char* name;
        DWORD disk;
        ULONGLONG offset;
        size_t length;
    } refused[] = {
        {"across the usable size", 1, kUsable - 512, 1024},
        {"at the usable size", 1, kUsable, 512},
        {"an offset inside a sector", 1, 100, 512},
        {"part of a sector", 1, 0, 100},
        {"nothing", 1, 0, 0},
        {"a disk serving no file", 2, 0, 512},
    };
    ASSERT_FALSE(plugIn().empty());
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.name);
        EXPECT_FALSE(bus.writeDisk(r.disk, r.offset, Bytes(r.length, 0xEE)));
        Bytes ignored;
        EXPECT_FALSE(bus.readDisk(r.disk, r.offset, r.length, ignored));
    }
    file = fileBytes(m_dataFile);
    ASSERT_EQ(file.size(), kUsable + kPrivateBytes);
    EXPECT_EQ(Bytes(file.begin() + kUsable, file.end()), Bytes(kPrivateBytes, kPrivateFill));
}

TEST_F(SimulatedDiskBusTest, StatusBlockHoldsItsFieldsAtTheirOffsets)
{
    const std::wstring served = plugIn();
    ASSERT_TRUE(attach(served, attachRequest(kUsable, m_ntName)));
    ASSERT_TRUE(bus.setIdleTime(1, 0x1122334455667788ull));
    ASSERT_TRUE(bus.defineDrive(L"M:", L"\\Device\\SDisk1"));
    const std::wstring unused = plugIn();
    const DWORD nameBytes = static_cast<DWORD>(m_ntName.size() * sizeof(wchar_t));

    struct Case {
        const char* name;
        std::wstring path;
        DWORD returned, number, attachState;
        ULONGLONG size, idleTime;
        std::wstring ntName;
    } cases[] = {
        {"served disk", served, 26 + nameBytes, 1, 1, kUsable, 0x1122334455667788ull, m_ntName},
        {"its volume", L"\\\\.\\M:", 26 + nameBytes, 1, 1, kUsable, 0x1122334455667788ull, m_ntName},
        {"new disk", unused, 30, 2, 0, 0, 0, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BYTE status[304];
        std::memset(status, 0xCC, sizeof status);
        DWORD returned = 0;
        ASSERT_TRUE(bus.ioControl(c.path, securedisk::kIoctlDiskStatus, nullptr, 0, status, sizeof status, returned));
        EXPECT_EQ(returned, c.returned);
        EXPECT_EQ(fieldAt<DWORD>(status, 0), c.number);
        EXPECT_EQ(fieldAt<DWORD>(status, 4), c.attachState);
        EXPECT_EQ(fieldAt<ULONGLONG>(status, 8), c.size);
        EXPECT_EQ(fieldAt<ULONGLONG>(status, 16), c.idleTime);
        const WORD length = fieldAt<WORD>(status, 24);
        ASSERT_EQ(length, c.ntName.size() * sizeof(wchar_t));
        std::wstring name(length / sizeof(wchar_t), L'\0');
        std::memcpy(name.data(), status + 26, length);
        EXPECT_EQ(name, c.ntName);
    }

    BYTE status[304];
    DWORD returned = 0;
    EXPECT_FALSE(bus.ioControl(L"\\\\.\\N:", securedisk::kIoctlDiskStatus, nullptr, 0, status, sizeof status, returned));
}

// Naming an attached disk's drive announces its volume; an eject reports the volume gone before
// the disk, and the name stays defined until it is removed.
TEST_F(SimulatedDiskBusTest, VolumeEventsReachAMessageOnlyWindow)
{
    bus.announceArrival = false; // only the volume's events, in a known order
    CDeviceEventWindow window;
    ASSERT_NE(window.hwnd(), nullptr);
    HDEVNOTIFY notification = bus.registerInterfaceNotification(window.hwnd(), securedisk::kDiskInterface);
    ASSERT_NE(notification, nullptr);
    const std::wstring disk = plugIn();
    ASSERT_TRUE(attach(disk, attachRequest(kUsable, m_ntName)));

    EXPECT_FALSE(bus.defineDrive(L"C:", L"\\Device\\SDisk1")) << "C: belongs to another device";
    ASSERT_TRUE(bus.defineDrive(L"M:", L"\\Device\\SDisk1"));

    const DWORD m = 1u << ('M' - 'A');
    EXPECT_EQ(bus.logicalDrives(), (1u << 2) | m);
    EXPECT_EQ(bus.logicalDriveStrings(), (std::vector<std::wstring>{L"C:\\", L"M:\\"}));
    using Event = CDeviceEventWindow::Event;
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return !window.events().empty(); }, 10000));
    EXPECT_EQ(window.events()[0], (Event{DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, m}));

    DEVINST node = 0;
    std::wstring vetoName;
    ASSERT_TRUE(bus.disk(1));
    const std::wstring instanceId = bus.disk(1)->instanceId;
    ASSERT_TRUE(bus.locateDevNode(instanceId, node));
    ASSERT_TRUE(bus.requestEject(node, vetoName));
    EXPECT_EQ(vetoName, L"");
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return window.events().size() >= 3; }, 10000));
    EXPECT_EQ(window.events(), (std::vector<Event>{{DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, m},
                                                   {DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_VOLUME, m},
                                                   {DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE, 0}}));
    EXPECT_EQ(bus.diskCount(), 0);
    EXPECT_FALSE(bus.locateDevNode(instanceId, node));
    EXPECT_EQ(bus.dosDeviceTarget(L"M:"), L"\\Device\\SDisk1");
    bus.unregisterNotification(notification);
}

} // namespace
