// The library, measured in one run against baselines of the same run:
//  - ingest of a simulator card of about 1 GB, against `cp -r` of the card
//    followed by `sync` (the same lasting copy, without checking it);
//  - `find --near` over 5 million fixes (60 vehicle-days of 24 hours), the
//    median of 21 places against the 50 ms target, in SQLite and in
//    PostgreSQL, with the fixes per second their ingest indexed.
// Usage: library_bench [ingest|find]... (default both)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "catalogue/clip_name.h"
#include "catalogue/storage_layout.h"
#include "support/postgres_server.h"

namespace {

namespace fs = std::filesystem;
using namespace tramlet;

constexpr std::uintmax_t kCardBytes = 1000ull << 20;
constexpr int kVehicles = 6;
constexpr int kDaysPerVehicle = 10;
constexpr int kQueries = 21;
constexpr double kQueryRadius = 100;

std::string Library() {
    return std::string(TRAMLET_LIBRARY_BIN);
}

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null").c_str()) == 0;
}

// Four channels of 1080p recordings from the simulator, copied under later
// starts until the card holds about 1 GB, and one clip the recorder left
// unfinished, which the ingest repairs.
bool MakeCard(const DataRootPath& root) {
    const std::string sim = std::string(TRAMLET_SIMCARD) + " -q --size 1920x1080 --noise --qp 20 ";
    const std::string quoted = bench::ShellQuote(root.Text());
    if (!Run(sim + "--channels 1234 --duration 5 --start 20240501-100000 " + quoted) ||
        !Run(sim + "--duration 5 --unclosed --start 20240501-080000 " + quoted))
        return false;
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(VideoFolder(root)))
        bytes += entry.file_size();
    for (int copy = 1; bytes < kCardBytes; ++copy) {
        for (int channel = 1; channel <= 4; ++channel) {
            // Recordings of 5 s back to back: 12 a minute.
            const int second = copy * 5;
            const ClipName from{2024, 5, 1, 10, 0, 0, channel, 5};
            const ClipName to{2024,        5,       1, 10 + second / 3600, second / 60 % 60,
                              second % 60, channel, 5};
            fs::copy_file(ClipPath(root, from.FileName()), ClipPath(root, to.FileName()));
            bytes += fs::file_size(ClipPath(root, to.FileName()));
        }
    }
    std::printf("card: %ju MB in %zu files\n", bytes >> 20,
                static_cast<size_t>(std::distance(fs::directory_iterator(VideoFolder(root)), {})));
    return true;
}

