// The private area: its byte layout, its place in the data file, the side file, and what a
// reader makes of damaged, half-written and hostile files.

#include "CDataFile.h"
#include "CLockboxKeys.h"
#include "CMd5.h"
#include "CPrivateArea.h"
#include "CPrivateAreaFile.h"
#include "CVaultTest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

using Status = CPrivateArea::Status;
constexpr int64_t kMegabyte = 1024 * 1024;

// An area as the keys of a new lockbox make it: one account entry of `entryBytes`.
CPrivateArea sampleArea(const std::wstring& path, size_t entryBytes = 128, const std::wstring& question = L"")
{
    CPrivateArea area(path);
    area.userEntries.push_back(std::vector<BYTE>(entryBytes, 0xE1));
    area.digest.assign(16, 0xD1);
    area.passwordWrappedKey.assign(16, 0xB1);
    area.passwordVerifier = "0123456789ABCDEF0123456789ABCDEF";
    area.modeToken.assign(32, 0x7C);
    area.question = question;
    area.answerWrappedKey.assign(16, 0xB2);
    area.answerVerifier = "FEDCBA9876543210FEDCBA9876543210";
    return area;
}

uint32_t u32At(const std::vector<BYTE>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void putU32(std::vector<BYTE>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<BYTE>(v >> (8 * i));
}

std::vector<BYTE> pattern(size_t length, unsigned seed)
{
    std::vector<BYTE> bytes(length);
    std::mt19937 random(seed);
    for (auto& b : bytes)
        b = static_cast<BYTE>(random());
    return bytes;
}

class PrivateAreaTest : public CVaultTest {
protected:
    // A data file of `image` bytes of disk image followed by `area` bytes.
    std::wstring dataFileWith(const std::vector<BYTE>& area, const std::wstring& name = L"box.dat",
                              size_t image = 64 * 1024)
    {
        std::vector<BYTE> bytes = pattern(image, 7);
        bytes.insert(bytes.end(), area.begin(), area.end());
        std::wstring path = pathOf(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    static std::wstring sideOf(const std::wstring& path) { return CPrivateAreaFile::sideFilePath(path); }
};

// 4 + 4 + 132 + 20 + 20 + 33 + 33 + 4 + 2 + 20 + 33 + 33 + 4 bytes behind a 4 MB disk image.
TEST_F(PrivateAreaTest, FourMegabyteLockboxWithOneEntryHasA342ByteArea)
{
    CFileHandle file;
    std::wstring path;
    ASSERT_TRUE(CDataFile::create(folder(), 4, file, path));
    CPrivateArea area = sampleArea(path);
    ASSERT_TRUE(area.write(file.get()));
    file.reset();
    EXPECT_EQ(area.totalSize(), 342u);
    EXPECT_EQ(fileSize(path), 4194304 + 342);
    EXPECT_EQ(CPrivateAreaFile::usableSize(path), 4194304u);

    auto bytes = readFile(path);
    const size_t at = 4194304;
    EXPECT_EQ(u32At(bytes, at), 1u);        // version
    EXPECT_EQ(u32At(bytes, at + 4), 1u);    // one user entry
    EXPECT_EQ(u32At(bytes, at + 8), 128u);  // of 128 bytes
    EXPECT_EQ(u32At(bytes, at + 140), 16u); // digest length
    EXPECT_EQ(u32At(bytes, at + 160), 16u); // wrapped-key length
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&bytes[at + 180])), area.passwordVerifier);
    EXPECT_EQ(bytes[at + 212], 0);          // the verifier's 0 byte
    EXPECT_EQ(bytes[at + 245], 0);          // the mode token's 0 byte
    EXPECT_EQ(u32At(bytes, at + 246), 1u);  // an empty question is one 0 unit
    EXPECT_EQ(bytes[at + 250] | bytes[at + 251], 0);
    EXPECT_EQ(u32At(bytes, at + 252), 16u); // answer-wrapped length
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&bytes[bytes.size() - 37])), CPrivateArea::Marker);
    EXPECT_EQ(u32At(bytes, bytes.size() - 4), 342u);
    // The side file is an exact copy of the area.
    EXPECT_EQ(readFile(sideOf(path)), std::vector<BYTE>(bytes.end() - 342, bytes.end()));

    CPrivateArea read(path);
    ASSERT_EQ(read.read(), Status::Present);
    EXPECT_EQ(read.serialise(), area.serialise());
    EXPECT_EQ(read.totalSize(), 342u);
}

