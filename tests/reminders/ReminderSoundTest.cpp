// The reminder sound's play counts through a stand-in for MCI, and one real play through the
// system's "waveaudio" device.

#include "CMessageWindow.h"
#include "CReminderSound.h"
#include "CScratchFolder.h"
#include "CSoundDeviceStub.h"
#include "FileIo.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ReminderSoundTest : public ::testing::Test {
protected:
    ReminderSoundTest()
    {
        window.setHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == MM_MCINOTIFY)
                sound.onNotify(wParam, lParam);
            return false;
        });
    }

    CMessageWindow window;
    CSoundDeviceStub device;
    CReminderSound sound{device, window.hwnd()};
    // Ends every play as MCI would, until nothing plays or `limit` plays have ended.
    int finishAll(int limit)
    {
        int ended = 0;
        while (ended < limit && device.finish())
            ++ended;
        return ended;
    }
};

TEST_F(ReminderSoundTest, RepeatChoicePlaysThatManyTimes)
{
    struct Case {
        int repeat;
        int plays;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}};
    for (const Case& c : cases) {
        device.plays = 0;
        sound.start(L"chimes.wav", c.repeat);
        finishAll(20);
        EXPECT_EQ(device.plays, c.plays) << c.repeat;
        EXPECT_FALSE(sound.playing()) << c.repeat;
        EXPECT_EQ(device.current, 0u) << "the device is closed after the last play";
    }
}

TEST_F(ReminderSoundTest, ContinuouslyPlaysUntilStopped)
{
    sound.start(L"chimes.wav", 5);
    EXPECT_EQ(finishAll(12), 12) << "still playing after 12 plays";
    EXPECT_TRUE(sound.playing());
    sound.stop();
    EXPECT_FALSE(sound.playing());
    EXPECT_EQ(device.current, 0u);
    EXPECT_FALSE(device.finish());
}

TEST_F(ReminderSoundTest, NewReminderReplacesThePlayingSound)
{
    sound.start(L"long.wav", 5);
    const UINT first = device.current;
    sound.start(L"other.wav", 1);
    EXPECT_NE(std::find(device.closed.begin(), device.closed.end(), first), device.closed.end());
    EXPECT_EQ(device.opened.back(), L"other.wav");
    // The stopped play's late notification is not an end of the new one.
    SendMessageW(window.hwnd(), MM_MCINOTIFY, MCI_NOTIFY_ABORTED, static_cast<LPARAM>(device.current));
    EXPECT_TRUE(sound.playing());
    finishAll(5);
    EXPECT_EQ(device.opened.size(), 2u) << "once means once";
}

TEST_F(ReminderSoundTest, FailuresStaySilent)
{
    device.failOpen = true;
    sound.start(L"missing.wav", 5);
    EXPECT_FALSE(sound.playing());
    EXPECT_EQ(device.opened.size(), 1u) << "no retry loop on a file that does not open";

    device.failOpen = false;
    device.failPlay = true;
    sound.start(L"broken.wav", 3);
    EXPECT_FALSE(sound.playing());
    EXPECT_EQ(device.current, 0u) << "a failed play closes the device at once";

    // A device that accepts the play and then reports it failed is not tried again.
    device.failPlay = false;
    device.plays = 0;
    sound.start(L"chimes.wav", 5);
    ASSERT_TRUE(device.finish(MCI_NOTIFY_FAILURE));
    EXPECT_FALSE(sound.playing());
    EXPECT_EQ(device.plays, 1);

    sound.start(L"", 3);
    EXPECT_FALSE(sound.playing()) << "(no file) plays nothing";
}

// A 0.2 s tone written as a wave file.
void writeWave(const std::wstring& path)
{
    const uint32_t rate = 8000, samples = 1600;
    std::string bytes;
    auto u32 = [&](uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { bytes.append(reinterpret_cast<const char*>(&v), 2); };
    bytes += "RIFF";
    u32(36 + samples);
    bytes += "WAVEfmt ";
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(rate);
    u32(rate);
    u16(1);
    u16(8);
    bytes += "data";
    u32(samples);
    for (uint32_t i = 0; i < samples; ++i)
        bytes.push_back(static_cast<char>((i / 10) % 2 ? 200 : 56));
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.valid());
    ASSERT_TRUE(fileio::writeAll(file.get(), bytes.data(), bytes.size()));
}

TEST(ReminderSoundMciTest, RealWaveFilePlaysThroughMci)
{
    CScratchFolder folder;
    const std::wstring file = folder.path() + L"\\tone.wav";
    writeWave(file);
    CMessageWindow window;
    window.watch(MM_MCINOTIFY);
    CMciSoundDevice mci;
    CReminderSound sound(mci, window.hwnd());
    window.setHandler([&](UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == MM_MCINOTIFY)
            sound.onNotify(wParam, lParam);
        return false;
    });
    sound.start(file, 1);
    ASSERT_TRUE(sound.playing()) << "MCI opened and played the file";
    EXPECT_TRUE(CMessageWindow::pumpUntil([&] { return !sound.playing(); }, 10000))
        << "the end of the play is notified and the device closed";
    ASSERT_EQ(window.count(MM_MCINOTIFY), 1u) << "played once";
    // Without a sound card Wine ends the play with a failure notice; Windows with one reports
    // success. Either ends the reminder's sound.
    const WPARAM flags = window.messagesOf(MM_MCINOTIFY)[0].wParam;
    EXPECT_TRUE(flags == MCI_NOTIFY_SUCCESSFUL || flags == MCI_NOTIFY_FAILURE) << flags;
    EXPECT_EQ(mci.open(folder.path() + L"\\missing.wav"), 0u);
}

} // namespace
