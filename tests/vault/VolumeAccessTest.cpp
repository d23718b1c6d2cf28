// The real drive and volume calls, where Wine has them: the drive letters in use, their roots,
// what a drive letter names, and a volume's file system.

#include "CWin32VolumeAccess.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(VolumeAccessTest, DrivesOfThisMachineAsTheVaultSeesThem)
{
    CWin32VolumeAccess volumes;
    EXPECT_TRUE(volumes.logicalDrives() & (1u << 2)) << "C: is in use";
    const std::vector<std::wstring> roots = volumes.logicalDriveStrings();
    EXPECT_NE(std::find(roots.begin(), roots.end(), L"C:\\"), roots.end());
    for (const std::wstring& root : roots) {
        ASSERT_EQ(root.size(), 3u);
        EXPECT_EQ(root.substr(1), L":\\");
        EXPECT_TRUE(volumes.logicalDrives() & (1u << (root[0] - L'A'))) << root.c_str();
    }
    // C: names a device, and none of ours.
    const std::wstring target = volumes.dosDeviceTarget(L"C:");
    EXPECT_FALSE(target.empty());
    EXPECT_EQ(target.find(L"SDisk"), std::wstring::npos);
    std::wstring label, fileSystem;
    ASSERT_TRUE(volumes.volumeInformation(L"C:\\", label, fileSystem));
    EXPECT_FALSE(fileSystem.empty());
    // A letter nobody uses names nothing and has no volume.
    for (wchar_t letter = L'Z'; letter > L'C'; --letter) {
        if (volumes.logicalDrives() & (1u << (letter - L'A')))
            continue;
        const std::wstring drive{letter, L':'};
        EXPECT_TRUE(volumes.dosDeviceTarget(drive).empty());
        EXPECT_FALSE(volumes.volumeInformation(drive + L"\\", label, fileSystem));
        EXPECT_FALSE(volumes.dismountVolume(L"\\\\.\\" + drive));
        break;
    }
}
