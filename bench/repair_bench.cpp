// Repairing unclosed clips, compared in the same run with reading the same
// bytes (`cat` to /dev/null, page cache warm) and with what a user would run
// otherwise (`ffmpeg -c copy` remuxing each clip).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "avifix/repair_pass.h"
#include "bench_support.h"
#include "catalogue/storage_layout.h"

namespace {

namespace fs = std::filesystem;
using namespace tramlet;

constexpr int kCopies = 10;
constexpr std::uintmax_t kTargetBytes = 500ull << 20;

// One clip from the simulator, copied until the set passes 500 MB.
std::vector<fs::path> MakePristineSet(const std::string& root) {
    const std::string simulate = std::string(TRAMLET_SIMCARD) +
                                 " -q --unclosed --no-gps --size 1920x1080 --noise --qp 18"
                                 " --duration 20 --start 20240501-100000 " +
                                 bench::ShellQuote(root);
    if (std::system(simulate.c_str()) != 0)
        return {};
    const fs::path clip = fs::directory_iterator(VideoFolder(root))->path();
    std::vector<fs::path> set{clip};
    const std::uintmax_t size = fs::file_size(clip);
    for (int i = 1; i < kCopies || size * set.size() < kTargetBytes; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "20240501-1%05d-1-0.avi", i);
        set.push_back(clip.parent_path() / name);
        fs::copy_file(clip, set.back());
    }
    return set;
}

// Fresh unclosed copies for each timed run, flushed so that the repair's own
// fsync does not pay for writing the copies back.
void Refill(const std::vector<fs::path>& pristine, const std::string& workRoot) {
    fs::remove_all(VideoFolder(workRoot));
    fs::create_directories(VideoFolder(workRoot));
    for (const fs::path& clip : pristine) {
        fs::copy_file(clip, fs::path(VideoFolder(workRoot)) / clip.filename());
    }
    ::sync();
}

}  // namespace

int main() {
    bench::ScratchDir pristineCard, workCard, remuxed;
    const std::vector<fs::path> pristine = MakePristineSet(pristineCard.Root());
    if (pristine.empty()) {
        std::fprintf(stderr, "the recorder simulator failed\n");
        return 2;
    }
    std::uintmax_t bytes = 0;
    std::string files;
    for (const fs::path& clip : pristine) {
        bytes += fs::file_size(clip);
        files += " " + bench::ShellQuote(clip.string());
    }

    double repair = 1e9;
    size_t repaired = 0;
    for (int run = 0; run < 3; ++run) {
        Refill(pristine, workCard.Root());
        repair = std::min(
            repair, bench::BestSeconds(1, [&] {
                repaired =
                    avifix::RunRepairPass(workCard.Root()).Count(avifix::ClipAction::Repaired);
            }));
    }
    const double cat = bench::BestCommandSeconds(3, "cat" + files + " >/dev/null");
    std::string remux;
    for (const fs::path& clip : pristine) {
        remux += "ffmpeg -v error -y -i " + bench::ShellQuote(clip.string()) + " -c copy " +
                 bench::ShellQuote(remuxed.Path() + "/out.avi") + " && ";
    }
    const double ffmpeg = bench::BestCommandSeconds(1, remux + "true");

    std::printf("%zu clips repaired, %ju MB\n", repaired, bytes >> 20);
    const bool nearCat = bench::ReportRatio("repair", repair, "cat", cat, 2.0);
    std::printf("remux with ffmpeg -c copy: %.0f ms, %.1fx the repair's time (target >= 4x: %s)\n",
                ffmpeg * 1e3, ffmpeg / repair, ffmpeg / repair >= 4 ? "met" : "NOT met");
    return nearCat && ffmpeg / repair >= 4 ? 0 : 1;
}
