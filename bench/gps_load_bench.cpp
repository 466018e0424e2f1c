// Loading a full day's GPS log (one line a second) compared with `wc -l` of
// the same file.
#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "catalogue/storage_layout.h"
#include "gps/gps_table.h"

namespace {

using namespace tramlet;

void WriteDayLog(const std::string& path) {
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return;
    for (int s = 0; s < GpsTable::kSecondsPerDay; ++s) {
        std::fprintf(out, "%02d%02d%02d %.6f %.6f %d %d\r\n", s / 3600, s / 60 % 60, s % 60,
                     37.5 + s * 1e-6, 126.9 + s * 2e-6, s % 120, s % 360);
    }
    std::fclose(out);
}

}  // namespace

int main() {
    bench::ScratchDir card;
    const DataRootPath root(card.Root());
    ::mkdir(GpsFolder(root).c_str(), 0755);
    const std::string log = GpsLogPath(root, 2024, 5, 1);
    WriteDayLog(log);

    GpsTable table;
    // Taken in turns, so that both see the same moods of a shared machine.
    double load = 1e9;
    double wc = 1e9;
    for (int round = 0; round < 20; ++round) {
        load = std::min(load, bench::BestSeconds(1, [&] { table.LoadGpsLog(root, 2024, 5, 1); }));
        wc = std::min(wc, bench::BestCommandSeconds(1, "wc -l " + bench::ShellQuote(log)));
    }
    const GpsLoadReport& report = table.LastLoad();
    std::printf("%d fixes loaded, %d lines skipped\n", report.fixes, report.skipped);
    return bench::ReportRatio("load 86,400 lines", load, "wc -l", wc, 2.0) ? 0 : 1;
}
