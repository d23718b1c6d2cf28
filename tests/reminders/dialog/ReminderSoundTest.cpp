// The Reminder dialog's sound: the files of the system's media folder, "Browse...", and the
// play button over a stand-in wave device.

#include "CModalScript.h"
#include "CReminderDialogTest.h"
#include "CScratchFolder.h"
#include "RegistryValue.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <cderr.h>
#include <dlgs.h>
#include <mmsystem.h>

#include <vector>

namespace {

constexpr wchar_t kVersionKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr wchar_t kMediaFiles[][16] = {L"chime.wav", L"alarm.wav", L"old.wav", L"notes.txt"};

} // namespace

// Points MediaPath at a folder of the test's own for the test, and gives the computer back
// its value and current folder afterwards.
class CReminderSoundTest : public CReminderDialogTest {
protected:
    void SetUp() override
    {
        CReminderDialogTest::SetUp();
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        m_folder = folder;
        CKeyHandle key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_QUERY_VALUE, key.put()), ERROR_SUCCESS);
        m_hadMediaPath = queryRegistryValue(key.get(), L"MediaPath", m_type, m_data);

        for (const auto* name : kMediaFiles)
            ASSERT_TRUE(media.write(name, "RIFF"));
        // A read-only sound is listed as well.
        SetFileAttributesW((media.path() + L"old.wav").c_str(), FILE_ATTRIBUTE_READONLY);
    }

    void TearDown() override
    {
        CReminderDialogTest::TearDown();
        CKeyHandle key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
            if (m_hadMediaPath)
                RegSetValueExW(key.get(), L"MediaPath", 0, m_type, m_data.data(), static_cast<DWORD>(m_data.size()));
            else
                RegDeleteValueW(key.get(), L"MediaPath");
        }
        SetCurrentDirectoryW(m_folder.c_str());
        SetFileAttributesW((media.path() + L"old.wav").c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    static void setMediaPath(const std::wstring& folder, DWORD type = REG_SZ)
    {
        CKeyHandle key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_SET_VALUE, key.put()), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), L"MediaPath", 0, type, reinterpret_cast<const BYTE*>(folder.c_str()),
                                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    static void removeMediaPath()
    {
        CKeyHandle key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_SET_VALUE, key.put()), ERROR_SUCCESS);
        RegDeleteValueW(key.get(), L"MediaPath");
    }

    // The media folder without its trailing backslash.
    std::wstring mediaFolder() const { return media.path().substr(0, media.path().size() - 1); }

    // Opens a new reminder with a sound chosen and `file` in the box.
    void openWithSound(const std::wstring& file)
    {
        setMediaPath(mediaFolder());
        ASSERT_NE(open(0), nullptr);
        selectRepeat(1);
        type(IDC_REMINDER_SOUND, file);
    }

    CScratchFolder media{L"reminder media"};

private:
    std::wstring m_folder;
    bool m_hadMediaPath = false;
    DWORD m_type = 0;
    std::vector<BYTE> m_data;
};

enum class MediaPath { Folder, Expandable, Missing, TooLong };

struct ListingCase {
    const char* name;
    MediaPath path;
    bool listed;
};

class CSoundListingTest : public CReminderSoundTest, public ::testing::WithParamInterface<ListingCase> {};