TEST_F(PrivateAreaTest, RewriteGrowsByTheNewEntryAndKeepsSizeOtherwise)
{
    std::wstring path = dataFileWith({});
    CPrivateArea area = sampleArea(path, 128, L"Pet's name?");
    ASSERT_TRUE(area.write()); // never read: appended
    const int64_t first = fileSize(path);
    EXPECT_EQ(first, 64 * 1024 + area.totalSize());

    CPrivateArea again(path);
    ASSERT_EQ(again.read(), Status::Present);
    EXPECT_EQ(again.question, L"Pet's name?");
    again.userEntries.push_back(std::vector<BYTE>(256, 0xE2));
    ASSERT_TRUE(again.write());
    EXPECT_EQ(fileSize(path), first + 256 + 4);
    ASSERT_TRUE(again.write());
    EXPECT_EQ(fileSize(path), first + 256 + 4);
    // A shorter area leaves no stale bytes behind it.
    again.userEntries.resize(1);
    again.question.clear();
    ASSERT_TRUE(again.write());
    EXPECT_EQ(fileSize(path), 64 * 1024 + 342);
    EXPECT_EQ(CPrivateAreaFile::usableSize(path), 64u * 1024);
    EXPECT_EQ(readFile(sideOf(path)).size(), 342u);
    auto image = pattern(64 * 1024, 7);
    auto bytes = readFile(path);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin())); // disk image untouched
}

// Without the marker at its place a file has no private area: a lockbox of the earlier format.
TEST_F(PrivateAreaTest, FileWithoutMarkerHasNoArea)
{
    std::wstring plain = pathOf(L"plain.dat");
    ASSERT_TRUE(writeFile(plain, pattern(kMegabyte, 3)));
    CPrivateArea area(plain);
    EXPECT_EQ(area.read(), Status::Absent);
    EXPECT_EQ(CPrivateAreaFile::usableSize(plain), static_cast<uint64_t>(kMegabyte));

    auto image = sampleArea(L"").serialise();
    image[image.size() - 37] ^= 0x01; // otherwise intact
    std::wstring path = dataFileWith(image);
    EXPECT_EQ(CPrivateArea(path).read(), Status::Absent);
    EXPECT_EQ(CPrivateArea(pathOf(L"missing.dat")).read(), Status::Unreadable);
}

