#include "CVaultRuntimeTest.h"

#include "CMessageWait.h"
#include "CVaultRegKey.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>

void CVaultRuntimeTest::SetUp()
{
    CVaultTest::SetUp();
    vault = std::make_unique<CVault>(&desktop);
    disks = std::make_unique<CSecureDisks>(bus, bus, desktop, &handles);
    runtime = std::make_unique<CVaultRuntime>(*vault, *disks, &desktop);
    chronel = std::make_unique<CPopupReceiver>();
}

void CVaultRuntimeTest::TearDown()
{
    monitor.reset();
    settle(50);
    CVaultTest::TearDown();
}

SNewLockbox CVaultRuntimeTest::answersFor(const std::wstring& name, const std::wstring& password,
                                          const std::wstring& where, DWORD capacityMB) const
{
    SNewLockbox answers;
    answers.name = name;
    answers.folder = where.empty() ? folder() : where;
    answers.capacityMB = capacityMB;
    answers.password = password;
    answers.question = L"Pet?";
    answers.answer = L"Rex";
    return answers;
}

CLockbox* CVaultRuntimeTest::addLockbox(const std::wstring& name, const std::wstring& password,
                                        const SLockboxOptions& options)
{
    SNewLockbox answers = answersFor(name, password);
    answers.question = options.question;
    answers.openWithVault = options.openWithVault;
    answers.shortcutKey = options.shortcutKey;
    answers.shortcutModifiers = options.shortcutModifiers;
    int status = 0;
    if (!vault->createLockbox(answers, status))
        return nullptr;
    CLockbox* made = lockbox(name);
    if (made && (options.preferredDrive || options.timeoutSeconds)) {
        made->setPreferredDrive(options.preferredDrive);
        made->setTimeoutSeconds(options.timeoutSeconds);
        vault->saveRecord(*made);
        vault->loadLockboxes(true);
        made = lockbox(name);
    }
    return made;
}

void CVaultRuntimeTest::startMonitor()
{
    monitor = std::make_unique<CVaultMonitor>(*runtime, bus);
    ASSERT_TRUE(monitor->create());
}

std::unique_ptr<CModalScript> CVaultRuntimeTest::answerPassword(const std::wstring& password)
{
    return std::make_unique<CModalScript>(IDC_PASSWORD_FIELD, [password](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_PASSWORD_FIELD, password.c_str());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
}

bool CVaultRuntimeTest::openWithPassword(CLockbox& box, const std::wstring& password)
{
    auto script = answerPassword(password);
    return runtime->openLockbox(box, false, true);
}

void CVaultRuntimeTest::settle(DWORD ms)
{
    std::atomic<bool> waiting{true};
    CMessageWait::whileSet(waiting, ms);
}

std::vector<std::wstring> CVaultRuntimeTest::popupTexts() const
{
    std::vector<std::wstring> texts;
    for (const auto& popup : chronel->popups())
        texts.push_back(popup.text);
    return texts;
}

bool CVaultRuntimeTest::stepLogged(const std::string& step) const
{
    const auto steps = bus.steps();
    return std::find(steps.begin(), steps.end(), step) != steps.end();
}
