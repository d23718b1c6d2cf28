// The zone catalogue's cost: loading it from the system's time-zone database, and computing
// the time text of every zone beside that of one zone. Usage: zones_bench [rounds]

#include "CZoneCatalogue.h"
#include "ZoneTime.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

double now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s median %8.3f ms   worst %8.3f ms   (%zu rounds)\n", what, ms[ms.size() / 2], ms.back(),
                ms.size());
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int rounds = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 50;
    std::vector<double> load, every, one;
    size_t zones = 0, texts = 0;
    for (int i = 0; i < rounds; ++i) {
        CZoneCatalogue catalogue;
        double start = now();
        catalogue.load();
        load.push_back(now() - start);
        zones = catalogue.count();

        start = now();
        for (size_t z = 0; z < catalogue.count(); ++z)
            texts += zonetime::timeText(catalogue.at(z), 0).empty() ? 0 : 1;
        every.push_back(now() - start);

        start = now();
        if (catalogue.count() > 0)
            texts += zonetime::timeText(catalogue.at(0), 0).empty() ? 0 : 1;
        one.push_back(now() - start);
    }
    std::printf("zone catalogue: %zu zones\n", zones);
    report("load the catalogue", load);
    report("time text of every zone", every);
    report("time text of one zone", one);
    std::printf("(%zu texts made)\n", texts);
    return zones > 0 ? 0 : 1;
}
