// Chronel's start-up and idle cost: the time from starting Chronel.exe to its main window
// existing, its working set after start, the processor time it uses while idle, and which
// timers fire while it idles. Usage: chronel_bench [starts] [idle seconds]

#include "CChronelApp.h"
#include "CMainWnd.h"
#include "ChronelSettings.h"

#include "UniqueHandle.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

std::wstring besideThisProgram(const wchar_t* file)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + file;
}

double milliseconds(const FILETIME& a)
{
    return static_cast<double>((static_cast<ULONGLONG>(a.dwHighDateTime) << 32) | a.dwLowDateTime) / 10000.0;
}

std::map<UINT_PTR, int> g_timerTicks;

LRESULT CALLBACK countTimers(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_TIMER)
        ++g_timerTicks[msg->wParam];
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int starts = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 10;
    const DWORD idleSeconds = argc > 2 ? std::max(1ul, std::wcstoul(argv[2], nullptr, 10)) : 65;

    // No first-run page and no way out to the Internet: a plain start of the resident program.
    settings::write(settings::kFirstRun, 0);
    settings::write(settings::kInternetCheck, false);
    settings::write(settings::server(1), L"no-such-host.invalid");

    const std::wstring program = besideThisProgram(L"Chronel.exe");
    std::vector<double> startMs, workingSetKb, idleCpuMs;
    for (int i = 0; i < starts; ++i) {
        LARGE_INTEGER frequency, t0, t1;
        QueryPerformanceFrequency(&frequency);
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CProcessInformation info;
        QueryPerformanceCounter(&t0);
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, info.put())) {
            std::fprintf(stderr, "chronel_bench: cannot start %ls\n", program.c_str());
            return 1;
        }
        HWND main = nullptr;
        while (!(main = FindWindowW(kMainWindowClass, kMainWindowTitle))) {
            if (WaitForSingleObject(info.process(), 1) == WAIT_OBJECT_0)
                break;
        }
        QueryPerformanceCounter(&t1);
        if (main) {
            startMs.push_back(static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000 / frequency.QuadPart);
            Sleep(500); // let start-up settle before measuring memory and idling
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof memory;
            if (GetProcessMemoryInfo(info.process(), &memory, sizeof memory))
                workingSetKb.push_back(static_cast<double>(memory.WorkingSetSize) / 1024);
            if (i == 0) {
                FILETIME created, exited, kernel0, user0, kernel1, user1;
                GetProcessTimes(info.process(), &created, &exited, &kernel0, &user0);
                Sleep(5000);
                GetProcessTimes(info.process(), &created, &exited, &kernel1, &user1);
                idleCpuMs.push_back(milliseconds(kernel1) - milliseconds(kernel0) + milliseconds(user1) -
                                    milliseconds(user0));
            }
            PostMessageW(main, 0x466 /* WM_APP_EXIT */, 0, 0);
        }
        if (WaitForSingleObject(info.process(), 10000) != WAIT_OBJECT_0)
            TerminateProcess(info.process(), 1);
    }
    std::sort(startMs.begin(), startMs.end());
    std::sort(workingSetKb.begin(), workingSetKb.end());
    if (startMs.empty()) {
        std::fprintf(stderr, "chronel_bench: the main window never appeared\n");
        return 1;
    }
    std::printf("Chronel start-up over %zu starts\n", startMs.size());
    std::printf("  start to main window   median %.1f ms   worst %.1f ms\n", startMs[startMs.size() / 2],
                startMs.back());
    if (!workingSetKb.empty())
        std::printf("  working set after start   median %.0f KB   largest %.0f KB\n",
                    workingSetKb[workingSetKb.size() / 2], workingSetKb.back());
    if (!idleCpuMs.empty())
        std::printf("  processor time while idle for 5 s   %.1f ms\n", idleCpuMs[0]);

    // The timers of an idle main window, in this process.
    CSystemClockSetter clock;
    CChronelApp app(clock);
    if (!app.createMainWindow())
        return 1;
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, &countTimers, nullptr, GetCurrentThreadId());
    const DWORD until = GetTickCount() + idleSeconds * 1000;
    MSG msg;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - GetTickCount(), QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    UnhookWindowsHookEx(hook);
    std::printf("Timers of the idle main window over %lu s (schedule 256: one a minute; reminders 258: one at\n"
                "start, then one a minute; retry 257: none)\n",
                idleSeconds);
    for (UINT_PTR id : {256u, 257u, 258u})
        std::printf("  timer %u fired %d times\n", static_cast<unsigned>(id), g_timerTicks[id]);
    return 0;
}