TEST_P(CSoundListingTest, TheBoxListsTheMediaFoldersWaveFilesAndNone)
{
    switch (GetParam().path) {
    case MediaPath::Folder:
        setMediaPath(mediaFolder());
        break;
    case MediaPath::Expandable:
        SetEnvironmentVariableW(L"VELMORA_TEST_MEDIA", mediaFolder().c_str());
        setMediaPath(L"%VELMORA_TEST_MEDIA%", REG_EXPAND_SZ);
        break;
    case MediaPath::Missing:
        removeMediaPath();
        break;
    case MediaPath::TooLong:
        setMediaPath(L"C:\\" + std::wstring(300, L'm'));
        break;
    }
    ASSERT_NE(open(0), nullptr);

    const std::vector<std::wstring> expected = GetParam().listed
        ? std::vector<std::wstring>{L"(None)", L"alarm.wav", L"chime.wav", L"old.wav"}
        : std::vector<std::wstring>{L"(None)"};
    EXPECT_EQ(comboItems(IDC_REMINDER_SOUND), expected);
    EXPECT_EQ(text(IDC_REMINDER_SOUND), L"(None)");
    if (GetParam().listed) {
        // The bare names open from the media folder: it is the current folder now.
        wchar_t current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
        EXPECT_EQ(_wcsicmp(current, mediaFolder().c_str()), 0) << current;
    }
}

