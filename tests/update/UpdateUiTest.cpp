// The update's windows on the user-interface thread: the "Application Update" question and the
// progress window, driven by messages.
#include "CMessageWindow.h"
#include "CUpdateUi.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <thread>

namespace {

// Finds the question once it is shown, reads its texts and presses `button`.
struct QuestionAnswerer {
    explicit QuestionAnswerer(int button)
        : worker([this, button] {
              // The window exists before its controls do: wait until it is shown.
              for (int i = 0; i < 200 && !dialog; ++i) {
                  HWND found = FindWindowW(L"#32770", L"Application Update");
                  if (found && IsWindowVisible(found) && GetDlgItem(found, IDCANCEL))
                      dialog = found;
                  else
                      Sleep(25);
              }
              if (!dialog)
                  return;
              wchar_t buffer[256] = {};
              GetDlgItemTextW(dialog, IDC_UPDATE_TEXT, buffer, 256);
              text = buffer;
              GetDlgItemTextW(dialog, IDC_UPDATE_QUESTION, buffer, 256);
              question = buffer;
              PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
          })
    {
    }
    ~QuestionAnswerer()
    {
        if (worker.joinable())
            worker.join();
    }
    HWND dialog = nullptr;
    std::wstring text, question;
    std::thread worker;
};

} // namespace

TEST(UpdateUi, TheQuestionShowsItsTextsAndAnswersWithTheButtonPressed)
{
    CMessageWindow owner;
    CUpdateUi ui;
    for (int button : {IDOK, IDCANCEL}) {
        LRESULT answer = 0;
        std::wstring text, question;
        {
            QuestionAnswerer answerer(button);
            answer = ui.offer(owner.hwnd());
            answerer.worker.join();
            text = answerer.text;
            question = answerer.question;
            ASSERT_NE(answerer.dialog, nullptr);
        }
        EXPECT_EQ(answer, button);
        EXPECT_EQ(text, L"A new version of this application has been released.  Your copy can be automatically "
                        L"updated right now - free of charge!");
        EXPECT_EQ(question, L"Click OK to proceed or Cancel to skip the upgrade");
    }
}

TEST(UpdateUi, TheProgressWindowFollowsTheDownloadAndGoesAtItsEnd)
{
    CMessageWindow owner;
    CUpdateUi ui;
    EXPECT_EQ(ui.progressWindow(), nullptr);
    ui.onProgress(owner.hwnd(), 40);
    HWND window = ui.progressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(SendDlgItemMessageW(window, IDC_DOWNLOAD_BAR, PBM_GETPOS, 0, 0), 40);
    wchar_t text[128] = {};
    GetDlgItemTextW(window, IDC_DOWNLOAD_TEXT, text, 128);
    EXPECT_STREQ(text, L"Downloading the update: 40% done");
    ui.onProgress(owner.hwnd(), 250);
    EXPECT_EQ(ui.progressWindow(), window);
    EXPECT_EQ(SendDlgItemMessageW(window, IDC_DOWNLOAD_BAR, PBM_GETPOS, 0, 0), 100);
    // Escape does not close it while the file still comes.
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(window));
    ui.onFinished();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ui.progressWindow(), nullptr);
}