TEST_F(PrivateAreaTest, MalformedAreasAreRejectedWithoutHarm)
{
    const auto good = sampleArea(L"", 128, L"Q?").serialise();
    const size_t count = 4, entryLength = 8, questionLength = 4 + 4 + 132 + 20 + 20 + 33 + 33;
    const struct {
        const char* what;
        size_t at;
        uint32_t value;
    } edits[] = {
        {"total size larger than the file", good.size() - 4, 0x7FFFFFF0},
        {"total size of all bits", good.size() - 4, 0xFFFFFFFF},
        {"total size zero", good.size() - 4, 0},
        {"total size below the tail", good.size() - 4, 20},
        {"total size one short", good.size() - 4, static_cast<uint32_t>(good.size() - 1)},
        {"user-entry count of all bits", count, 0xFFFFFFFF},
        {"user-entry count past the area", count, 1000},
        {"no user entries but bytes left", count, 0},
        {"entry length past the area", entryLength, 0x10000},
        {"entry length of all bits", entryLength, 0xFFFFFFFF},
        {"question length that overflows when doubled", questionLength, 0x80000001},
        {"question length of all bits", questionLength, 0xFFFFFFFF},
        {"question length past the area", questionLength, 400},
    };
    for (const auto& edit : edits) {
        auto bytes = good;
        putU32(bytes, edit.at, edit.value);
        std::wstring path = dataFileWith(bytes);
        DeleteFileW(sideOf(path).c_str());
        CPrivateArea area(path);
        EXPECT_EQ(area.read(), Status::Damaged) << edit.what;
        // A damaged area is no place to write: where the disk image ends is not known.
        CPrivateArea fresh = sampleArea(path);
        EXPECT_FALSE(fresh.write()) << edit.what;
        EXPECT_FALSE(CPrivateArea().parse(bytes.data(), bytes.size())) << edit.what;
    }
    // Truncated files of every short length, and random damage all over the area.
    for (size_t keep : {0u, 1u, 4u, 36u, 37u, 40u, 100u, 341u})
        CPrivateArea().parse(good.data(), std::min(keep, good.size()));
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        auto bytes = good;
        for (int flips = 1 + round % 5; flips; --flips)
            bytes[random() % bytes.size()] = static_cast<BYTE>(random());
        CPrivateArea area;
        area.parse(bytes.data(), bytes.size());
    }
    for (size_t keep : {0, 10, 36, 37, 60}) {
        std::wstring path = pathOf(L"short.dat");
        ASSERT_TRUE(writeFile(path, std::vector<BYTE>(good.end() - keep, good.end())));
        Status status = CPrivateArea(path).read();
        EXPECT_NE(status, Status::Present) << keep;
    }
}

// A damaged or missing area of the data file comes back from the side file, rather than the
// file passing for an earlier-format lockbox.
TEST_F(PrivateAreaTest, DamagedAreaIsRestoredFromTheSideFile)
{
    const std::wstring path = makeLockboxFile(L"pw", L"Where?", L"there", 1);
    ASSERT_FALSE(path.empty());
    const auto pristine = readFile(path);
    const CSecretBytes key = diskKeyOf(path, L"pw");
    ASSERT_EQ(key.size(), 16u);
    const size_t count = kMegabyte + 4;
    const struct {
        const char* what;
        size_t keep; // bytes of the file kept
        size_t flip; // offset of a damaged byte (0: none)
    } damages[] = {
        {"user-entry count damaged", pristine.size(), count},
        {"marker damaged", pristine.size(), pristine.size() - 30},
        {"total size damaged", pristine.size(), pristine.size() - 2},
        {"area cut off entirely", static_cast<size_t>(kMegabyte), 0},
        {"area cut in the middle", static_cast<size_t>(kMegabyte) + 100, 0},
    };
    for (const auto& d : damages) {
        std::vector<BYTE> bytes(pristine.begin(), pristine.begin() + d.keep);
        if (d.flip)
            bytes[d.flip] ^= 0x5A;
        ASSERT_TRUE(writeFile(path, bytes));
        CSecretBytes restored = diskKeyOf(path, L"pw");
        EXPECT_EQ(restored, key) << d.what;
        EXPECT_EQ(readFile(path), pristine) << d.what;
    }
    // Without the copy, a damaged area is a failure, and an absent one an earlier format.
    DeleteFileW(sideOf(path).c_str());
    auto bytes = pristine;
    bytes[count] ^= 0x5A;
    ASSERT_TRUE(writeFile(path, bytes));
    EXPECT_EQ(CPrivateArea(path).read(), Status::Damaged);
    ASSERT_TRUE(writeFile(path, std::vector<BYTE>(pristine.begin(), pristine.begin() + kMegabyte)));
    EXPECT_EQ(CPrivateArea(path).read(), Status::Absent);
}

