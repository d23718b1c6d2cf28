// What a balloon request costs its sender, who waits in SendMessage: the pixel scan of a
// taskbar-sized area, and the whole request with and without a search. Run it under Xvfb in
// the Wine desktop with a taskbar (scripts/lib.sh: display_run) for the real search; without
// a taskbar it measures the fallback path. Usage: tray_bench [requests]

#include "CBalloonWnd.h"
#include "CMessageWindow.h"
#include "CTrayTestHost.h"
#include "DrawnPixels.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double milliseconds(const std::function<void()>& work)
{
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t0);
    work();
    QueryPerformanceCounter(&t1);
    return static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000 / static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double median;
    double worst;
};

Figures figures(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? Figures{0, 0} : Figures{v[v.size() / 2], v.back()};
}

void print(const char* what, const std::vector<double>& times)
{
    const Figures f = figures(times);
    std::printf("  %-44s median %8.3f ms   worst %8.3f ms   (%zu runs)\n", what, f.median, f.worst, times.size());
}

// A white taskbar-sized bitmap, with the probe's black square near its right end or not.
CPixelGrid taskbarPixels(bool withProbe)
{
    std::vector<DrawnBlock> blocks;
    if (withProbe)
        blocks.push_back(DrawnBlock{RECT{1000, 7, 1016, 23}, RGB(0, 0, 0)});
    return drawnPixels(1024, 30, blocks);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    std::printf("Pixel scan of a 1024 x 30 area (bitmap, no screen):\n");
    for (bool withProbe : {true, false}) {
        const CPixelGrid pixels = taskbarPixels(withProbe);
        std::vector<double> times;
        for (int i = 0; i < runs * 10; ++i)
            times.push_back(milliseconds([&] { CTrayIconLocator::scan(pixels, pixels.area()); }));
        print(withProbe ? "probe at the right end" : "no probe (whole area)", times);
    }

    const bool taskbar = FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
    DWORD now = 1000000;
    CTrayTestHost host(L"Orvel.Cofferix", [&now] { return now; });
    if (!host.create()) {
        std::fprintf(stderr, "no host window\n");
        return 1;
    }
    CMessageWindow::pumpFor(500);
    std::printf("Balloon requests (%s):\n", taskbar ? "real taskbar, Xvfb" : "no taskbar: fallback anchor");

    std::vector<double> searched, cached;
    for (int i = 0; i < runs; ++i) {
        // Older than mode 3 allows: the request searches.
        now += 11000;
        BalloonRequest first{L"Orvel.Cofferix", L"The \"Work\" lockbox was successfully opened.", 0, 0, 0, 0, nullptr};
        searched.push_back(milliseconds([&] { host.requestBalloon(kBalloonSuccess, first); }));
        BalloonRequest second{L"Orvel.Cofferix", L"The \"Work\" lockbox was successfully closed.", 0, 0, 0, 0, nullptr};
        cached.push_back(milliseconds([&] { host.requestBalloon(kBalloonSuccess, second); }));
        closeAllBalloons();
        CMessageWindow::pumpFor(5);
    }
    print("request with a pixel search", searched);
    print("request within 10 s (cached anchor)", cached);
    std::printf("  searches made: %d for %d requests\n", host.locator.searches(), 2 * runs);
    return 0;
}
