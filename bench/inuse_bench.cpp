// In-use detection over stand-in handle tables: 1,000 and 100,000 handles, 50 of them files
// on the lockbox. Prints the median of several detections for each.

#include "CInUseDetector.h"
#include "CSystemHandlesStandIn.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double millisecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// A table like a busy machine's: files of many processes on other disks, other object types,
// and `onLockbox` files on the lockbox spread through it.
void fill(CSystemHandlesStandIn& system, int handles, int onLockbox)
{
    const int processes = 200;
    for (DWORD pid = 1000; pid < 1000 + processes; ++pid)
        system.addProcess(pid, L"C:\\Program Files\\App" + std::to_wstring(pid) + L"\\app.exe");
    const int spacing = handles / onLockbox;
    for (int i = 0; i < handles; ++i) {
        CSystemHandlesStandIn::SHandle h;
        h.processId = 1000 + DWORD(i % processes);
        h.handle = static_cast<USHORT>(4 + 4 * (i / processes));
        if (i % spacing == 0 && i / spacing < onLockbox) {
            h.type = 28;
            h.kernelName = L"\\Device\\SDisk3\\Docs\\file" + std::to_wstring(i) + L".doc";
        } else if (i % 3 == 0) {
            h.type = 28;
            h.kernelName = L"\\Device\\HarddiskVolume1\\Windows\\System32\\lib" + std::to_wstring(i) + L".dll";
        } else {
            h.type = static_cast<BYTE>(i % 2 ? 5 : 36);
            h.typeName = L"Event";
        }
        h.fileName = h.kernelName;
        system.addHandle(h);
    }
}

void run(int handles, int onLockbox)
{
    CSystemHandlesStandIn system;
    fill(system, handles, onLockbox);
    std::vector<double> times;
    size_t found = 0;
    for (int round = 0; round < 9; ++round) {
        CInUseDetector detector(system);
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        if (!detector.detect({L"\\Device\\SDisk3"})) {
            std::printf("detection failed\n");
            return;
        }
        times.push_back(millisecondsSince(start));
        found = 0;
        for (const auto& files : detector.filesByProcess())
            found += files.second.size();
    }
    std::sort(times.begin(), times.end());
    std::printf("%7d handles, %2d on the lockbox: median %8.3f ms, fastest %8.3f ms, slowest %8.3f ms (%zu files found)\n",
                handles, onLockbox, times[times.size() / 2], times.front(), times.back(), found);
}

} // namespace

int main()
{
    run(1000, 50);
    run(100000, 50);
    std::printf("target: under 200 ms for 100,000 handles\n");
    return 0;
}