// The rewrite stopped after every single file operation, as power loss or a full disk would
// stop it: the lockbox still opens with the right password, to the same disk key, and the disk
// image is never touched.
TEST_F(PrivateAreaTest, InterruptedRewriteAlwaysLeavesAnOpenableLockbox)
{
    const struct {
        const char* what;
        bool changesPassword;
        const wchar_t* question;
        int extraEntries;
    } changes[] = {
        {"password change, same size", true, nullptr, 0},
        {"longer question", false, L"What was the name of the street you grew up on?", 0},
        {"shorter question", false, L"Q", 0},
        {"one more account", false, nullptr, 1},
        {"slightly longer question", false, L"Where?!", 0},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.what);
        const std::wstring base = makeLockboxFile(L"old", L"Where?", L"there", 1);
        ASSERT_FALSE(base.empty());
        // Recognisable disk image.
        auto image = pattern(kMegabyte, 99);
        auto pristine = readFile(base);
        std::copy(image.begin(), image.end(), pristine.begin());
        ASSERT_TRUE(writeFile(base, pristine));
        const auto pristineSide = readFile(sideOf(base));
        const CSecretBytes key = diskKeyOf(base, L"old");
        ASSERT_EQ(key.size(), 16u);

        // The area the change leads to, made on a copy.
        const std::wstring copy = pathOf(L"target.dat");
        ASSERT_TRUE(writeFile(copy, pristine));
        {
            CLockboxKeys keys(copy);
            ASSERT_TRUE(keys.load());
            if (change.changesPassword) {
                ASSERT_TRUE(keys.changePassword(L"old", L"new", true));
            }
            if (change.question)
                keys.setQuestion(change.question, L"there", key);
        }
        CPrivateArea target(copy);
        ASSERT_EQ(target.read(), Status::Present);
        for (int i = 0; i < change.extraEntries; ++i)
            target.userEntries.push_back(std::vector<BYTE>(128, 0x33));

        bool finished = false;
        for (size_t steps = 0; steps < 100 && !finished; ++steps) {
            ASSERT_TRUE(writeFile(base, pristine));
            ASSERT_TRUE(writeFile(sideOf(base), pristineSide));
            CPrivateArea area(base);
            ASSERT_EQ(area.read(), Status::Present);
            CPrivateArea next = target;
            next.setDataFile(base);
            // Continue from what this reader read, as the key operations do.
            area.userEntries = next.userEntries;
            area.digest = next.digest;
            area.passwordWrappedKey = next.passwordWrappedKey;
            area.passwordVerifier = next.passwordVerifier;
            area.modeToken = next.modeToken;
            area.question = next.question;
            area.answerWrappedKey = next.answerWrappedKey;
            area.answerVerifier = next.answerVerifier;
            finished = area.write(INVALID_HANDLE_VALUE, steps);

            CSecretBytes withOld = diskKeyOf(base, L"old"), withNew = diskKeyOf(base, L"new");
            const bool oldOpens = withOld == key, newOpens = change.changesPassword && withNew == key;
            EXPECT_TRUE(oldOpens != newOpens || (!change.changesPassword && oldOpens)) << "after " << steps << " steps";
            EXPECT_TRUE(withOld.empty() || withOld == key) << steps;
            EXPECT_EQ(CPrivateAreaFile::usableSize(base), static_cast<uint64_t>(kMegabyte)) << steps;
            auto now = readFile(base);
            ASSERT_GE(now.size(), image.size());
            EXPECT_TRUE(std::equal(image.begin(), image.end(), now.begin())) << "disk image changed after " << steps;
            if (finished) {
                EXPECT_EQ(newOpens, change.changesPassword);
                CPrivateArea done(base);
                ASSERT_EQ(done.read(), Status::Present);
                EXPECT_EQ(done.serialise(), next.serialise());
                EXPECT_EQ(readFile(sideOf(base)), next.serialise());
            }
        }
        EXPECT_TRUE(finished);
        DeleteFileW(base.c_str());
        DeleteFileW(sideOf(base).c_str());
    }
}