// Asks the kernel to forget the cached pages of every file of a folder.
void DropFromCache(const std::string& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

bool BenchIngest() {
    bench::ScratchDir scratch;
    const std::string card = scratch.Root() + "card/";
    if (!MakeCard(DataRootPath(card)))
        return false;
    const std::string library = bench::ShellQuote(scratch.Path() + "/library");
    const std::string copy = bench::ShellQuote(scratch.Path() + "/copy");
    ::sync();
    // A card just put in is read from the card, not from memory: both sides
    // start with none of it cached, and take turns on the shared machine.
    double ingest = 1e9;
    double cpSync = 1e9;
    for (int run = 0; run < 3; ++run) {
        DropFromCache(card);
        ingest = std::min(
            ingest, bench::BestCommandSeconds(1, "rm -rf " + library + " && sync && " + Library() +
                                                     " ingest -q --vehicle v " +
                                                     bench::ShellQuote(card) + " " + library));
        DropFromCache(card);
        cpSync = std::min(cpSync, bench::BestCommandSeconds(
                                      1, "rm -rf " + copy + " && sync && cp -r " +
                                             bench::ShellQuote(card) + " " + copy + " && sync"));
    }
    return bench::ReportRatio("ingest of the card", ingest, "cp -r && sync", cpSync, 1.15);
}

// A day's drive at city speeds, kept within central Seoul, one line a second.
std::string DayLog(std::mt19937& random, std::vector<std::pair<double, double>>& places) {
    std::uniform_real_distribution<double> turn(-0.3, 0.3), speed(0, 16);
    double latitude = 37.55, longitude = 127.0, heading = turn(random) * 10;
    std::string log;
    log.reserve(86400 * 40);
    char line[80];
    for (int s = 0; s < 86400; ++s) {
        heading += turn(random);
        const double metres = speed(random);
        latitude += metres * std::cos(heading) / 111195;
        longitude +=
            metres * std::sin(heading) / (111195 * std::cos(latitude * std::numbers::pi / 180));
        if (std::abs(latitude - 37.55) > 0.08 || std::abs(longitude - 127.0) > 0.12)
            heading += std::numbers::pi;  // back towards the centre
        std::snprintf(line, sizeof line, "%02d%02d%02d %.6f %.6f %.1f 0.0\r\n", s / 3600,
                      s / 60 % 60, s % 60, latitude, longitude, metres * 3.6);
        log += line;
        if (s == 43200)
            places.emplace_back(latitude, longitude);
    }
    return log;
}

// One card per vehicle: ten days of logs and a one-minute recording an hour.
std::vector<std::pair<double, double>> MakeFleet(const std::string& folder) {
    std::mt19937 random(20240501);
    std::vector<std::pair<double, double>> places;
    for (int v = 0; v < kVehicles; ++v) {
        const DataRootPath root(folder + "/v" + std::to_string(v));
        fs::create_directories(VideoFolder(root));
        fs::create_directories(GpsFolder(root));
        for (int d = 1; d <= kDaysPerVehicle; ++d) {
            std::ofstream(GpsLogPath(root, 2024, 5, d), std::ios::binary) << DayLog(random, places);
            for (int h = 0; h < 24; ++h)
                std::ofstream(ClipPath(root, ClipName{2024, 5, d, h, 0, 0, 1, 60}.FileName())) << h;
        }
    }
    return places;
}

bool BenchFind(const std::string& name, const std::string& fleet, const std::string& library,
               const std::string& database, const std::vector<std::pair<double, double>>& places) {
    const std::string options = database.empty() ? "" : "--database " + database + " ";
    double ingest = 0;
    for (int v = 0; v < kVehicles; ++v) {
        ingest += bench::BestCommandSeconds(
            1, Library() + " ingest -q " + options + "--vehicle v" + std::to_string(v) + " " +
                   bench::ShellQuote(fleet + "/v" + std::to_string(v)) + " " + library);
    }
    const double fixes = 86400.0 * kVehicles * kDaysPerVehicle;
    std::printf("%s: ingest indexed %.0f fixes in %.1f s: %.0f fixes/s\n", name.c_str(), fixes,
                ingest, fixes / ingest);
    std::vector<double> times;
    for (int q = 0; q < kQueries; ++q) {
        char near[64];
        const auto& place = places[static_cast<size_t>(q) * places.size() / kQueries];
        std::snprintf(near, sizeof near, "%.6f,%.6f", place.first, place.second);
        times.push_back(bench::BestCommandSeconds(
            1, Library() + " find --json " + options + "--near " + near + " --radius " +
                   std::to_string(kQueryRadius) + " " + library));
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double startup = bench::BestCommandSeconds(5, Library() + " --help");
    std::printf(
        "%s: find --near over %.0f fixes, %d places within %.0f m: median %.1f ms "
        "(fastest %.1f, slowest %.1f; the program's start alone %.1f ms)\n",
        name.c_str(), fixes, kQueries, kQueryRadius, median * 1e3, times.front() * 1e3,
        times.back() * 1e3, startup * 1e3);
    return bench::ReportRatio(name + " find --near median", median, "target", 0.050, 1.0);
}

bool BenchFinds() {
    bench::ScratchDir scratch;
    const std::vector<std::pair<double, double>> places = MakeFleet(scratch.Path() + "/fleet");
    bool met =
        BenchFind("SQLite", scratch.Path() + "/fleet", scratch.Path() + "/sqlite", "", places);
    test::PostgresServer server(true);
    if (!server.Error().empty() || !server.CreateDatabase("bench")) {
        std::printf("PostgreSQL: not measured: %s\n", server.Error().c_str());
        return false;
    }
    return BenchFind("PostgreSQL", scratch.Path() + "/fleet", scratch.Path() + "/postgres",
                     server.Address("bench"), places) &&
           met;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> parts = argc > 1
                                               ? std::vector<std::string>(argv + 1, argv + argc)
                                               : std::vector<std::string>{"ingest", "find"};
    bool met = true;
    for (const std::string& part : parts) {
        if (part == "ingest")
            met = BenchIngest() && met;
        else if (part == "find")
            met = BenchFinds() && met;
    }
    return met ? 0 : 1;
}
