// Repairing unclosed clips, compared in the same run with reading the same
// bytes (`cat` to /dev/null, page cache warm) and with what a user would run
// otherwise (`ffmpeg -c copy` remuxing each clip). Then a crafted clip whose
// tail is 4 MB of small chunks that look like the start of the repair's own
// index, which must cost no more than reading it either.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
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

// One unclosed clip from the simulator in root's video folder, or nothing.
fs::path SimulateClip(const DataRootPath& root, const std::string& options) {
    const std::string simulate = std::string(TRAMLET_SIMCARD) + " -q --unclosed --no-gps " +
                                 options + " " + bench::ShellQuote(root.Text());
    if (std::system(simulate.c_str()) != 0)
        return {};
    return fs::directory_iterator(VideoFolder(root))->path();
}

// One clip from the simulator, copied until the set passes 500 MB.
std::vector<fs::path> MakePristineSet(const DataRootPath& root) {
    const fs::path clip = SimulateClip(
        root, "--size 1920x1080 --noise --qp 18 --duration 20 --start 20240501-100000");
    if (clip.empty())
        return {};
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
void Refill(const std::vector<fs::path>& pristine, const DataRootPath& workRoot) {
    fs::remove_all(VideoFolder(workRoot));
    fs::create_directories(VideoFolder(workRoot));
    for (const fs::path& clip : pristine) {
        fs::copy_file(clip, fs::path(VideoFolder(workRoot)) / clip.filename());
    }
    ::sync();
}

// A clip of 3,000 small frames followed by 4 MB of 24-byte chunks whose data
// begins with 'i', as the index a cut repair leaves would.
fs::path MakeLookalikeClip(const DataRootPath& root) {
    const fs::path clip =
        SimulateClip(root, "--size 160x96 --fps 30 --frames 3000 --start 20240501-110000");
    if (clip.empty())
        return {};
    std::ofstream out(clip, std::ios::binary | std::ios::app);
    const char chunk[24] = {'0', '0', 'd', 'c', 16, 0, 0, 0, 'i'};
    for (int i = 0; i < (4 << 20) / 24; ++i)
        out.write(chunk, sizeof chunk);
    return clip;
}

bool ReportLookalikes() {
    bench::ScratchDir pristine, work;
    const fs::path clip = MakeLookalikeClip(DataRootPath(pristine.Root()));
    if (clip.empty())
        return false;
    const fs::path copy = fs::path(work.Path()) / clip.filename();
    double repair = 1e9;
    for (int run = 0; run < 3; ++run) {
        fs::copy_file(clip, copy, fs::copy_options::overwrite_existing);
        repair = std::min(repair, bench::BestSeconds(1, [&] { avifix::RepairClipAt(copy); }));
        fs::remove(fs::path(work.Path()) / "20240501-110000-1-100.avi");
    }
    const double cat =
        bench::BestCommandSeconds(3, "cat " + bench::ShellQuote(clip.string()) + " >/dev/null");
    return bench::ReportRatio("repair of a clip of index look-alikes", repair, "cat", cat, 10.0);
}

}  // namespace

int main() {
    bench::ScratchDir pristineCard, workCard, remuxed;
    const std::vector<fs::path> pristine = MakePristineSet(DataRootPath(pristineCard.Root()));
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

    const DataRootPath workRoot(workCard.Root());
    double repair = 1e9;
    size_t repaired = 0;
    for (int run = 0; run < 3; ++run) {
        Refill(pristine, workRoot);
        repair = std::min(
            repair, bench::BestSeconds(1, [&] {
                repaired = avifix::RunRepairPass(workRoot).Count(avifix::ClipAction::Repaired);
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
    const bool lookalikes = ReportLookalikes();
    return nearCat && ffmpeg / repair >= 4 && lookalikes ? 0 : 1;
}