// The side file never keeps items that a password change replaced.
TEST_F(PrivateAreaTest, SideFileNoLongerOpensWithTheOldPassword)
{
    const std::wstring path = makeLockboxFile(L"old", L"Where?", L"there", 1);
    const CSecretBytes key = diskKeyOf(path, L"old");
    {
        CLockboxKeys keys(path);
        ASSERT_TRUE(keys.load());
        ASSERT_TRUE(keys.changePassword(L"old", L"new", true));
    }
    // The copy, put behind a disk image of its own, is a lockbox that only "new" opens.
    auto side = readFile(sideOf(path));
    std::wstring fromCopy = dataFileWith(side, L"copy.dat");
    EXPECT_TRUE(diskKeyOf(fromCopy, L"old").empty());
    EXPECT_EQ(diskKeyOf(fromCopy, L"new"), key);

    // And after a reset by answer, likewise.
    {
        CLockboxKeys keys(path);
        ASSERT_TRUE(keys.load());
        ASSERT_TRUE(keys.changePassword(L"there", L"reset", false));
    }
    side = readFile(sideOf(path));
    fromCopy = dataFileWith(side, L"copy2.dat");
    EXPECT_TRUE(diskKeyOf(fromCopy, L"new").empty());
    EXPECT_EQ(diskKeyOf(fromCopy, L"reset"), key);
}

TEST_F(PrivateAreaTest, EnsureSideFileCopiesTheCurrentArea)
{
    const std::wstring path = makeLockboxFile(L"pw", L"", L"a", 1);
    const auto area = [&] {
        auto b = readFile(path);
        return std::vector<BYTE>(b.end() - u32At(b, b.size() - 4), b.end());
    };
    DeleteFileW(sideOf(path).c_str());
    EXPECT_TRUE(CPrivateAreaFile::ensureSideFile(path));
    EXPECT_EQ(readFile(sideOf(path)), area());
    // A stale or broken copy is replaced.
    ASSERT_TRUE(writeFile(sideOf(path), std::vector<BYTE>(50, 1)));
    EXPECT_TRUE(CPrivateAreaFile::ensureSideFile(path));
    EXPECT_EQ(readFile(sideOf(path)), area());
    // An earlier-format file has nothing to copy.
    std::wstring plain = pathOf(L"plain.dat");
    ASSERT_TRUE(writeFile(plain, std::vector<BYTE>(4096)));
    EXPECT_FALSE(CPrivateAreaFile::ensureSideFile(plain));
    EXPECT_EQ(fileSize(sideOf(plain)), -1);
    EXPECT_FALSE(CPrivateAreaFile::ensureSideFile(pathOf(L"none.dat")));
}

// Side files are hostile input too.
TEST_F(PrivateAreaTest, HostileSideFileIsNotRestored)
{
    auto good = sampleArea(L"").serialise();
    std::vector<BYTE> noMarker = pattern(kMegabyte + 100, 5);
    std::wstring path = pathOf(L"victim.dat");
    ASSERT_TRUE(writeFile(path, noMarker));
    auto hostile = good;
    putU32(hostile, 4, 0xFFFFFFFF);
    for (const auto& side : {hostile, std::vector<BYTE>(good.begin(), good.end() - 1), std::vector<BYTE>(),
                             std::vector<BYTE>(300 * 1024, 0)}) {
        ASSERT_TRUE(writeFile(sideOf(path), side));
        EXPECT_EQ(CPrivateArea(path).read(), Status::Absent);
        EXPECT_EQ(readFile(path), noMarker);
    }
}

TEST_F(PrivateAreaTest, VersionZeroAreaCarriesNothing)
{
    std::vector<BYTE> area(4 + 37, 0);
    std::memcpy(&area[4], CPrivateArea::Marker, 32);
    putU32(area, area.size() - 4, static_cast<uint32_t>(area.size()));
    std::wstring path = dataFileWith(area);
    CPrivateArea read(path);
    EXPECT_EQ(read.read(), Status::Present);
    EXPECT_EQ(read.version, 0u);
    CLockboxKeys keys(path);
    EXPECT_FALSE(keys.load());
}

} // namespace