INSTANTIATE_TEST_SUITE_P(MediaPaths, CSoundListingTest,
                         ::testing::Values(ListingCase{"Folder", MediaPath::Folder, true},
                                           ListingCase{"Expandable", MediaPath::Expandable, true},
                                           ListingCase{"Missing", MediaPath::Missing, false},
                                           ListingCase{"LongerThanAPath", MediaPath::TooLong, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CReminderSoundTest, ThePlayButtonShowsMarlettsPlayTriangle)
{
    ASSERT_NE(open(0), nullptr);
    EXPECT_EQ(text(IDC_REMINDER_PLAY), L"4");
    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog(), IDC_REMINDER_PLAY, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    ASSERT_TRUE(font && GetObjectW(font, sizeof face, &face));
    EXPECT_STREQ(face.lfFaceName, L"Marlett");
    EXPECT_EQ(face.lfCharSet, SYMBOL_CHARSET);
}

enum class PlayEnd { PressedAgain, PlayedToTheEnd, DeviceFailed };

struct PlayEndCase {
    const char* name;
    PlayEnd end;
};

class CPlayEndTest : public CReminderSoundTest, public ::testing::WithParamInterface<PlayEndCase> {};

TEST_P(CPlayEndTest, PlayingShowsStopUntilTheSoundEnds)
{
    openWithSound(L"chime.wav");
    click(IDC_REMINDER_PLAY);
    EXPECT_EQ(sound.calls, (std::vector<std::wstring>{L"open chime.wav", L"play 7"}));
    EXPECT_EQ(sound.notifyWindow, dialog());
    EXPECT_EQ(text(IDC_REMINDER_PLAY), L"g");

    switch (GetParam().end) {
    case PlayEnd::PressedAgain:
        click(IDC_REMINDER_PLAY);
        break;
    case PlayEnd::PlayedToTheEnd:
        sound.finish(MCI_NOTIFY_SUCCESSFUL, 7);
        break;
    case PlayEnd::DeviceFailed:
        sound.finish(MCI_NOTIFY_FAILURE, 7);
        break;
    }
    EXPECT_EQ(sound.calls, (std::vector<std::wstring>{L"open chime.wav", L"play 7", L"close 7"}));
    EXPECT_EQ(text(IDC_REMINDER_PLAY), L"4");

    // And it plays again from the start.
    click(IDC_REMINDER_PLAY);
    EXPECT_EQ(sound.calls.back(), L"play 7");
    EXPECT_EQ(text(IDC_REMINDER_PLAY), L"g");
}

INSTANTIATE_TEST_SUITE_P(Ends, CPlayEndTest,
                         ::testing::Values(PlayEndCase{"PressedAgain", PlayEnd::PressedAgain},
                                           PlayEndCase{"PlayedToTheEnd", PlayEnd::PlayedToTheEnd},
                                           PlayEndCase{"DeviceFailed", PlayEnd::DeviceFailed}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CReminderSoundTest, NoticesOfAnAbortedPlayOrOfAnotherDeviceLeaveTheSoundPlaying)
{
    openWithSound(L"chime.wav");
    click(IDC_REMINDER_PLAY);
    // An earlier play's device, closed by us, may carry the same number as this one.
    sound.finish(MCI_NOTIFY_ABORTED, 7);
    sound.finish(MCI_NOTIFY_SUPERSEDED, 7);
    sound.finish(MCI_NOTIFY_SUCCESSFUL, 9);
    EXPECT_EQ(sound.calls, (std::vector<std::wstring>{L"open chime.wav", L"play 7"}));
    EXPECT_EQ(text(IDC_REMINDER_PLAY), L"g");
}

struct FailedStartCase {
    const char* name;
    UINT device;
    bool playSucceeds;
    std::vector<std::wstring> calls;
};

class CFailedStartTest : public CReminderSoundTest, public ::testing::WithParamInterface<FailedStartCase> {};

TEST_P(CFailedStartTest, ASoundThatCannotStartLeavesNothingOpen)
{
    sound.nextDevice = GetParam().device;
    sound.playSucceeds = GetParam().playSucceeds;
    openWithSound(L"broken.wav");
    click(IDC_REMINDER_PLAY);
    EXPECT_EQ(sound.calls, GetParam().calls);
    EXPECT_EQ(text(IDC_REMINDER_PLAY), L"4");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CFailedStartTest,
    ::testing::Values(FailedStartCase{"PlayFails", 7, false, {L"open broken.wav", L"play 7", L"close 7"}},
                      FailedStartCase{"OpenFails", 0, true, {L"open broken.wav"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CReminderSoundTest, ChoosingNoSoundOrClosingTheDialogStopsTheSound)
{
    openWithSound(L"chime.wav");
    click(IDC_REMINDER_PLAY);
    selectRepeat(0);
    EXPECT_EQ(sound.calls.back(), L"close 7");
    EXPECT_EQ(text(IDC_REMINDER_PLAY), L"4");
    EXPECT_FALSE(enabled(IDC_REMINDER_PLAY));

    selectRepeat(2);
    click(IDC_REMINDER_PLAY);
    ASSERT_EQ(sound.calls.back(), L"play 7");
    DestroyWindow(dialog());
    EXPECT_EQ(sound.calls.back(), L"close 7");
}

TEST_F(CReminderSoundTest, BrowseOpensTheChooserAtTheBoxsFolderAndTakesTheChosenPath)
{
    openWithSound(mediaFolder());
    const std::wstring chosen = media.path() + L"alarm.wav";
    std::wstring title, filter, startFolder;
    // The chooser's own controls: cmb1 is its file-type box, cmb13 its file-name box.
    CModalScript script(cmb1, [&](HWND chooser) {
        wchar_t buffer[MAX_PATH] = {};
        GetWindowTextW(chooser, buffer, MAX_PATH);
        title = buffer;
        GetDlgItemTextW(chooser, cmb1, buffer, MAX_PATH);
        filter = buffer;
        SendMessageW(chooser, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(buffer));
        startFolder = buffer;
        SetDlgItemTextW(chooser, cmb13, chosen.c_str());
        PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    click(IDC_REMINDER_BROWSE);

    ASSERT_TRUE(script.ran());
    EXPECT_EQ(title, L"Reminder Sound File");
    EXPECT_EQ(filter, L"Sounds (*.wav)");
    EXPECT_EQ(_wcsicmp(startFolder.c_str(), mediaFolder().c_str()), 0) << startFolder;
    EXPECT_EQ(text(IDC_REMINDER_SOUND), chosen);
}

TEST_F(CReminderSoundTest, TheSavedRecordKeepsTheBoxsTextAndTheRepeatChoice)
{
    openWithSound(L"chime.wav");
    selectRepeat(3);
    click(IDOK);
    ReminderRecord r;
    ASSERT_TRUE(stored(1, r));
    EXPECT_EQ(r.soundFile, L"chime.wav");
    EXPECT_EQ(r.soundRepeat, 3);
}
